// The Linux services' memory reading, the program's own name, and the
// headless interface that programs without a display use.
#include <unistd.h>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

TEST(LinuxServices, MeminfoParsing) {
    const auto status = parseMeminfo("MemTotal:       1000 kB\nMemFree:         100 kB\nMemAvailable:    250 kB\n");
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->loadPercent, 75u);
    EXPECT_EQ(status->availablePhysical, 250u * 1024u);
    EXPECT_EQ(parseMeminfo("MemTotal: 1000 kB\nMemFree: 400 kB\n")->loadPercent, 60u);  // old kernels: free memory
    EXPECT_FALSE(parseMeminfo("garbage\x01\x02").has_value());
    EXPECT_TRUE(makeLinuxSystemServices()->memoryStatus().has_value());
}

TEST(ProgramIdentity, NamesFollowTheFileTheFrameworkLivesIn) {
    EXPECT_EQ(programNameOf("libLUMOAudioPlayer.so.1.2"), "LUMOAudioPlayer");
    EXPECT_EQ(programNameOf("player.bin"), "player");
    EXPECT_EQ(programNameOf(".hidden"), ".hidden");
    ScopedFramework fs;  // nobody configured it: the test program itself
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    EXPECT_EQ(fs->program().name, "failsafe_tests");
    EXPECT_EQ(fs->optionsFile(), std::filesystem::path(exe).parent_path() / "FSCLIENT.INI");
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_EQ(fs->exeTag(), "[failsafe_tests] ");
    fsPOP("modMain", "Sub Main", "");
}

TEST(HeadlessInterface, AnswersWithTheDefaultButton) {
    EXPECT_EQ(box::defaultAnswer(box::YesNoCancel | box::DefaultButton3), box::Cancel);
    EXPECT_EQ(box::defaultAnswer(box::AbortRetryIgnore | box::DefaultButton2), box::Retry);
    HeadlessUserInterface headless;
    ::testing::internal::CaptureStderr();
    const int32_t answer = headless.messageBox("First line\rSecond line\r\nThird", box::YesNo, "LUMO");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[LUMO] First line\nSecond line\nThird (answered 6)\n");
    EXPECT_EQ(answer, box::Yes);
}

}  // namespace
}  // namespace lumo::failsafe::testing
