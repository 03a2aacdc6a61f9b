// Calls by name: a sequence of IDispatch::Invoke calls on one cLUMOAudio
// object, each with a dispatch id and call kind (mostly the table's, some
// unknown), an argument count (mostly right, some wrong) and arguments of
// every kind a variant holds: empty, Booleans of any 16-bit value, integers
// and doubles at their edges (NaN, infinities), texts that almost convert,
// objects and null objects. Arguments taken by reference come back in
// place. Each input runs on a fresh object and player host over the
// simulated player, in a temporary home without a display, so nothing of
// one input is left for the next and no dialog can show.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "automation/class_factory.h"
#include "automation/lumo_audio_object.h"
#include "automation/operation_table.h"
#include "common/codes.h"
#include "common/shared_fso.h"
#include "failsafe/framework.h"
#include "lumo/lumo_audio.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/fake_drives.h"

namespace {

namespace fs = std::filesystem;
using namespace lumo;
using lumo::fuzz::require;
using platform::simulated::Scenario;

// Answers every box with its default button, quietly and at once.
class SilentUserInterface final : public failsafe::UserInterface {
public:
    int32_t messageBox(std::string_view, int32_t style, std::string_view) override {
        return failsafe::box::defaultAnswer(style);
    }
    void processPendingEvents() override {}
    void setProgramWindowsEnabled(bool) override {}
};

// An object a host might assign to PlayLists; counts its references so that
// every one taken is seen to be given back.
class HostObject final : public IUnknown {
public:
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return hr::E_POINTER;
        *object = iid == IID_IUnknown ? this : nullptr;
        if (!*object) return hr::E_NOINTERFACE;
        AddRef();
        return hr::S_OK;
    }
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override { return --references_; }  // lives as long as the run
    uint32_t references() const { return references_; }

private:
    std::atomic<uint32_t> references_{1};
};

Scenario scenario() {
    using platform::simulated::ItemScript;
    using platform::simulated::PlaylistScript;
    ItemScript good{"Take Five", "file:///music/take-five.flac"};
    ItemScript stuck{"Never Ready", "file:///music/stuck.flac"};
    stuck.stateWhenOpened = platform::PlayState::Transitioning;
    ItemScript broken{"Broken", "file:///music/broken.flac"};
    broken.errorWhenPlayed = platform::ErrorItem{3, broken.sourceUrl, -1072885353, "decoder", "cannot decode"};
    Scenario made;
    made.playlists = {PlaylistScript{"Jazz", false, {good, stuck, broken}}, PlaylistScript{"Empty", false, {}},
                      PlaylistScript{"Recent", true, {good}}};
    made.drives = {{"D:", PlaylistScript{"Audio CD", false, {{"Track 1", "cdda://d#1"}, {"Track 2", "cdda://d#2"}}}},
                   {"E:", std::nullopt}};
    return made;
}

// The process set up once: a home of its own, no display, the simulated
// player and drives, a quiet user interface.
class Process {
public:
    Process() {
        std::string name = (fs::temp_directory_path() / "lumo-fuzz-invoke-XXXXXX").string();
        if (!::mkdtemp(name.data())) fuzz::fail("no temporary folder");
        home_ = name;
        fs::create_directories(home_ / "install");
        fs::create_directories(home_ / "runtime");
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home_ / "cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (home_ / "runtime").c_str(), 1);  // no developer's trace monitor
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        platform::writeSetting("LUMO Player", "Settings", "INSTALLDIR", (home_ / "install").string());
        player::setMediaPlayerFactory(
            [] { return std::make_unique<platform::simulated::SimulatedPlayer>(scenario()); });
        common::setDriveServiceFactory([] {
            auto service = std::make_shared<lumo::testing::FakeDriveService>();
            service->add("D", "Audio CD", 0x0123ABCD);
            service->add("E", "", 0, false);
            return service;
        });
        // The first object starts the library; its user interface is then replaced.
        _cLUMOAudio* first = create();
        failsafe::framework().setUserInterface(std::make_shared<SilentUserInterface>());
        // The machine's facts of a trapped error's report cost milliseconds of
        // /proc and locale reading each, and are no input of these calls.
        failsafe::framework().setSystemReportBuilder([] { return std::string("System: the fuzz run"); });
        first->Release();
        reset();
    }
    ~Process() {
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }

    _cLUMOAudio* create() {
        IClassFactory* factory = nullptr;
        require(automation::getClassObject(CLSID_cLUMOAudio, IID_IClassFactory,
                                           reinterpret_cast<void**>(&factory)) == hr::S_OK,
                "no class factory");
        _cLUMOAudio* object = nullptr;
        require(factory->CreateInstance(nullptr, IID__cLUMOAudio, reinterpret_cast<void**>(&object)) ==
                    hr::S_OK,
                "no object");
        factory->Release();
        return object;
    }

    // What DoTerminate leaves, and a log that does not grow without end.
    void reset() {
        player::unloadAudioPlayer();
        common::ReleaseFSO();
        activeSelection() = ActiveSelection{};
        if (++resets_ % 4096 == 0) {
            std::error_code ignored;
            fs::remove(home_ / "install" / "LUMOAudioErrors.log", ignored);
        }
    }

