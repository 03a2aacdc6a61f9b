// Every file the framework writes is this user's alone: owner-only whatever
// the umask, never written through a planted link, never a FIFO that would
// hold the caller.
#include <sys/stat.h>

#include "failsafe/circular_log.h"
#include "failsafe/file_append.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

class PrivateFilesTest : public FrameworkTest {};

TEST_F(PrivateFilesTest, NewFilesAreOwnerOnlyAndOpenOnesAreNarrowedKeepingTheirText) {
    const mode_t umask = ::umask(0);
    std::ofstream(path("old.log")) << "kept\r\n";  // left readable by an older program
    ::chmod(path("old.log").c_str(), 0644);
    CircularLog circular;
    EXPECT_TRUE(appendToFile(path("new.log").string(), "line\r\n") && createEmptyIfMissing(path("empty.log").string()) &&
                circular.open(path("circ.log")) && appendToFile(path("old.log").string(), "added\r\n"));
    ::umask(umask);
    for (const char* name : {"new.log", "empty.log", "circ.log", "old.log"})
        EXPECT_EQ(fs::status(path(name)).permissions(), fs::perms::owner_read | fs::perms::owner_write) << name;
    EXPECT_EQ(bytesOf(path("old.log")), "kept\r\nadded\r\n");
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
        CircularLog circular;
        EXPECT_FALSE(appendToFile(path(name).string(), "overwrite") || createEmptyIfMissing(path(name).string()) ||
                     circular.open(path(name)) || circular.isOpen())
            << name;
    }
    EXPECT_FALSE(appendToFile("", "no name"));
    writeOptions("[Log File]\r\nWrite To Disk=1\r\nLog File=planted.log\r\n");  // the log file itself
    fs->start();
    fs->writeLog("a line for the log");
    EXPECT_EQ(fs->option(16, Value(path("planted.log").string())).text(), "");  // the library's own check at start-up
    EXPECT_EQ(bytesOf(path("victim")), "precious");
    EXPECT_FALSE(fs::exists(path("not-there"))) << "a dangling link must not create its target";
}

}  // namespace
}  // namespace lumo::failsafe::testing
