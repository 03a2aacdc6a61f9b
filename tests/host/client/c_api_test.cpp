// The C API as a C host uses it: liblumo creating the built library's object
// through a registration in a private home, calls by name with variants,
// by-reference values written back, the failures a host must tell apart,
// and when the library says it may be unloaded.

#include "lumo/lumo.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "../../temp_folder.h"
#include "lumo/create_object.h"
#include "lumo/lumo_audio.h"

namespace {

namespace fs = std::filesystem;

struct VariantDeleter {
    void operator()(lumo_variant* v) const { lumo_variant_free(v); }
};
using VariantPtr = std::unique_ptr<lumo_variant, VariantDeleter>;

VariantPtr variantOf(const char* text) {
    VariantPtr v(lumo_variant_new());
    lumo_variant_set_string(v.get(), text);
    return v;
}
int32_t int32Of(const lumo_variant* v) {
    int32_t value = -12345;
    EXPECT_EQ(lumo_variant_get_int32(v, &value), LUMO_OK) << lumo_last_error();
    return value;
}

class CApi : public ::testing::Test {
protected:
    lumo::testing::TempFolder home{"lumo-c-api"};
    lumo_object* audio = nullptr;

    void SetUp() override {
        for (const char* folder : {"config/lumo", "data", "cache", "system"}) fs::create_directories(home / folder);
        ::setenv("HOME", home.path().c_str(), 1);
        for (const auto& [name, folder] : {std::pair{"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"},
                                           {"XDG_CACHE_HOME", "cache"}, {"XDG_DATA_DIRS", "system"}})
            ::setenv(name, (home / folder).c_str(), 1);
        ::setenv("LUMO_AUDIO_SINK", "fakesink", 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) ::unsetenv(name);
    }
    void TearDown() override { lumo_release(audio); }