    HostObject& hostObject() { return hostObject_; }

private:
    fs::path home_;
    HostObject hostObject_;
    uint64_t resets_ = 0;
};

std::string text(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: return "";
        case 1: return " 0123 ";
        case 2: return "TRUE";
        case 3: return "3000000000";
        case 4: return "-2147483648.5";
        case 5: return "1e999";
        case 6: return "nan";
        case 7: return "Jazz";
        case 8: return "D:";
        default: return input.ConsumeRandomLengthString(64);
    }
}

double real(FuzzedDataProvider& input) {
    constexpr double edges[] = {0.0,
                                -0.0,
                                0.5,
                                2.5,
                                -2.5,
                                2147483647.5,
                                -2147483648.5,
                                1e300,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::denorm_min()};
    if (input.ConsumeBool()) return edges[input.ConsumeIntegralInRange<size_t>(0, std::size(edges) - 1)];
    return input.ConsumeFloatingPoint<double>();
}

Variant argument(FuzzedDataProvider& input, HostObject& hostObject) {
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return Variant();
        case 1: return Variant::fromVBool(input.ConsumeIntegral<int16_t>());
        case 2: return Variant(input.ConsumeIntegral<int32_t>());
        case 3: return Variant(input.ConsumeIntegralInRange<int32_t>(-3, 110));
        case 4: return Variant(real(input));
        case 5: return Variant(text(input));
        case 6: return Variant(static_cast<IUnknown*>(&hostObject));
        default: return Variant(static_cast<IUnknown*>(nullptr));
    }
}

bool argumentError(HRESULT result) {
    return result == hr::DISP_E_TYPEMISMATCH || result == hr::DISP_E_OVERFLOW;
}

void invokeOnce(_cLUMOAudio& object, FuzzedDataProvider& input, HostObject& hostObject) {
    const std::span<const automation::Operation> table = automation::operations();
    const automation::Operation& row = table[input.ConsumeIntegralInRange<size_t>(0, table.size() - 1)];
    DISPID member = row.desc.id;
    uint16_t flags = row.desc.invokeKind;
    size_t count = row.desc.params.size();
    const uint8_t twists = input.ConsumeIntegral<uint8_t>();
    if (twists & 0x01) member = input.ConsumeIntegral<int32_t>();
    if (twists & 0x02) flags = input.ConsumeIntegral<uint16_t>();
    if (twists & 0x04) count = input.ConsumeIntegralInRange<size_t>(0, 13);

    std::vector<Variant> arguments;
    for (size_t i = 0; i < count; ++i) arguments.push_back(argument(input, hostObject));
    Variant result(static_cast<IUnknown*>(&hostObject));  // a result replaces whatever was there
    ExcepInfo error;
    const HRESULT outcome = object.Invoke(member, flags, arguments, (twists & 0x10) ? nullptr : &result,
                                          (twists & 0x20) ? nullptr : &error);

    const automation::Operation* called = automation::findOperation(member, flags);
    if (!called) {
        require(outcome == hr::DISP_E_MEMBERNOTFOUND, "an unknown member that was called");
        return;
    }
    if (outcome == hr::DISP_E_BADPARAMCOUNT) {
        require(arguments.size() != called->desc.params.size(), "a right count refused");
        return;
    }
    if (argumentError(outcome)) {
        if (!(twists & 0x20))
            require(error.argument >= 0 && static_cast<size_t>(error.argument) < arguments.size(),
                    "a bad argument outside the arguments");
        return;
    }
    require(outcome == hr::S_OK, "an operation that failed");
    for (size_t i = 0; i < called->desc.params.size(); ++i) {
        const ParamDesc& param = called->desc.params[i];
        if (param.byRef && param.type != VarType::Variant)
            require(arguments[i].type() == param.type, "a by-reference value of the wrong type");
    }
    if (!(twists & 0x10) && called->desc.result != VarType::Empty && called->desc.result != VarType::Variant)
        require(result.type() == called->desc.result, "a result of the wrong type");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Process process;
    FuzzedDataProvider input(data, size);
    const uint32_t referencesBefore = process.hostObject().references();
    _cLUMOAudio* object = process.create();
    for (int call = 0; call < 12 && input.remaining_bytes() > 0; ++call) {
        if (input.ConsumeIntegralInRange<int>(0, 15) == 0) {
            // The other ways in: names, type information, interfaces.
            const std::string name = input.ConsumeRandomLengthString(40);
            DISPID id = 0;
            (void)object->GetIDsOfNames(&name, 1, &id);
            ITypeInfo* info = nullptr;
            (void)object->GetTypeInfo(input.ConsumeIntegralInRange<uint32_t>(0, 2), &info);
            Guid iid{input.ConsumeIntegral<uint32_t>(), 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
            void* asked = nullptr;
            if (object->QueryInterface(iid, &asked) == hr::S_OK) static_cast<IUnknown*>(asked)->Release();
            continue;
        }
        invokeOnce(*object, input, process.hostObject());
    }
    require(object->Release() == 0, "the object outlives its last reference");
    require(automation::cLUMOAudio::liveObjects() == 0, "an object left alive");
    require(process.hostObject().references() == referencesBefore, "a host object reference never given back");
    process.reset();
    return 0;
}
