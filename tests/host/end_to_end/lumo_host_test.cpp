// lumo-host as a user runs it: the built program in a fresh process with a
// private home, registering the built library, creating the object by its
// ProgID and playing generated files into a fake sink.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/child_process.h"
#include "tests/support/generated_media.h"

namespace {

namespace fs = std::filesystem;
using lumo::testing::linesOf;

struct Finished {
    int status = -1;  // exit status; -1 when killed or not started
    std::vector<std::string> out;
    std::string errors;
};

std::string readFile(const fs::path& path) { return lumo::testing::bytesOf(path); }

// Runs a program with `environment`, standard input from `input` and its
// output in files under `folder`; one still running after `limit` is killed.
Finished runProgram(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                    const fs::path& input, const fs::path& folder,
                    std::chrono::seconds limit = std::chrono::minutes(2)) {
    const lumo::testing::ChildProcess child = lumo::testing::startChild(command, environment, folder, input);
    Finished finished;
    if (child.pid <= 0) return finished;
    finished.status = lumo::testing::waitForChild(child.pid, limit, command[0]).status;
    finished.out = linesOf(readFile(folder / "out"));
    finished.errors = readFile(folder / "err");
    return finished;
}

class LumoHostProcess : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() / ("lumo-host-e2e-" + std::to_string(::getpid()));
    fs::path music = root / "music", playlists = root / "playlists";
    std::vector<std::string> environment;

    void SetUp() override {
        fs::remove_all(root);
        for (const char* folder : {"home", "config/lumo", "data", "cache", "music", "playlists"})
            fs::create_directories(root / folder);
        environment = lumo::testing::privateEnvironment({{"HOME", root / "home"},
                                                        {"XDG_CONFIG_HOME", root / "config"},
                                                        {"XDG_DATA_HOME", root / "data"},
                                                        {"XDG_CACHE_HOME", root / "cache"}});
        environment.push_back("LUMO_AUDIO_SINK=fakesink sync=true");
        std::ofstream(root / "config/lumo/LUMO Player.ini")
            << "[Library]\nMusicFolders=" << music.string() << "\nPlaylistFolders=" << playlists.string()
            << "\n\n[Settings]\nINSTALLDIR=" << root.string() << "\n";
    }
    void TearDown() override { fs::remove_all(root); }

    // Two seconds (86 x 1024 frames) of a sine at 44.1 kHz, stereo.
    void makeTone(const std::string& name, int frequency) {
        lumo::testing::writeWav(music / name, lumo::testing::sineSamples(frequency, 86 * 1024));
    }

    Finished host(const std::vector<std::string>& arguments, const std::string& script,
                  std::chrono::seconds limit = std::chrono::minutes(2)) {
        std::ofstream(root / "script.lumo") << script;
        std::vector<std::string> command = {LUMO_HOST_EXECUTABLE};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return runProgram(command, environment, root / "script.lumo", root, limit);
    }
};

std::string dump(const Finished& run) {
    std::string text = "exit " + std::to_string(run.status) + "\n";
    for (const std::string& line : run.out) text += line + "\n";
    return text + run.errors;
}

