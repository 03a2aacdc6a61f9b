// Auto playlists over a real index: every field, operator, order and limit,
// each with the exact list of items it must give.
#include <algorithm>

#include "library_fixture.h"
#include "platform/library/text.h"

namespace lumo::platform::library::testing {
namespace {

const std::string Gymno = "Gymnop\u00e9die 1";

// Eight tracks: five first seen twelve days before the playlists are
// evaluated, three two days before. Default order: by path.
class AutoPlaylistTest : public LibraryTest {
protected:
    static void SetUpTestSuite() { sample(Kind::Flac), sample(Kind::Mp3Cbr); }

    void SetUp() override {
        const auto wav = [&](const char* file, double seconds, const Tags& tags) {
            writeWav(music / file, seconds);
            ASSERT_TRUE(tag(music / file, tags));
        };
        wav("classical/clair.wav", 120, {"Clair de Lune", "Debussy", "Suite bergamasque", "Classical", 1905, 3});
        wav("classical/gymno.wav", 70, {Gymno, "Satie", "", "Classical", 1888, 1});
        wav("jazz/blue.wav", 50, {"Blue in Green", "Miles Davis", "Kind of Blue", "Jazz", 1959, 3});
        wav("jazz/sowhat.wav", 94.4, {"So What", "Miles Davis", "Kind of Blue", "Jazz", 1959, 1});
        wav("jazz/takefive.wav", 54.4, {"Take Five", "Dave Brubeck", "Time Out", "Cool Jazz", 1959, 3});
        library = open();
        library->refresh();
        clock += 10 * Day;
        wav("pop/pure.wav", 20, {"100% Pure", "_Under_Score", "Misc", "Pop", 0, 0});
        copySample(Kind::Flac, music / "test/tone.flac");
        ASSERT_TRUE(tag(music / "test/tone.flac", {"Tone", "Generator", "Tests", "Test", 2020, 1}));
        copySample(Kind::Mp3Cbr, music / "test/beep.mp3");  // no tags: named after its file
        library->refresh();
        clock += 2 * Day;
    }

    PlaylistPtr rules(const std::string& lines) {
        writeText(lists / "rules.autopl", "[Auto Playlist]\nName=rules\n" + lines);
        return only(library->getByName("rules"));
    }
    Names evaluate(const std::string& lines) {
        const PlaylistPtr playlist = rules(lines);
        return playlist ? namesOf(playlist) : Names{"<not a playlist: " + allLogged() + ">"};
    }

    std::unique_ptr<MediaLibrary> library;
};

const Names Everything = {"Clair de Lune", Gymno, "Blue in Green", "So What", "Take Five", "100% Pure", "beep", "Tone"};

struct Case {
    std::string rules;
    Names expected;
};

TEST_F(AutoPlaylistTest, EveryFieldAndOperator) {
    const Case cases[] = {
        {"", Everything},
        {"Rule1=title is so what\n", {"So What"}},
        {"Rule1=title does not contain e\n", {"So What"}},
        {"Rule1=title ends with \"e 1\"\n", {Gymno}},
        {"Rule1=title > Take\n", {"Take Five", "Tone"}},
        {"Rule1=title < B\n", {"100% Pure"}},
        {"Rule1=title contains %\n", {"100% Pure"}},
        // Letter case of any script, composed or not, does not count.
        {"Rule1=title is GYMNOP\u00c9DIE 1\n", {Gymno}},
        {"Rule1=title starts with gymnope\u0301\n", {Gymno}},
        {"Rule1=title does not contain \u00c9\n",
         {"Clair de Lune", "Blue in Green", "So What", "Take Five", "100% Pure", "beep", "Tone"}},
        {"Rule1=artist contains _\n", {"100% Pure"}},
        {"Rule1=artist is \"\"\n", {"beep"}},
        {"Rule1=path contains /classical/\n", {"Clair de Lune", Gymno}},
        {"Rule1=format is flac\n", {"Tone"}},
        {"Rule1=year >= 1959\n", {"Blue in Green", "So What", "Take Five", "Tone"}},
        {"Rule1=track < 2\n", {Gymno, "So What", "Tone"}},
        {"Rule1=duration is 94\n", {"So What"}},  // whole seconds
        {"Rule1=duration >= 54.4\n", {"Clair de Lune", Gymno, "So What"}},
        {"Rule1=added is 2\n", {"100% Pure", "beep", "Tone"}},
        {"Rule1=genre contains jazz\nRule2=duration < 60\n", {"Blue in Green", "Take Five"}},
        {"Match=any\nRule1=genre is Pop\nRule2=year < 1900\n", {Gymno, "100% Pure"}},
        {"Match=all\nRule1=genre is Pop\nRule2=year < 1900\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(evaluate(c.rules), c.expected) << c.rules;
}

TEST_F(AutoPlaylistTest, EveryOrderAndLimit) {
    const Case cases[] = {
        {"Order=title\n",
         {"100% Pure", "beep", "Blue in Green", "Clair de Lune", Gymno, "So What", "Take Five", "Tone"}},
        {"Order=-duration\n",
         {"Clair de Lune", "So What", Gymno, "Take Five", "Blue in Green", "100% Pure", "beep", "Tone"}},
        {"Order=year\n",
         {Gymno, "Clair de Lune", "Blue in Green", "So What", "Take Five", "Tone", "100% Pure", "beep"}},
        {"Order=added\n",
         {"100% Pure", "beep", "Tone", "Clair de Lune", Gymno, "Blue in Green", "So What", "Take Five"}},
        {"Order=artist\n",
         {"beep", "100% Pure", "Take Five", "Clair de Lune", "Tone", "Blue in Green", "So What", Gymno}},
        {"Order=track\n",
         {Gymno, "So What", "Tone", "Clair de Lune", "Blue in Green", "Take Five", "100% Pure", "beep"}},
        {"Order=-path\nRule1=path contains /jazz/\n", {"Take Five", "So What", "Blue in Green"}},
        {"Order=format\nRule1=path contains /test/\n", {"Tone", "beep"}},
        // Limits: counted in the order asked for.
        {"Order=-duration\nLimit=3 items\n", {"Clair de Lune", "So What", Gymno}},
        // 3.02 + 3.06 + 20 + 50 + 54.4 = 130.48 s; the next (70 s) would pass three minutes.
        {"Order=duration\nLimit=3 minutes\n", {"Tone", "beep", "100% Pure", "Blue in Green", "Take Five"}},
        {"Order=-duration\nLimit=2 minutes\n", {"Clair de Lune"}},  // exactly two minutes
        {"Order=-duration\nLimit=1 minute\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(evaluate(c.rules), c.expected) << c.rules;
}

}  // namespace
}  // namespace lumo::platform::library::testing
