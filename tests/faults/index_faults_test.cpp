// The media library's index when it is damaged, locked by another program,
// unreadable, or on a full disk, and when a music file goes away while the
// library reads the folders: the tracks are always listed, an index that
// cannot be read is rebuilt from the files, and one that is merely out of
// reach is never deleted.
#include <sys/stat.h>

#include <set>

#include "../platform/library/media_files.h"
#include "fault_support.h"
#include "platform/library/media_library.h"

namespace lumo::faults::testing {
namespace {

using platform::library::LibraryConfig;
using platform::library::LibraryHooks;
using platform::library::MediaLibrary;
using platform::library::testing::writeWav;
using Names = std::multiset<std::string>;

class IndexFaults : public HelperTest {
protected:
    fs::path music = root / "music", lists = root / "playlists", index = cache / "lumo" / "library.sqlite";
    std::vector<std::string> logged;
    std::vector<fs::path> reads;

    static constexpr const char* Rules = "[Auto Playlist]\n";

    void SetUp() override {
        for (const char* name : {"a", "b", "c"}) writeWav(music / (std::string(name) + ".wav"), 0.05);
        writeBytes(lists / "all.autopl", Rules);
    }
    // The library only ever reads playlist files.
    void TearDown() override { EXPECT_EQ(bytesOf(lists / "all.autopl"), Rules); }
    std::unique_ptr<MediaLibrary> open() {
        LibraryHooks hooks;
        hooks.log = [this](std::string line) { logged.push_back(std::move(line)); };
        hooks.fileRead = [this](const fs::path& file) { reads.push_back(file); };
        return std::make_unique<MediaLibrary>(LibraryConfig{{music}, {lists}, index}, hooks);
    }
    static Names itemsOf(MediaLibrary& library) {
        Names names;
        const auto all = library.getByName("all");
        for (int32_t p = 0; p < all->count(); ++p)
            for (int32_t i = 0; i < all->item(p)->count(); ++i) names.insert(all->item(p)->item(i)->name());
        return names;
    }
    static Names itemsSaid(const Finished& run) {
        Names names;
        for (const std::string& item : run.said("item")) names.insert(item.substr(item.find(' ') + 1));
        return names;
    }
    bool loggedWith(const std::string& part) const {
        return std::any_of(logged.begin(), logged.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    std::string allLogged() const {
        std::string text;
        for (const std::string& line : logged) text += line + "\n";
        return text;
    }
    // The index as a refresh leaves it, then no more readers of it.
    void buildIndex() {
        EXPECT_FALSE(itemsOf(*open()).empty());
        reads.clear();
        logged.clear();
    }
};

TEST_F(IndexFaults, DamagedPagesAreFoundAndTheIndexIsRebuiltFromTheFiles) {
    for (int i = 0; i < 60; ++i) writeWav(music / ("track with a long name " + std::to_string(i) + ".wav"), 0.01);
    buildIndex();
    const uintmax_t size = fs::file_size(index);
    ASSERT_GT(size, 4 * 4096u) << "the index should span several pages";
    std::string bytes = bytesOf(index);
    for (size_t at = 4096; at < bytes.size(); ++at) bytes[at] = static_cast<char>(at * 131 % 251);
    writeBytes(index, bytes);

    auto library = open();
    EXPECT_EQ(itemsOf(*library).size(), 63u);
    EXPECT_TRUE(loggedWith("rebuilt the track index")) << allLogged();
    EXPECT_EQ(reads.size(), 63u);
}

TEST_F(IndexFaults, AGarbageWriteAheadLogBesideTheIndexLosesNothing) {
    buildIndex();
    writeBytes(fs::path(index.string() + "-wal"), std::string(10000, '\x5a'));
    auto library = open();
    EXPECT_EQ(itemsOf(*library), (Names{"a", "b", "c"}));
    EXPECT_TRUE(reads.empty()) << "the stored tracks were read again";
}

TEST_F(IndexFaults, AnIndexLockedByAnotherProgramIsLeftToItAndTheTracksStillListed) {
    buildIndex();
    struct stat before {};
    ASSERT_EQ(::stat(index.c_str(), &before), 0);
    int input = -1;
    const fs::path folder = nextRunFolder();
    const pid_t locker = start({"index", "lock", index.string()}, environment(), folder, &input);
    ASSERT_TRUE(waitForLine(folder, "locked")) << bytesOf(folder / "out") << bytesOf(folder / "err");

    auto library = open();
    EXPECT_EQ(itemsOf(*library), (Names{"a", "b", "c"})) << allLogged();
    struct stat during {};
    ASSERT_EQ(::stat(index.c_str(), &during), 0) << "the locked index was deleted";
    EXPECT_EQ(during.st_ino, before.st_ino) << "the locked index was replaced";
    EXPECT_FALSE(loggedWith("rebuilt")) << allLogged();
    library.reset();

    ::close(input);
    const Finished lockerRun = finish(locker, folder);
    EXPECT_EQ(lockerRun.status, 0) << lockerRun.dump();
    reads.clear();
    EXPECT_EQ(itemsOf(*open()), (Names{"a", "b", "c"}));
    EXPECT_TRUE(reads.empty()) << "the stored tracks were read again:\n" << allLogged();
}

TEST_F(IndexFaults, AnIndexThatCannotBeOpenedIsKeptAndTheTracksListedFromMemory) {
    buildIndex();
    const std::string stored = bytesOf(index);
    const Finished run = runWith(faultOn((cache / "lumo").string(), "EACCES", "open,read,write,rename,fsync", 0),
                                 {"index", "refresh", index.string(), music.string(), lists.string()});
    ASSERT_FALSE(run.injected.empty()) << run.dump();
    EXPECT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(itemsSaid(run), (Names{"a", "b", "c"})) << run.dump();
    EXPECT_TRUE(bytesOf(index) == stored) << "the index was changed";
    EXPECT_EQ(itemsOf(*open()), (Names{"a", "b", "c"}));
    EXPECT_TRUE(reads.empty()) << "the stored tracks were read again:\n" << allLogged();
}

TEST_F(IndexFaults, AFullCacheDiskKeepsTheStoredIndex) {
    buildIndex();
    writeWav(music / "d.wav", 0.05);
    const Finished run = runWith(faultOn((cache / "lumo").string(), "ENOSPC", "write,fsync", 0),
                                 {"index", "refresh", index.string(), music.string(), lists.string()});
    ASSERT_FALSE(run.injected.empty()) << run.dump();
    EXPECT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(itemsSaid(run), (Names{"a", "b", "c", "d"})) << run.dump();

    EXPECT_EQ(itemsOf(*open()), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(reads, std::vector<fs::path>{music / "d.wav"}) << "the stored tracks were read again:\n" << allLogged();
}

TEST_F(IndexFaults, AFileThatVanishesBeforeItIsReadIsNotTakenForNonAudio) {
    const fs::path vanishing = music / "b.wav";
    const std::string bytes = bytesOf(vanishing);
    const auto modified = fs::last_write_time(vanishing);
    Fault fault;
    fault.vanish = vanishing.string();
    const Finished run = runWith(fault, {"index", "refresh", index.string(), music.string(), lists.string()});
    ASSERT_FALSE(run.injected.empty()) << run.dump();
    EXPECT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(itemsSaid(run), (Names{"a", "c"})) << run.dump();
    for (const std::string& line : run.said("log")) EXPECT_EQ(line.find("not an audio file"), std::string::npos) << line;

    // The file comes back as it was (a restore from a backup keeps its time).
    writeBytes(vanishing, bytes);
    fs::last_write_time(vanishing, modified);
    EXPECT_EQ(itemsOf(*open()), (Names{"a", "b", "c"})) << allLogged();
}

}  // namespace
}  // namespace lumo::faults::testing