TEST_F(LumoHostProcess, RegistersCreatesPlaysTerminatesAndPlaysAgain) {
    makeTone("low.wav", 330);
    makeTone("high.wav", 660);
    std::ofstream(playlists / "e2e mix.m3u") << "#EXTM3U\n" << (music / "low.wav").string() << "\n"
                                             << (music / "high.wav").string() << "\n";
    const std::string activate = R"(InitialisePL "" 0 "e2e mix" 0 "" "" "" 2 0 "" 0)";
    const Finished run = host({}, ":register\nVersion\nVolume = 30\nVolume\nIncVolUp\nVolume\n" + activate +
                                      "\nGetCurrentPlaylist\nDoPlay\n:wait Playstate=3 10000\nDoTerminate\n" +
                                      activate + "\nDoPlay\n:wait Playstate=3 10000\nDoStop\n" +
                                      "Nope\nInitializeVolBal 1\nVolume = 40\nVolume = loud\nVolume\nVersion = 3\n");
    ASSERT_EQ(run.status, 0) << dump(run);
    ASSERT_EQ(run.out.size(), 21u) << dump(run);

    const fs::path library = fs::path(LUMO_HOST_EXECUTABLE).parent_path().parent_path() / "lib/libLUMOAudioPlayer.so";
    EXPECT_EQ(run.out[0], R"({"register": ")" + library.lexically_normal().string() + R"(", "ok": true})");
    EXPECT_TRUE(std::regex_match(run.out[1], std::regex(R"(\{"call": "Version", "result": "\d+\.\d\d\.\d{4}", "byref": \{\}\})")))
        << run.out[1];
    const std::vector<std::string> volumes = {
        R"({"call": "Volume", "result": null, "byref": {}})", R"({"call": "Volume", "result": 30, "byref": {}})",
        R"({"call": "IncVolUp", "result": null, "byref": {}})", R"({"call": "Volume", "result": 35, "byref": {}})"};
    for (size_t i = 0; i < volumes.size(); ++i) EXPECT_EQ(run.out[2 + i], volumes[i]);
    const std::string activated =
        R"({"call": "InitialisePL", "result": true, "byref": {"sPromptedDrive": "", "nPlayListType": 0, )"
        R"("sPlayList": "e2e mix", "nHowToIDCD": 0, "sDriveLetter": "", "sSerNum": "", "sVolumeName": "", )"
        R"("nShuffleMode": 2, "cCDROMs": 0, "sWMPError": "", "nPLError": 0}})";
    EXPECT_EQ(run.out[6], activated);
    EXPECT_EQ(run.out[7], R"({"call": "GetCurrentPlaylist", "result": "e2e mix", "byref": {}})");
    EXPECT_EQ(run.out[8], R"({"call": "DoPlay", "result": null, "byref": {}})");
    EXPECT_TRUE(run.out[9].starts_with(R"({"wait": "Playstate=3", "ok": true, "after_ms": )")) << run.out[9];
    EXPECT_EQ(run.out[10], R"({"call": "DoTerminate", "result": null, "byref": {}})");
    // After DoTerminate the next call loads the player host again.
    EXPECT_EQ(run.out[11], activated);
    EXPECT_TRUE(run.out[13].starts_with(R"({"wait": "Playstate=3", "ok": true, "after_ms": )")) << run.out[13];
    EXPECT_EQ(run.out[12], R"({"call": "DoPlay", "result": null, "byref": {}})");
    EXPECT_EQ(run.out[14], R"({"call": "DoStop", "result": null, "byref": {}})");

    // Dispatch errors are records; the script went on to its end.
    EXPECT_EQ(run.out[15], R"({"call": "Nope", "error": {"hresult": "0x80020006", "description": "unknown name 'Nope'"}})");
    EXPECT_TRUE(run.out[16].starts_with(R"({"call": "InitializeVolBal", "error": {"hresult": "0x8002000E", )"))
        << run.out[16];
    EXPECT_EQ(run.out[17], R"({"call": "Volume", "result": null, "byref": {}})");
    EXPECT_TRUE(run.out[18].starts_with(R"({"call": "Volume", "error": {"hresult": "0x80020005", )")) << run.out[18];
    EXPECT_TRUE(run.out[18].ends_with(R"("argument": "Volume"}})")) << run.out[18];
    EXPECT_EQ(run.out[19], R"({"call": "Volume", "result": 40, "byref": {}})") << "a refused value changes nothing";
    EXPECT_EQ(run.out[20], R"({"call": "Version", "error": {"hresult": "0x80020003", "description": "Version cannot be assigned"}})");
}

