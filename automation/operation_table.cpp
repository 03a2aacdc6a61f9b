#include "automation/operation_table.h"

#include <strings.h>

#include <deque>

#include "automation/operation_binding.h"

namespace lumo::automation {
namespace {

using namespace dispatch;

class TableBuilder {
public:
    explicit TableBuilder(DISPID lastId = 0) : lastId_(lastId) {}
    template <auto Method, bool HasResult = false, size_t Count = 0>
    TableBuilder& row(const char* name, uint16_t kind, std::array<const char*, Count> names = {}) {
        const auto described = binding::params<Method, HasResult, Count>(names);
        const std::vector<ParamDesc>& params = params_.emplace_back(described.begin(), described.end());
        const int32_t slot = static_cast<int32_t>(rows_.size()) + 1;
        rows_.push_back({FuncDesc{name, idOf(name), kind, slot, params, binding::resultType<Method, HasResult>()},
                         &binding::call<Method, HasResult>});
        return *this;
    }
    std::vector<Operation> rows() { return std::move(rows_); }

private:
    // A property's read and assignment share their name's id.
    DISPID idOf(const char* name) {
        for (const Operation& done : rows_)
            if (done.desc.name == name) return done.desc.id;
        return ++lastId_;
    }

    std::vector<Operation> rows_;
    std::deque<std::vector<ParamDesc>> params_;  // rows point into these; a deque never moves them
    DISPID lastId_ = 0;
};

using A = _cLUMOAudio;
template <size_t N>
using Names = std::array<const char*, N>;

const std::vector<Operation>& table() {
    static TableBuilder builder;
    static const std::vector<Operation> rows =
        builder.row<&A::GetCurrentPlaylist, true>("GetCurrentPlaylist", Method)
            .row<&A::InitializeVolBal, false, 2>("InitializeVolBal", Method, Names<2>{"nNewVol", "nNewBal"})
            .row<&A::IsShuffleOn, true>("IsShuffleOn", Method)
            .row<&A::IsLoopOn, true>("IsLoopOn", Method)
            .row<&A::DoNext>("DoNext", Method)
            .row<&A::DoPrevious>("DoPrevious", Method)
            .row<&A::DoTerminate>("DoTerminate", Method)
            .row<&A::IncVolUp>("IncVolUp", Method)
            .row<&A::DecVolDown>("DecVolDown", Method)
            .row<&A::InitialisePL, true, 11>("InitialisePL", Method,
                                             Names<11>{"sPromptedDrive", "nPlayListType", "sPlayList", "nHowToIDCD",
                                                       "sDriveLetter", "sSerNum", "sVolumeName", "nShuffleMode",
                                                       "cCDROMs", "sWMPError", "nPLError"})
            .row<&A::DoPause>("DoPause", Method)
            .row<&A::DoStop>("DoStop", Method)
            .row<&A::DoPlay>("DoPlay", Method)
            .row<&A::SelectPlaylists, false, 8>("SelectPlaylists", Method,
                                                Names<8>{"nPlayListType", "sPlayList", "nHowToIDCD", "sSerNum",
                                                         "sVolumeName", "sDriveLetter", "nShuffleMode", "fCancelled"})
            .row<&A::SetAutoRewind, false, 1>("SetAutoRewind", Method, Names<1>{"f"})
            .row<&A::SetLoop, false, 1>("SetLoop", Method, Names<1>{"f"})
            .row<&A::SetShuffleMode, false, 1>("SetShuffleMode", Method, Names<1>{"f"})
            .row<&A::get_Volume, true>("Volume", PropertyGet)
            .row<&A::put_Volume, false, 1>("Volume", PropertyPut, Names<1>{"Volume"})
            .row<&A::get_PlayLists, true>("PlayLists", PropertyGet)
            .row<&A::putref_PlayLists, false, 1>("PlayLists", PropertyPutRef, Names<1>{"PlayLists"})
            .row<&A::get_Balance, true>("Balance", PropertyGet)
            .row<&A::put_Balance, false, 1>("Balance", PropertyPut, Names<1>{"Balance"})
            .row<&A::get_Mute, true>("Mute", PropertyGet)
            .row<&A::put_Mute, false, 1>("Mute", PropertyPut, Names<1>{"Mute"})
            .row<&A::get_Playstate, true>("Playstate", PropertyGet)
            .row<&A::get_CDError, true>("CDError", PropertyGet)
            .row<&A::put_CDError, false, 1>("CDError", PropertyPut, Names<1>{"CDError"})
            .row<&A::get_Version, true>("Version", PropertyGet)
            .row<&A::get_WMPVersion, true>("WMPVersion", PropertyGet)
            .rows();
    return rows;
}

using X = _cLUMOAudioEx;

// Its dispatch ids start at 101, clear of _cLUMOAudio's.
const std::vector<Operation>& extensionTable() {
    static TableBuilder builder(100);
    static const std::vector<Operation> rows =
        builder.row<&X::get_Position, true>("Position", PropertyGet)
            .row<&X::put_Position, false, 1>("Position", PropertyPut, Names<1>{"Position"})
            .row<&X::get_Duration, true>("Duration", PropertyGet)
            .row<&X::get_CanSeek, true>("CanSeek", PropertyGet)
            .row<&X::get_CurrentIndex, true>("CurrentIndex", PropertyGet)
            .row<&X::get_CurrentTitle, true>("CurrentTitle", PropertyGet)
            .row<&X::get_CurrentArtist, true>("CurrentArtist", PropertyGet)
            .row<&X::get_CurrentAlbum, true>("CurrentAlbum", PropertyGet)
            .row<&X::get_CurrentSourceURL, true>("CurrentSourceURL", PropertyGet)
            .row<&X::GetCurrentItemInfo, true, 1>("GetCurrentItemInfo", Method, Names<1>{"sAttribute"})
            .row<&X::DoEvents, false, 1>("DoEvents", Method, Names<1>{"nMilliseconds"})
            .rows();
    return rows;
}

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
