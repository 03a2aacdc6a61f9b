// The C API as a C host uses it: liblumo creating the built library's object
// through a registration in a private home, calls by name with variants,
// by-reference values written back, and the failures a host must tell apart.

#include "lumo/lumo.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../../temp_folder.h"
#include "lumo/create_object.h"

namespace {

namespace fs = std::filesystem;

struct VariantDeleter {
    void operator()(lumo_variant* v) const { lumo_variant_free(v); }
};
using VariantPtr = std::unique_ptr<lumo_variant, VariantDeleter>;

VariantPtr variantOf(int32_t value) {
    VariantPtr v(lumo_variant_new());
    lumo_variant_set_int32(v.get(), value);
    return v;
}
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

void writeRegistration(const fs::path& folder, const std::string& library) {
    fs::create_directories(folder);
    std::ofstream(folder / "LUMOAudioPlayer.cLUMOAudio.class")
        << "[Class]\nProgID=LUMOAudioPlayer.cLUMOAudio\nCLSID={5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}\nLibrary="
        << library << "\n";
}

class CApi : public ::testing::Test {
protected:
    lumo::testing::TempFolder home{"lumo-c-api"};
    lumo_object* audio = nullptr;

    void SetUp() override {
        for (const char* folder : {"config/lumo", "data", "cache", "system"}) fs::create_directories(home / folder);
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
        ::setenv("LUMO_AUDIO_SINK", "fakesink", 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void TearDown() override { lumo_release(audio); }

    void create() {
        ASSERT_EQ(lumo::callEntryPoint(LUMO_LIBRARY_FILE, "DllRegisterServer", nullptr), 0);
        ASSERT_EQ(lumo_create(nullptr, &audio), LUMO_OK) << lumo_last_error();
        ASSERT_NE(audio, nullptr);
    }
};

TEST_F(CApi, CreationFailuresSayWhyAndLeaveNoObject) {
    audio = reinterpret_cast<lumo_object*>(&audio);  // must be cleared
    EXPECT_EQ(lumo_create("not a progid!", &audio), static_cast<lumo_result>(0x800401F3));
    EXPECT_EQ(audio, nullptr);
    EXPECT_NE(std::string(lumo_last_error()).find("is not a ProgID"), std::string::npos) << lumo_last_error();

    EXPECT_EQ(lumo_create(nullptr, &audio), LUMO_E_CLASSNOTREG);
    EXPECT_NE(std::string(lumo_last_error()).find("not registered"), std::string::npos) << lumo_last_error();

    writeRegistration(home / "data/lumo/classes", (home / "gone.so").string());
    EXPECT_EQ(lumo_create(nullptr, &audio), LUMO_E_DLLNOTFOUND);
    EXPECT_NE(std::string(lumo_last_error()).find("gone.so"), std::string::npos) << lumo_last_error();
    EXPECT_EQ(audio, nullptr);

    EXPECT_EQ(lumo_create(nullptr, nullptr), LUMO_E_INVALIDARG);
}

TEST_F(CApi, TheSystemRegistrationServesUntilTheUserHasOne) {
    writeRegistration(home / "system/lumo/classes", LUMO_LIBRARY_FILE);
    ASSERT_EQ(lumo_create(nullptr, &audio), LUMO_OK) << lumo_last_error();
    lumo_release(audio);
    audio = nullptr;

    // The user's registration wins, even when it is broken.
    writeRegistration(home / "data/lumo/classes", (home / "gone.so").string());
    EXPECT_EQ(lumo_create(nullptr, &audio), LUMO_E_DLLNOTFOUND);
}

TEST_F(CApi, PropertiesAndByReferenceArgumentsComeBack) {
    create();
    VariantPtr volume = variantOf("35");  // a text converts like any automation argument
    ASSERT_EQ(lumo_set(audio, "volume", volume.get()), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_variant_type(volume.get()), LUMO_STRING) << "an assigned value is the caller's";
    VariantPtr result(lumo_variant_new());
    ASSERT_EQ(lumo_call(audio, "Volume", nullptr, 0, result.get()), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_variant_type(result.get()), LUMO_INT32);
    EXPECT_EQ(int32Of(result.get()), 35);

    // InitializeVolBal takes both by reference and hands back what it applied.
    VariantPtr newVolume = variantOf(80), newBalance = variantOf("-20");
    lumo_variant* arguments[] = {newVolume.get(), newBalance.get()};
    ASSERT_EQ(lumo_call(audio, "InitializeVolBal", arguments, 2, result.get()), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_variant_type(result.get()), LUMO_EMPTY);
    EXPECT_EQ(lumo_variant_type(newBalance.get()), LUMO_INT32) << "converted in place";
    EXPECT_EQ(int32Of(newVolume.get()), 80);
    EXPECT_EQ(int32Of(newBalance.get()), -20);
    ASSERT_EQ(lumo_call(audio, "Balance", nullptr, 0, result.get()), LUMO_OK);
    EXPECT_EQ(int32Of(result.get()), -20);

    ASSERT_EQ(lumo_call(audio, "Version", nullptr, 0, result.get()), LUMO_OK);
    const char* version = lumo_variant_get_string(result.get());
    ASSERT_NE(version, nullptr);
    EXPECT_FALSE(std::string(version).empty());
    EXPECT_EQ(lumo_call(audio, "DoStop", nullptr, 0, nullptr), LUMO_OK) << "the result may be left out";
}

TEST_F(CApi, BadCallsAreToldApart) {
    create();
    VariantPtr result(lumo_variant_new());
    EXPECT_EQ(lumo_call(audio, "NoSuchThing", nullptr, 0, result.get()), LUMO_E_UNKNOWNNAME);
    EXPECT_NE(std::string(lumo_last_error()).find("NoSuchThing"), std::string::npos) << lumo_last_error();

    VariantPtr one = variantOf(1);
    lumo_variant* tooMany[] = {one.get()};
    EXPECT_EQ(lumo_call(audio, "DoPlay", tooMany, 1, result.get()), LUMO_E_BADPARAMCOUNT);

    VariantPtr loud = variantOf("loud");
    EXPECT_EQ(lumo_set(audio, "Volume", loud.get()), LUMO_E_TYPEMISMATCH);
    EXPECT_EQ(lumo_last_error_argument(), 0);

    VariantPtr fine = variantOf(10), bad = variantOf("left");
    lumo_variant* secondBad[] = {fine.get(), bad.get()};
    EXPECT_EQ(lumo_call(audio, "InitializeVolBal", secondBad, 2, result.get()), LUMO_E_TYPEMISMATCH);
    EXPECT_EQ(lumo_last_error_argument(), 1);

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
    EXPECT_EQ(lumo_unadvise(audio, 4242), LUMO_E_NOCONNECTION);
    EXPECT_NE(std::string(lumo_last_error()).find("4242"), std::string::npos) << lumo_last_error();
    uint32_t cookie = 0;
    EXPECT_EQ(lumo_advise(audio, nullptr, nullptr, &cookie), LUMO_E_INVALIDARG);
    const lumo_event_callback ignore = [](void*, const char*, const lumo_variant* const*, size_t) { return 0; };
    ASSERT_EQ(lumo_advise(audio, ignore, nullptr, &cookie), LUMO_OK) << lumo_last_error();
    EXPECT_EQ(lumo_unadvise(audio, cookie), LUMO_OK);
    EXPECT_EQ(lumo_unadvise(audio, cookie), LUMO_E_NOCONNECTION) << "once only";
}

TEST(CApiVariants, ConvertTheWayCallsDo) {
    VariantPtr v(lumo_variant_new());
    EXPECT_EQ(lumo_variant_type(v.get()), LUMO_EMPTY);
    EXPECT_STREQ(lumo_variant_get_string(v.get()), "");

    lumo_variant_set_bool(v.get(), 7);
    int flag = 0;
    int32_t number = 0;
    EXPECT_EQ(lumo_variant_get_bool(v.get(), &flag), LUMO_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(lumo_variant_get_int32(v.get(), &number), LUMO_OK);
    EXPECT_EQ(number, -1) << "true is -1 at the interface";
    EXPECT_STREQ(lumo_variant_get_string(v.get()), "True");

    lumo_variant_set_double(v.get(), 2.5);
    EXPECT_EQ(lumo_variant_get_int32(v.get(), &number), LUMO_OK);
    EXPECT_EQ(number, 2) << "half rounds to even";
    lumo_variant_set_double(v.get(), 3e9);
    EXPECT_EQ(lumo_variant_get_int32(v.get(), &number), static_cast<lumo_result>(0x8002000A));

    lumo_variant_set_string(v.get(), " false ");
    EXPECT_EQ(lumo_variant_get_bool(v.get(), &flag), LUMO_OK);
    EXPECT_EQ(flag, 0);
    lumo_variant_set_string(v.get(), "abc");
    double real = 0;
    EXPECT_EQ(lumo_variant_get_double(v.get(), &real), LUMO_E_TYPEMISMATCH);
    lumo_variant_set_string(v.get(), nullptr);
    EXPECT_EQ(lumo_variant_type(v.get()), LUMO_STRING);
    EXPECT_STREQ(lumo_variant_get_string(v.get()), "");
    EXPECT_EQ(lumo_variant_get_object(v.get()), nullptr);

    // A NULL variant is no crash.
    EXPECT_EQ(lumo_variant_type(nullptr), LUMO_EMPTY);
    EXPECT_EQ(lumo_variant_get_string(nullptr), nullptr);
    EXPECT_EQ(lumo_variant_get_int32(nullptr, &number), LUMO_E_INVALIDARG);
    lumo_variant_free(nullptr);
}

}  // namespace