// A host that listens gets the whole playlist told in order, on its own
// thread while it waits; one that does not sees what it always saw.
TEST_F(LumoHostProcess, EventsTellAWholePlaylistInOrderAndAHostWithoutThemSeesTheSame) {
    makeTone("low.wav", 330);
    makeTone("high.wav", 660);
    std::ofstream(playlists / "told.m3u") << (music / "low.wav").string() << "\n" << (music / "high.wav").string() << "\n";
    const std::string script = R"(InitialisePL "" 0 "told" 0 "" "" "" 2 0 "" 0)"
                               "\nCurrentTitle\nCurrentSourceURL\nDoPlay\n:wait Playstate=8 20000\nCurrentIndex\nPlaystate\n";
    const Finished polled = host({}, ":register\n" + script);
    const Finished told = host({}, ":events\n" + script + ":events off\nDoPlay\n:sleep 300\n");
    ASSERT_EQ(polled.status, 0) << dump(polled);
    ASSERT_EQ(told.status, 0) << dump(told);

    const auto timeless = [](std::string line) { return std::regex_replace(line, std::regex(R"("after_ms": \d+)"), "T"); };
    std::vector<std::string> calls, events;
    for (const std::string& line : told.out)
        (line.starts_with(R"({"event": )") ? events : calls).push_back(line);
    ASSERT_GE(calls.size(), 3u) << dump(told);
    EXPECT_EQ(calls.front(), R"({"events": "on", "ok": true})");
    EXPECT_EQ(calls[calls.size() - 2], R"({"events": "off", "ok": true})");
    calls.erase(calls.end() - 2);
    calls.erase(calls.begin());
    calls.pop_back();  // the second DoPlay
    std::vector<std::string> polledCalls;
    for (size_t i = 1; i < polled.out.size(); ++i) polledCalls.push_back(timeless(polled.out[i]));
    for (std::string& line : calls) line = timeless(line);
    EXPECT_EQ(calls, polledCalls);
    EXPECT_EQ(polled.out[2], R"({"call": "CurrentTitle", "result": "low", "byref": {}})");
    EXPECT_EQ(polled.out[3], R"({"call": "CurrentSourceURL", "result": "file://)" + (music / "low.wav").string() + R"(", "byref": {}})");

    // Every event came while the host waited for the end, none after :events off.
    const auto firstEvent = std::find_if(told.out.begin(), told.out.end(), [](const std::string& l) { return l.starts_with(R"({"event": )"); });
    ASSERT_NE(firstEvent, told.out.end()) << dump(told);
    EXPECT_TRUE(firstEvent[-1].starts_with(R"({"call": "DoPlay")")) << dump(told);
    EXPECT_TRUE(firstEvent[events.size()].starts_with(R"({"wait": "Playstate=8", "ok": true)")) << dump(told);
    const std::vector<std::string> items = [&] {
        std::vector<std::string> changes;
        for (const std::string& e : events) if (e.find("CurrentItemChange") != std::string::npos) changes.push_back(e);
        return changes;
    }();
    ASSERT_GE(items.size(), 2u) << dump(told);
    EXPECT_EQ(items[0], R"({"event": "CurrentItemChange", "args": [0, "low"]})");
    EXPECT_EQ(items[1], R"({"event": "CurrentItemChange", "args": [1, "high"]})");
    const auto playing = std::find(events.begin(), events.end(), R"({"event": "PlayStateChange", "args": [3]})");
    EXPECT_LT(playing, std::find(events.begin(), events.end(), items[1])) << "playing before the second item";
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], R"({"event": "PlayStateChange", "args": [8]})");
    EXPECT_EQ(events.back(), R"({"event": "EndOfPlaylist", "args": []})");
}

// Items whose opening could block for good (a pipe nobody writes, a device
// that never ends, a folder) fail as items, the host goes on to the next
// one, and what is wrong outside any item (a rule file, the sound output)
// reaches the error log where a windowed host's user finds it.
TEST_F(LumoHostProcess, ItemsThatCouldBlockFailAndProblemsReachTheErrorLog) {
    makeTone("low.wav", 330);
    const fs::path pipe = music / "pipe.wav", folder = music / "folder.wav";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directories(folder);
    std::ofstream(playlists / "blocking.m3u") << pipe.string() << "\n/dev/zero\n"
                                              << folder.string() << "\n" << (music / "low.wav").string() << "\n";
    std::ofstream(playlists / "broken.autopl") << "[Auto Playlist]\nRule1=colour is blue\n";
    std::replace(environment.begin(), environment.end(), std::string("LUMO_AUDIO_SINK=fakesink sync=true"),
                 std::string("LUMO_AUDIO_SINK=nosuchsink"));

    const Finished run = host({}, ":register\n" R"(InitialisePL "" 0 "blocking" 0 "" "" "" 2 0 "" 0)"
                                  "\nPlaystate\nDoPlay\nPlaystate\nDoNext\nDoPlay\nPlaystate\nDoNext\nDoNext\n"
                                  "DoPlay\n:wait Playstate=3 10000\n");
    ASSERT_EQ(run.status, 0) << dump(run);
    ASSERT_EQ(run.out.size(), 12u) << dump(run);
    EXPECT_TRUE(run.out[1].starts_with(R"({"call": "InitialisePL", "result": true, )")) << run.out[1];
    for (size_t stopped : {2u, 4u, 7u}) EXPECT_EQ(run.out[stopped], R"({"call": "Playstate", "result": 1, "byref": {}})");
    EXPECT_TRUE(run.out[11].starts_with(R"({"wait": "Playstate=3", "ok": true, )")) << run.out[11];

    const std::string log = readFile(root / "LUMOAudioErrors.log");
    EXPECT_NE(log.find("frmAudioPlayer.WMPlayer"), std::string::npos) << log;
    EXPECT_NE(log.find("broken.autopl"), std::string::npos) << "the rule file's problem:\n" << log;
    EXPECT_NE(log.find("The audio output 'nosuchsink' cannot be used"), std::string::npos) << log;
}

