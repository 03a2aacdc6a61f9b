// The player when GStreamer lacks an element: each case runs the helper on a
// registry of its own, built from a few plugins with one of them left out.
// A missing decoder is an error item of the format class, a missing audio
// output or balance element is done without, missing core elements make
// each item one error, and a missing playbin is a clear error raised to the
// caller; none of them ends the program or trips a GLib assertion.
#include "tests/support/generated_media.h"
#include "fault_support.h"
#include "platform/gst/error_classes.h"
#include "platform/library/text.h"

namespace lumo::faults::testing {
namespace {

using platform::gst::ErrorClass;
using platform::gst::errorCodeOf;

// What a plain WAV file needs to play into a fake sink, and the sink chooser.
const std::vector<std::string> Plugins = {"coreelements", "playback",  "typefindfunctions", "wavparse",
                                          "audioconvert", "audioresample", "volume",       "audiofx",
                                          "autodetect",   "app"};

class MissingElement : public HelperTest {
protected:
    fs::path wav = root / "tone.wav";
    void SetUp() override { lumo::testing::writeWav(wav, 0.2); }

    // Plays the WAV file with every plugin above but `missing`.
    Finished playWithout(const std::string& missing, const std::string& sink) {
        const fs::path plugins = root / ("plugins-without-" + missing);
        fs::create_directories(plugins);
        for (const std::string& plugin : Plugins) {
            if (plugin == missing) continue;
            const fs::path library = fs::path(LUMO_GST_PLUGINS_DIR) / ("libgst" + plugin + ".so");
            EXPECT_TRUE(fs::exists(library)) << library;
            fs::create_symlink(library, plugins / library.filename());
        }
        std::vector<std::string> env;
        for (const std::string& entry : environment())
            if (!entry.starts_with("GST_PLUGIN") && !entry.starts_with("GST_REGISTRY") &&
                !entry.starts_with("LUMO_AUDIO_SINK="))
                env.push_back(entry);
        env.push_back("GST_PLUGIN_SYSTEM_PATH_1_0=" + plugins.string());
        env.push_back("GST_PLUGIN_PATH_1_0=");
        env.push_back("GST_REGISTRY_1_0=" + (plugins / "registry.bin").string());
        env.push_back("LUMO_AUDIO_SINK=" + sink);
        const fs::path folder = nextRunFolder();
        return finish(start({"play", platform::library::fileUri(wav.string())}, env, folder), folder);
    }
    static void expectPlayedToTheEnd(const Finished& run) {
        EXPECT_EQ(run.status, 0) << run.dump();
        EXPECT_TRUE(run.saidLine("state 3")) << "the item did not play\n" << run.dump();
        EXPECT_TRUE(run.said("error").empty()) << run.dump();
        EXPECT_TRUE(run.saidLine("done")) << run.dump();
    }
};

TEST_F(MissingElement, AllPluginsPresentTheItemPlays) { expectPlayedToTheEnd(playWithout("", "fakesink sync=true")); }

TEST_F(MissingElement, WithoutItsDecoderTheItemIsAFormatError) {
    const Finished run = playWithout("wavparse", "fakesink sync=true");
    EXPECT_EQ(run.status, 0) << run.dump();
    const std::vector<std::string> errors = run.said("error");
    ASSERT_EQ(errors.size(), 1u) << run.dump();
    const std::string expected = std::to_string(static_cast<int>(ErrorClass::Format)) + " " +
                                 std::to_string(errorCodeOf(ErrorClass::Format)) + " ";
    EXPECT_EQ(errors[0].substr(0, expected.size()), expected) << errors[0];
    EXPECT_TRUE(run.saidLine("done")) << run.dump();
}

TEST_F(MissingElement, WithoutTheAutomaticOutputItPlaysIntoTheFallbackSink) {
    expectPlayedToTheEnd(playWithout("autodetect", "autoaudiosink"));
}

TEST_F(MissingElement, WithoutTheBalanceElementItPlays) { expectPlayedToTheEnd(playWithout("audiofx", "fakesink sync=true")); }

TEST_F(MissingElement, WithoutTheCoreElementsTheItemIsOneErrorAndNothingMisbehaves) {
    const Finished run = playWithout("coreelements", "fakesink sync=true");
    EXPECT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(run.said("error").size(), 1u) << run.dump();
    EXPECT_TRUE(run.saidLine("done")) << run.dump();
    EXPECT_EQ(run.errors.find("CRITICAL"), std::string::npos) << run.errors;
}

TEST_F(MissingElement, WithoutPlaybinThePlayerRaisesAClearError) {
    const Finished run = playWithout("playback", "fakesink sync=true");
    EXPECT_EQ(run.status, 0) << run.dump();
    const std::vector<std::string> raised = run.said("raised");
    ASSERT_EQ(raised.size(), 1u) << run.dump();
    const std::string code = std::to_string(errorCodeOf(ErrorClass::Other)) + " ";
    EXPECT_EQ(raised[0].substr(0, code.size()), code) << raised[0];
    EXPECT_NE(raised[0].find("no playbin element"), std::string::npos) << raised[0];
}

}  // namespace
}  // namespace lumo::faults::testing
