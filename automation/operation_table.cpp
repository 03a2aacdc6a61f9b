#include "automation/operation_table.h"

#include <strings.h>

#include <deque>

#include "automation/operation_binding.h"
#include "automation/operation_list.h"

namespace lumo::automation {
namespace {

using namespace dispatch;

class TableBuilder {
public:
    template <auto Member, bool HasResult, size_t Count>
    TableBuilder& row(int32_t slot, DISPID id, const char* name, uint16_t kind, std::array<const char*, Count> names) {
        const auto described = binding::params<Member, HasResult, Count>(names);
        const std::vector<ParamDesc>& params = params_.emplace_back(described.begin(), described.end());
        rows_.push_back({FuncDesc{name, id, kind, slot, params, binding::resultType<Member, HasResult>()},
                         &binding::call<Member, HasResult>});
        return *this;
    }
    std::vector<Operation> rows() { return std::move(rows_); }

private:
    std::vector<Operation> rows_;
    std::deque<std::vector<ParamDesc>> params_;  // rows point into these; a deque never moves them
};

template <typename... Names>
constexpr std::array<const char*, sizeof...(Names)> argumentNames(Names... names) {
    return {names...};
}

constexpr bool Result = true, NoResult = false;

// A row of operation_list.h, for the interface `Interface` in scope.
#define LUMO_TABLE_ROW(slot, id, kind, name, member, result, parameters, names) \
    .row<&Interface::member, result>(slot, id, #name, kind, argumentNames names)

const std::vector<Operation>& table() {
    using Interface = _cLUMOAudio;
    static TableBuilder builder;
    static const std::vector<Operation> rows = builder LUMO_AUDIO_OPERATIONS(LUMO_TABLE_ROW).rows();
    return rows;
}

const std::vector<Operation>& extensionTable() {
    using Interface = _cLUMOAudioEx;
    static TableBuilder builder;
    static const std::vector<Operation> rows = builder LUMO_AUDIO_EXTENSION_OPERATIONS(LUMO_TABLE_ROW).rows();
    return rows;
}

#undef LUMO_TABLE_ROW

// Both tables, _cLUMOAudio's first.
template <typename Visit>
const Operation* findIn(Visit&& matches) {
    for (const std::vector<Operation>* rows : {&table(), &extensionTable()})
        for (const Operation& operation : *rows)
            if (matches(operation)) return &operation;
    return nullptr;
}

}  // namespace

std::span<const Operation> operations() { return table(); }
std::span<const Operation> extensionOperations() { return extensionTable(); }

const Operation* findOperation(DISPID id, uint16_t flags) {
    const Operation *method = nullptr, *get = nullptr, *put = nullptr, *putRef = nullptr;
    const std::span<const Operation> rows = id > 100 ? extensionOperations() : operations();
    for (const Operation& operation : rows) {
        if (operation.desc.id != id) continue;
        switch (operation.desc.invokeKind) {
            case Method: method = &operation; break;
            case PropertyGet: get = &operation; break;
            case PropertyPut: put = &operation; break;
            case PropertyPutRef: putRef = &operation; break;
        }
    }
    // Scripting hosts ask for "method or property get" when they read a name;
    // an assignment of a value to a property taken by reference is accepted.
    if ((flags & Method) && method) return method;
    if ((flags & PropertyGet) && get) return get;
    if ((flags & PropertyPut) && (put || putRef)) return put ? put : putRef;
    if ((flags & PropertyPutRef) && putRef) return putRef;
    return nullptr;
}

std::optional<DISPID> dispatchIdOf(std::string_view name) {
    const Operation* found = findIn([&](const Operation& operation) {
        const std::string& known = operation.desc.name;
        return known.size() == name.size() && strncasecmp(known.data(), name.data(), name.size()) == 0;
    });
    if (!found) return std::nullopt;
    return found->desc.id;
}

const Operation* operationWithId(DISPID id) {
    return findIn([&](const Operation& operation) { return operation.desc.id == id; });
}

}  // namespace lumo::automation
