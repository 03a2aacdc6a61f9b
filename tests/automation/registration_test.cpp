// The per-user registration and creating objects by ProgID, down every way
// it can fail; creating the real object in a fresh process is the
// scripting host's end-to-end test.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "automation/class_factory.h"
#include "automation/client/class_registry.h"
#include "lumo/create_object.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {
namespace {

namespace fs = std::filesystem;

class Registration : public ::testing::Test {
protected:
    fs::path home;
    void SetUp() override {
        home = fs::temp_directory_path() / ("lumo-registration-" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(home); }
    std::string registrationText() {
        std::ifstream in(registrationFile(kProgId));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(Registration, RegisteringTwiceLeavesOneEntryForTheLatestLibrary) {
    std::ofstream(home / "old.so").close();
    std::ofstream(home / "new.so").close();
    ASSERT_EQ(registerServer(home / "old.so"), hr::S_OK);
    ASSERT_EQ(registerServer(home / "new.so"), hr::S_OK);
    EXPECT_EQ(registrationFile(kProgId), home / "data/lumo/classes/LUMOAudioPlayer.cLUMOAudio.class");
    const std::optional<registry::Registration> read = registry::readRegistration(kProgId);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->library, home / "new.so");
    EXPECT_EQ(read->clsid, CLSID_cLUMOAudio);
    EXPECT_NE(registrationText().find("CLSID=" + toString(CLSID_cLUMOAudio)), std::string::npos);
    struct stat info{};
    ASSERT_EQ(::stat(registrationFile(kProgId).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 022, 0u) << "nobody else may redirect the ProgID";
    EXPECT_EQ(registerServer(home / "missing.so"), hr::SELFREG_E_CLASS);
    EXPECT_EQ(registry::readRegistration(kProgId)->library, home / "new.so") << "a failed registration changes nothing";

    ASSERT_EQ(unregisterServer(), hr::S_OK);
    EXPECT_FALSE(fs::exists(registrationFile(kProgId)));
    EXPECT_EQ(unregisterServer(), hr::S_OK) << "nothing to remove is no failure";
}

TEST_F(Registration, UnregisteringLeavesAnotherClassUnderTheSameNameAlone) {
    std::ofstream(home / "other.so").close();
    ASSERT_TRUE(registry::writeRegistration({kProgId, Guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, home / "other.so"}));
    EXPECT_EQ(unregisterServer(), hr::S_OK);
    EXPECT_TRUE(fs::exists(registrationFile(kProgId)));
}

TEST_F(Registration, CreateObjectSaysWhyItCannot) {
    EXPECT_EQ(CreateObject("").result, hr::CO_E_CLASSSTRING);
    EXPECT_EQ(CreateObject("../../etc/passwd").result, hr::CO_E_CLASSSTRING);
    CreatedObject unknown = CreateObject("Nobody.Here");
    EXPECT_EQ(unknown.result, hr::REGDB_E_CLASSNOTREG);
    EXPECT_NE(unknown.error.find("Nobody.Here is not registered"), std::string::npos) << unknown.error;
    EXPECT_FALSE(unknown.object);

    // The library was moved after it was registered.
    std::ofstream(home / "moved.so").close();
    ASSERT_EQ(registerServer(home / "moved.so"), hr::S_OK);
    fs::remove(home / "moved.so");
    CreatedObject moved = CreateObject(kProgId);
    EXPECT_EQ(moved.result, hr::CO_E_DLLNOTFOUND);
    EXPECT_NE(moved.error.find("is gone: register it again"), std::string::npos) << moved.error;

    // A file that is no library, and a library that serves no classes.
    std::ofstream(home / "text.so") << "not an ELF file";
    ASSERT_EQ(registerServer(home / "text.so"), hr::S_OK);
    EXPECT_EQ(CreateObject(kProgId).result, hr::CO_E_DLLNOTFOUND);
    ASSERT_TRUE(registry::writeRegistration({kProgId, CLSID_cLUMOAudio, "/lib/x86_64-linux-gnu/libm.so.6"}));
    CreatedObject plain = CreateObject(kProgId);
    EXPECT_EQ(plain.result, hr::CO_E_DLLNOTFOUND);
    EXPECT_NE(plain.error.find("is not a class library"), std::string::npos) << plain.error;

    // A damaged registration file.
    std::ofstream(registrationFile(kProgId)) << "[Class]\nCLSID={not-a-guid}\nLibrary=relative.so\n";
    CreatedObject damaged = CreateObject(kProgId);
    EXPECT_EQ(damaged.result, hr::REGDB_E_CLASSNOTREG);
    EXPECT_NE(damaged.error.find("names no class id"), std::string::npos) << damaged.error;
}

TEST(ClassFactory, ServesOnlyItsClassAndNoAggregation) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &object), hr::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_cLUMOAudio, IID_IClassFactory, reinterpret_cast<void**>(&factory)), hr::S_OK);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IDispatch, &object),
              hr::CLASS_E_NOAGGREGATION);
    EXPECT_EQ(canUnloadNow(), hr::S_OK);
    factory->LockServer(true);
    EXPECT_EQ(canUnloadNow(), hr::S_FALSE);
    factory->LockServer(false);
    EXPECT_EQ(canUnloadNow(), hr::S_OK);
    EXPECT_EQ(registry::parseGuid(toString(CLSID_cLUMOAudio)), CLSID_cLUMOAudio);
    EXPECT_FALSE(registry::parseGuid("{5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}x"));
}

}  // namespace
}  // namespace lumo::automation
