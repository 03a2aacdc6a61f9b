// Every file the framework writes (the log, the error reports, the circular
// log) is this user's alone: owner-only whatever the umask, never written
// through a symbolic link someone planted, never a FIFO that would hold the
// caller.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "failsafe/circular_log.h"
#include "failsafe/file_append.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& file) {
    struct stat info{};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0) << file;
    return info.st_mode & 07777;
}

// The process umask for one test, restored afterwards.
struct ScopedUmask {
    mode_t old;
    explicit ScopedUmask(mode_t mask) : old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old); }
};

class PrivateFilesTest : public FrameworkTest {};

TEST_F(PrivateFilesTest, NewFilesAreOwnerOnlyAndOpenOnesAreNarrowedKeepingTheirText) {
    ScopedUmask open(0);
    ASSERT_TRUE(appendToFile(path("new.log").string(), "line\r\n"));
    EXPECT_EQ(modeOf(path("new.log")), 0600u);
    ASSERT_TRUE(createEmptyIfMissing(path("empty.log").string()));
    EXPECT_EQ(modeOf(path("empty.log")), 0600u);
    CircularLog circular;
    ASSERT_TRUE(circular.open(path("circ.log")));
    EXPECT_EQ(modeOf(path("circ.log")), 0600u);

    // A log left readable by an older program or a copy keeps its lines.
    std::ofstream(path("old.log")) << "kept\r\n";
    ::chmod(path("old.log").c_str(), 0644);
    ASSERT_TRUE(appendToFile(path("old.log").string(), "added\r\n"));
    EXPECT_EQ(modeOf(path("old.log")), 0600u);
    EXPECT_EQ(readFile(path("old.log")), "kept\r\nadded\r\n");
}

// A link someone planted, a FIFO (a blocking open would never return) or a
// folder at the name: refused, and a link's target untouched.
TEST_F(PrivateFilesTest, LinksFifosAndFoldersAtTheNameAreRefused) {
    std::ofstream(path("victim")) << "precious";
    fs::create_symlink(path("victim"), path("planted.log"));
    fs::create_symlink(path("not-there"), path("dangling.log"));
    ASSERT_EQ(::mkfifo(path("fifo.log").c_str(), 0600), 0);
    fs::create_directory(path("folder.log"));
    for (const char* name : {"planted.log", "dangling.log", "fifo.log", "folder.log"}) {
        EXPECT_FALSE(appendToFile(path(name).string(), "overwrite")) << name;
        EXPECT_FALSE(createEmptyIfMissing(path(name).string())) << name;
        CircularLog circular;
        EXPECT_FALSE(circular.open(path(name))) << name;
        EXPECT_FALSE(circular.isOpen()) << name;
    }
    EXPECT_EQ(readFile(path("victim")), "precious");
    EXPECT_FALSE(fs::exists(path("not-there"))) << "a dangling link must not create its target";
}

TEST_F(PrivateFilesTest, ALogFileThatIsALinkIsNeverWrittenAndTheProgramGoesOn) {
    std::ofstream(path("victim")) << "precious";
    fs::create_symlink(path("victim"), path("planted.log"));
    writeOptions("[Log File]\r\nWrite To Disk=1\r\nLog File=planted.log\r\n");
    fs->start();
    fs->writeLog("a line for the log");
    // Set by the library at start-up: a file that cannot be made its own switches the log off.
    EXPECT_EQ(fs->option(16, Value(path("planted.log").string())).text(), "");
    fs->writeLog("another line");
    EXPECT_EQ(readFile(path("victim")), "precious");
    EXPECT_TRUE(fs::is_symlink(path("planted.log")));
}

}  // namespace
}  // namespace lumo::failsafe::testing