    void create() {
        ASSERT_EQ(lumo::callEntryPoint(LUMO_LIBRARY_FILE, "DllRegisterServer", nullptr), 0);
        ASSERT_EQ(lumo_create(nullptr, &audio), LUMO_OK) << lumo_last_error();
        ASSERT_NE(audio, nullptr);
    }
};

TEST_F(CApi, CreationAndCallsFailApartConvertAndWriteBack) {
    EXPECT_EQ(lumo_create(nullptr, nullptr), LUMO_E_INVALIDARG);
    // Broken registrations of the user's come before the system's good one.
    const std::string prefix = "[Class]\nCLSID=" + lumo::toString(lumo::CLSID_cLUMOAudio) + "\nLibrary=";
    for (const char* folder : {"system/lumo/classes", "data/lumo/classes"}) fs::create_directories(home / folder);
    std::ofstream(home / "system/lumo/classes/LUMOAudioPlayer.cLUMOAudio.class") << prefix << LUMO_LIBRARY_FILE << "\n";
    std::ofstream(home / "empty.so").close();
    const struct {
        const char* progId;
        std::string registration, named;
        lumo_result result;
    } cases[] = {
        {"not a progid!", "", "not a ProgID", static_cast<lumo_result>(0x800401F3)},
        {"../../etc/passwd", "", "not a ProgID", static_cast<lumo_result>(0x800401F3)},
        {"Nobody.Here", "", "not registered", LUMO_E_CLASSNOTREG},
        {nullptr, prefix + (home / "gone.so").string(), "gone.so", LUMO_E_DLLNOTFOUND},  // moved after registering
        {nullptr, prefix + (home / "empty.so").string(), "empty.so", LUMO_E_DLLNOTFOUND},  // an empty file is no library
        {nullptr, prefix + "/lib/x86_64-linux-gnu/libm.so.6", "not a class library", LUMO_E_DLLNOTFOUND},
        {nullptr, "[Class]\nCLSID={not-a-guid}\nLibrary=relative.so\n", "no class id", LUMO_E_CLASSNOTREG},
    };
    for (const auto& c : cases) {
        if (!c.registration.empty()) std::ofstream(home / "data/lumo/classes/LUMOAudioPlayer.cLUMOAudio.class") << c.registration;
        audio = reinterpret_cast<lumo_object*>(&audio);  // must be cleared
        EXPECT_EQ(lumo_create(c.progId, &audio), c.result) << c.registration;
        EXPECT_EQ(audio, nullptr);
        EXPECT_NE(std::string(lumo_last_error()).find(c.named), std::string::npos) << lumo_last_error();
    }

    create();
    VariantPtr result(lumo_variant_new()), fine = variantOf("80"), bad = variantOf("left"), balance = variantOf("-20");
    lumo_variant* arguments[] = {fine.get(), balance.get()};
    ASSERT_EQ(lumo_call(audio, "InitializeVolBal", arguments, 2, result.get()), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_variant_type(balance.get()), LUMO_INT32) << "converted in place";
    EXPECT_EQ(int32Of(balance.get()), -20);
    ASSERT_EQ(lumo_set(audio, "volume", bad.get()), LUMO_E_TYPEMISMATCH);
    EXPECT_EQ(lumo_variant_type(bad.get()), LUMO_STRING) << "an assigned value is the caller's";
    EXPECT_EQ(lumo_last_error_argument(), 0);
    EXPECT_EQ(lumo_set(audio, "Volume", variantOf("3000000000").get()), static_cast<lumo_result>(0x8002000A));
    lumo_variant* secondBad[] = {fine.get(), bad.get()};
    EXPECT_EQ(lumo_call(audio, "InitializeVolBal", secondBad, 2, result.get()), LUMO_E_TYPEMISMATCH);
    EXPECT_EQ(lumo_last_error_argument(), 1);
    EXPECT_EQ(lumo_call(audio, "NoSuchThing", nullptr, 0, nullptr), LUMO_E_UNKNOWNNAME);
    EXPECT_NE(std::string(lumo_last_error()).find("NoSuchThing"), std::string::npos) << lumo_last_error();
    EXPECT_EQ(lumo_call(audio, "DoPlay", secondBad, 1, result.get()), LUMO_E_BADPARAMCOUNT);
    lumo_variant* missing[] = {fine.get(), nullptr};
    EXPECT_EQ(lumo_call(audio, "InitializeVolBal", missing, 2, result.get()), LUMO_E_INVALIDARG);
    EXPECT_EQ(lumo_call(nullptr, "DoPlay", nullptr, 0, nullptr), LUMO_E_INVALIDARG);
    EXPECT_EQ(lumo_set(audio, "Volume", nullptr), LUMO_E_INVALIDARG);

    // The extension: nothing open yet, and callbacks by cookie only.
    double seconds = -1;
    EXPECT_EQ(lumo_get_position(audio, &seconds), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(seconds, 0.0);
    EXPECT_EQ(lumo_seek(audio, -5), LUMO_OK) << "nothing to move is no error";
    EXPECT_EQ(lumo_get_current_item(audio, "Title", result.get()), LUMO_OK);
    EXPECT_STREQ(lumo_variant_get_string(result.get()), "");
    uint32_t cookie = 0;
    EXPECT_EQ(lumo_advise(audio, nullptr, nullptr, &cookie), LUMO_E_INVALIDARG);
    const lumo_event_callback ignore = [](void*, const char*, const lumo_variant* const*, size_t) { return 0; };
    ASSERT_EQ(lumo_advise(audio, ignore, nullptr, &cookie), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_unadvise(audio, cookie), LUMO_OK);
    EXPECT_EQ(lumo_unadvise(audio, cookie), LUMO_E_NOCONNECTION) << "once only";
}

TEST_F(CApi, TheLibraryCanBeUnloadedOnlyWithoutObjectsAndLocks) {
    create();
    void* library = ::dlopen(LUMO_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr) << "lumo_create loaded it";
    const auto canUnload = reinterpret_cast<decltype(&DllCanUnloadNow)>(::dlsym(library, "DllCanUnloadNow"));
    const auto classObject = reinterpret_cast<decltype(&DllGetClassObject)>(::dlsym(library, "DllGetClassObject"));
    ASSERT_TRUE(canUnload && classObject);
    EXPECT_EQ(canUnload(), lumo::hr::S_FALSE) << "the C API's object is alive";
    lumo_release(audio);
    audio = nullptr;
    EXPECT_EQ(canUnload(), lumo::hr::S_OK);

    lumo::IClassFactory* factory = nullptr;
    ASSERT_EQ(classObject(lumo::CLSID_cLUMOAudio, lumo::IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              lumo::hr::S_OK);
    EXPECT_EQ(canUnload(), lumo::hr::S_OK) << "the factory itself holds nothing";
    factory->LockServer(true);
    EXPECT_EQ(canUnload(), lumo::hr::S_FALSE) << "locked";
    lumo::_cLUMOAudioEx* extension = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, lumo::IID__cLUMOAudioEx, reinterpret_cast<void**>(&extension)),
              lumo::hr::S_OK);
    factory->LockServer(false);
    factory->Release();
    EXPECT_EQ(canUnload(), lumo::hr::S_FALSE) << "an object held by its second interface";
    extension->Release();
    EXPECT_EQ(canUnload(), lumo::hr::S_OK);
    ::dlclose(library);
}

// Texts convert as calls convert them; a host is told overflow from mismatch,
// and a NULL variant is no crash.
TEST(CApiVariants, ConvertTheWayCallsDo) {
    VariantPtr v(lumo_variant_new());
    int32_t number = 0;
    const std::tuple<const char*, lumo_result, int32_t> numbers[] = {  // the text, the result, the value (-99: left alone)
        {" -1e2 ", LUMO_OK, -100}, {"2.5", LUMO_OK, 2}, {"3.5", LUMO_OK, 4},  // half to even
        {"12abc", LUMO_E_TYPEMISMATCH, -99}, {"3000000000", static_cast<lumo_result>(0x8002000A), -99}};
    for (const auto& [text, result, value] : numbers) {
        lumo_variant_set_string(v.get(), text);
        number = -99;
        EXPECT_EQ(lumo_variant_get_int32(v.get(), &number), result) << text;
        EXPECT_EQ(number, value) << text;
    }
    int flag = -1;
    lumo_variant_set_bool(v.get(), 7);
    EXPECT_EQ(int32Of(v.get()), -1) << "true is -1 at the interface";
    EXPECT_STREQ(lumo_variant_get_string(v.get()), "True");
    lumo_variant_set_string(v.get(), "TRUE");
    EXPECT_EQ(lumo_variant_get_bool(v.get(), &flag), LUMO_OK);
    EXPECT_EQ(flag, 1);
    lumo_variant_set_string(v.get(), "maybe");
    EXPECT_EQ(lumo_variant_get_bool(v.get(), &flag), LUMO_E_TYPEMISMATCH);
    double real = 0;
    EXPECT_EQ(lumo_variant_get_double(v.get(), &real), LUMO_E_TYPEMISMATCH);
    lumo_variant_set_string(v.get(), nullptr);
    EXPECT_STREQ(lumo_variant_get_string(v.get()), "");
    EXPECT_EQ(lumo_variant_type(nullptr), LUMO_EMPTY);
    EXPECT_EQ(lumo_variant_get_string(nullptr), nullptr);
    EXPECT_EQ(lumo_variant_get_int32(nullptr, &number), LUMO_E_INVALIDARG);
    lumo_variant_free(nullptr);
}

}  // namespace
