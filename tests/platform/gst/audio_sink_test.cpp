// Which sink the player uses: given, environment, setting, default.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/gst/audio_sink.h"
#include "platform/gst/gst_runtime.h"
#include "platform/user_settings.h"

namespace lumo::platform::gst {
namespace {

namespace fs = std::filesystem;

// A settings store of its own and no LUMO_AUDIO_SINK, restored afterwards.
class SinkChoice : public ::testing::Test {
protected:
    void SetUp() override {
        save("XDG_CONFIG_HOME", savedConfig_);
        save("LUMO_AUDIO_SINK", savedSink_);
        folder_ = fs::temp_directory_path() / ("lumo-sink-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        ::unsetenv("LUMO_AUDIO_SINK");
    }
    void TearDown() override {
        restore("XDG_CONFIG_HOME", savedConfig_);
        restore("LUMO_AUDIO_SINK", savedSink_);
        fs::remove_all(folder_);
    }

private:
    static void save(const char* name, std::optional<std::string>& into) {
        if (const char* value = std::getenv(name)) into = value;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    fs::path folder_;
    std::optional<std::string> savedConfig_, savedSink_;
};

TEST_F(SinkChoice, GivenThenEnvironmentThenSettingThenDefault) {
    EXPECT_EQ(resolveSinkDescription(""), "autoaudiosink");
    ASSERT_TRUE(writeSetting("LUMO Player", "Audio", "Sink", "pulsesink"));
    EXPECT_EQ(resolveSinkDescription(""), "pulsesink");
    ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
    EXPECT_EQ(resolveSinkDescription(""), "fakesink sync=true");
    EXPECT_EQ(resolveSinkDescription("wavenc ! filesink location=x.wav"), "wavenc ! filesink location=x.wav");
}

TEST(AudioSink, AWorkingSinkIsKeptAndABrokenOneReplaced) {
    ASSERT_TRUE(ensureGstreamer());
    std::string why;
    GstElement* sink = makeAudioSink("fakesink name=mine", &why);
    EXPECT_EQ(why, "");
    EXPECT_STREQ(GST_OBJECT_NAME(sink), "mine");
    gst_object_unref(sink);

    sink = makeAudioSink("no-such-element", &why);
    EXPECT_NE(why, "");
    EXPECT_STREQ(GST_OBJECT_NAME(sink), "fallback-audio-sink");
    gboolean sync = FALSE;
    g_object_get(sink, "sync", &sync, nullptr);
    EXPECT_TRUE(sync);
    gst_object_unref(sink);
}

}  // namespace
}  // namespace lumo::platform::gst