TEST_F(LumoHostProcess, WithoutARegistrationTheObjectCannotBeCreated) {
    // Neither the user's registration nor a system one (an installed package's).
    environment.push_back("XDG_DATA_DIRS=" + (root / "no-system").string());
    const Finished unregistered = host({"-e", "Version"}, "");
    EXPECT_EQ(unregistered.status, 2) << dump(unregistered);
    EXPECT_TRUE(unregistered.out.empty()) << dump(unregistered);
    EXPECT_NE(unregistered.errors.find("lumo-host: -e 1: cannot create LUMOAudioPlayer.cLUMOAudio: "),
              std::string::npos)
        << unregistered.errors;
    EXPECT_NE(unregistered.errors.find("(0x80040154)"), std::string::npos) << unregistered.errors;

    const Finished removed = host({}, ":register\n:unregister\nVersion\n");
    EXPECT_EQ(removed.status, 2) << dump(removed);
    ASSERT_EQ(removed.out.size(), 2u) << dump(removed);
    EXPECT_TRUE(removed.out[0].ends_with(R"(, "ok": true})")) << removed.out[0];
    EXPECT_TRUE(removed.out[1].starts_with(R"({"unregister": ")")) << removed.out[1];
    EXPECT_TRUE(removed.out[1].ends_with(R"(, "ok": true})")) << removed.out[1];
    EXPECT_NE(removed.errors.find("lumo-host: stdin:3: cannot create"), std::string::npos) << removed.errors;
}

// Offscreen and minimal start Qt, but nobody sees a window there: the host
// gets what it gets without a display (the error report in the log instead
// of the error window, SelectPlaylists answered as closed) and never waits.
TEST_F(LumoHostProcess, OffscreenAndMinimalAnswerAsWithoutADisplay) {
    const std::string script = ":register\nGetCurrentPlaylist\nSelectPlaylists 0 \"\" 0 \"\" \"\" \"\" 0 false\n";
    const std::vector<std::string> headless = environment;
    std::vector<std::string> withoutDisplay;
    for (const std::string platform : {"", "offscreen", "minimal", "offscreen:fontconfig", "xcb;offscreen"}) {
        SCOPED_TRACE("QT_QPA_PLATFORM=" + platform);
        environment = headless;
        if (!platform.empty()) environment.push_back("QT_QPA_PLATFORM=" + platform);
        fs::remove(root / "LUMOAudioErrors.log");
        // A window waiting for nobody would keep the host far longer than this.
        const Finished run = host({}, script, std::chrono::seconds(45));
        ASSERT_EQ(run.status, 0) << dump(run);
        ASSERT_EQ(run.out.size(), 3u) << dump(run);
        EXPECT_EQ(run.out[1], R"({"call": "GetCurrentPlaylist", "result": "", "byref": {}})");
        EXPECT_TRUE(run.out[2].ends_with(R"("nShuffleMode": 1, "fCancelled": true}})")) << run.out[2];
        if (platform.empty()) withoutDisplay = run.out;
        else EXPECT_EQ(run.out, withoutDisplay);

        const std::string log = readFile(root / "LUMOAudioErrors.log");
        for (const char* expected : {"\t\tProcedure Function GetCurrentPlaylist\r\n", "\t\tError No. 91\r\n",
                                     "System State Information\r\n",
                                     "'No display to show the playlist selection on: answered as closed by the user'"})
            EXPECT_NE(log.find(expected), std::string::npos) << expected << " not in\n" << log;
    }
}

}  // namespace
