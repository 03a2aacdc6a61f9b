#include "failsafe/procedure.h"

#include "failsafe/framework.h"

namespace lumo::failsafe {

Procedure::~Procedure() {
    if (std::holds_alternative<PassOver>(onError_) && Err().number != 0) Err().clear();
    if (traced_) tracePop(module_, procedure_, {});
}

Procedure::Next Procedure::handleFailure(std::exception_ptr failure, const SourceLocation& where) {
    Framework& fs = framework();
    RuntimeError error = toRuntimeError(failure);
    Err().set(error, static_cast<int32_t>(where.line()));
    if (Err().source.empty()) Err().source = fs.projectName().empty() ? fs.program().projectName : fs.projectName();

    if (const auto* logged = std::get_if<LogAndClear>(&onError_)) {
        fs.logCaughtError(logged->location, Err().line, Err().number, Err().description);
        Err().clear();
        return Next::GoOn;
    }
    if (std::holds_alternative<PassOver>(onError_)) return Next::GoOn;

    const std::optional<int16_t> answer = fs.interceptError(module_, procedure_);
    if (answer == 1) return Next::Retry;
    if (answer == 2) return Next::GoOn;
    return Next::Leave;
}

}  // namespace lumo::failsafe
