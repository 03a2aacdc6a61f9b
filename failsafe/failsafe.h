#pragma once
// The framework's operations under their classic names, for code that calls
// the framework directly. Procedures use the procedure mechanism
// (procedure.h), which calls these for them.

#include <optional>
#include <string>
#include <string_view>

#include "failsafe/framework.h"
#include "failsafe/procedure.h"

namespace lumo::failsafe {

// The texts are kept by reference until the matching pop.
inline void fsPUSH(std::string_view module, std::string_view procedure, std::string_view arguments) {
    tracePush(module, procedure, arguments);
}
inline void fsPOP(std::string_view module, std::string_view procedure, std::string_view arguments) {
    tracePop(module, procedure, arguments);
}
inline void fsSTART() { framework().start(); }
inline void fsTRACE(std::string_view record) { framework().emit(record); }
inline Value fsOPTION(int number, const Value& value) { return framework().option(number, value); }
inline void fsWRITELOG(std::string_view text) { framework().writeLog(text); }
inline std::string fsMESSAGE(int number) { return framework().message(number); }
inline std::string fsUSERTEXT() { return framework().userText(); }
inline std::optional<int16_t> fsERROR(std::string_view module, std::string_view procedure) {
    return framework().interceptError(module, procedure);
}
inline int16_t fsUSERACTION() { return framework().userAction(); }
inline void fsLOGERROR() { framework().logErrorReport(); }
inline void fsMAILREPORT() { framework().mailReport(); }
inline void fsDEFECTREPORT() { framework().defectReport(); }

}  // namespace lumo::failsafe
