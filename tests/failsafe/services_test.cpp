// The real Linux services and the headless interface that programs without a
// display use.
#include <unistd.h>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

TEST(LinuxServices, ReadTheRealMachine) {
    auto services = makeLinuxSystemServices();
    const int64_t first = services->nowMilliseconds();
    ::usleep(20000);
    const int64_t second = services->nowMilliseconds();
    EXPECT_GE(second - first, 20);
    EXPECT_LT(second - first, 5000);

    const std::optional<MemoryStatus> memory = services->memoryStatus();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(memory->availablePhysical, 0u);
    EXPECT_LE(memory->loadPercent, 100u);
    // Read a second time through the descriptor kept open.
    EXPECT_TRUE(services->memoryStatus().has_value());

    const std::tm local = services->localTime();
    EXPECT_GE(local.tm_year + 1900, 2024);
}

TEST(LinuxServices, MeminfoParsing) {
    const auto status = parseMeminfo("MemTotal:       1000 kB\nMemFree:         100 kB\nMemAvailable:    250 kB\n");
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->loadPercent, 75u);
    EXPECT_EQ(status->availablePhysical, 250u * 1024u);
    // Old kernels without MemAvailable: the free memory stands in.
    const auto old = parseMeminfo("MemTotal: 1000 kB\nMemFree: 400 kB\n");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->loadPercent, 60u);
    EXPECT_FALSE(parseMeminfo("").has_value());
    EXPECT_FALSE(parseMeminfo("garbage\x01\x02").has_value());
}

TEST(ProgramIdentity, NamesFollowTheFileTheFrameworkLivesIn) {
    EXPECT_EQ(programNameOf("libLUMOAudioPlayer.so"), "LUMOAudioPlayer");
    EXPECT_EQ(programNameOf("libLUMOAudioPlayer.so.1.2"), "LUMOAudioPlayer");
    EXPECT_EQ(programNameOf("lumo-host"), "lumo-host");
    EXPECT_EQ(programNameOf("player.bin"), "player");
    EXPECT_EQ(programNameOf("libsound.sox"), "libsound");
    EXPECT_EQ(programNameOf(".hidden"), ".hidden");

    // A framework that nobody configured: the test program itself.
    ScopedFramework fs;
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::filesystem::path self(exe);
    EXPECT_EQ(fs->program().fileName, self.filename().string());
    EXPECT_EQ(fs->program().name, "failsafe_tests");
    EXPECT_EQ(fs->program().folder, self.parent_path());
    EXPECT_EQ(fs->optionsFile(), self.parent_path() / "FSCLIENT.INI");
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_EQ(fs->exeTag(), "[failsafe_tests] ");
    EXPECT_FALSE(fs->inDevEnvironment());  // no debugger attached under ctest
    fsPOP("modMain", "Sub Main", "");
}

TEST(HeadlessInterface, AnswersWithTheDefaultButton) {
    EXPECT_EQ(box::defaultAnswer(box::OkOnly | box::Critical), box::Ok);
    EXPECT_EQ(box::defaultAnswer(box::OkCancel), box::Ok);
    EXPECT_EQ(box::defaultAnswer(box::YesNo | box::Question | box::DefaultButton2), box::No);
    EXPECT_EQ(box::defaultAnswer(box::YesNoCancel | box::DefaultButton3), box::Cancel);
    EXPECT_EQ(box::defaultAnswer(box::AbortRetryIgnore | box::DefaultButton2), box::Retry);
    EXPECT_EQ(box::defaultAnswer(box::RetryCancel), box::Retry);

    HeadlessUserInterface headless;
    ::testing::internal::CaptureStderr();
    const int32_t answer = headless.messageBox("First line\rSecond line\r\nThird", box::YesNo, "LUMO");
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, box::Yes);
    EXPECT_EQ(shown, "[LUMO] First line\nSecond line\nThird (answered 6)\n");
}

}  // namespace
}  // namespace lumo::failsafe::testing
