// The per-user registration and creating objects by ProgID, down every way
// it can fail; creating the real object in a fresh process is the
// scripting host's end-to-end test.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "automation/class_factory.h"
#include "automation/client/class_registry.h"
#include "lumo/create_object.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {
namespace {

namespace fs = std::filesystem;

class Registration : public ::testing::Test {
protected:
    fs::path home = fs::temp_directory_path() / ("lumo-registration-" + std::to_string(::getpid()));
    void SetUp() override {
        fs::remove_all(home);
        fs::create_directories(home);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        for (const char* library : {"old.so", "new.so", "moved.so"}) std::ofstream(home / library).close();
    }
    void TearDown() override { fs::remove_all(home); }
};

TEST_F(Registration, RegisteringTwiceLeavesOneEntryForTheLatestLibrary) {
    ASSERT_EQ(registerServer(home / "old.so"), hr::S_OK);
    ASSERT_EQ(registerServer(home / "new.so"), hr::S_OK);
    const std::optional<registry::Registration> read = registry::readRegistration(kProgId);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->library, home / "new.so");
    EXPECT_EQ(read->clsid, CLSID_cLUMOAudio);
    struct stat info{};
    ASSERT_EQ(::stat(registrationFile(kProgId).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 022, 0u) << "nobody else may redirect the ProgID";
    EXPECT_EQ(registerServer(home / "missing.so"), hr::SELFREG_E_CLASS);
    EXPECT_EQ(registry::readRegistration(kProgId)->library, home / "new.so") << "a failed registration changes nothing";

    ASSERT_EQ(unregisterServer(), hr::S_OK);
    EXPECT_FALSE(fs::exists(registrationFile(kProgId)));
    EXPECT_EQ(unregisterServer(), hr::S_OK) << "nothing to remove is no failure";

    // Another class registered under the same name is left alone.
    ASSERT_TRUE(registry::writeRegistration({kProgId, Guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, home / "old.so"}));
    EXPECT_EQ(unregisterServer(), hr::S_OK);
    EXPECT_TRUE(fs::exists(registrationFile(kProgId)));
}

TEST_F(Registration, CreateObjectSaysWhyItCannot) {
    EXPECT_EQ(CreateObject("").result, hr::CO_E_CLASSSTRING);
    EXPECT_EQ(CreateObject("../../etc/passwd").result, hr::CO_E_CLASSSTRING);
    EXPECT_EQ(CreateObject("Nobody.Here").result, hr::REGDB_E_CLASSNOTREG);

    const auto failure = [](const std::string& registration) {
        std::ofstream(registrationFile(kProgId)) << registration;
        const CreatedObject created = CreateObject(kProgId);
        EXPECT_FALSE(created.object);
        return std::to_string(created.result) + " " + created.error;
    };
    ASSERT_EQ(registerServer(home / "moved.so"), hr::S_OK);
    fs::remove(home / "moved.so");
    const std::string prefix = "[Class]\nCLSID=" + toString(CLSID_cLUMOAudio) + "\nLibrary=";
    const std::string dllNotFound = std::to_string(hr::CO_E_DLLNOTFOUND) + " ";
    const struct {
        std::string registration, failure;
    } cases[] = {
        {prefix + (home / "moved.so").string() + "\n", dllNotFound},  // moved after registering
        {prefix + (home / "old.so").string() + "\n", dllNotFound},    // an empty file is no library
        {prefix + "/lib/x86_64-linux-gnu/libm.so.6\n", dllNotFound},  // a library without classes
        {"[Class]\nCLSID={not-a-guid}\nLibrary=relative.so\n", std::to_string(hr::REGDB_E_CLASSNOTREG) + " "},
    };
    for (const auto& c : cases) {
        const std::string got = failure(c.registration);
        EXPECT_TRUE(got.starts_with(c.failure)) << got;
    }
}

TEST(ClassFactory, ServesOnlyItsClassAndNoAggregation) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &object), hr::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_cLUMOAudio, IID_IClassFactory, reinterpret_cast<void**>(&factory)), hr::S_OK);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IDispatch, &object),
              hr::CLASS_E_NOAGGREGATION);
    EXPECT_EQ(registry::parseGuid(toString(CLSID_cLUMOAudio)), CLSID_cLUMOAudio);
    EXPECT_FALSE(registry::parseGuid("{5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}x"));
}

}  // namespace
}  // namespace lumo::automation
