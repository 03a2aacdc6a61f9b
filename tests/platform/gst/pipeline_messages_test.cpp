// The pipeline turns only what the player reads into events, and what it
// drops is released: a dropped message holds the element that posted it, so
// a forgotten one would keep every item's source alive for the whole
// session.

#include <atomic>

#include "gst_test_support.h"
#include "platform/gst/pipeline.h"

namespace lumo::platform::gst::testing {
namespace {

// Counts the sources playbin makes for its items and how many are gone.
struct SourceCensus {
    std::atomic<int> made{0};
    std::atomic<int> finalized{0};

    static void onFinalized(gpointer self, GObject*) { ++static_cast<SourceCensus*>(self)->finalized; }
    static void onSourceSetup(GstElement*, GstElement* source, gpointer self) {
        ++static_cast<SourceCensus*>(self)->made;
        g_object_weak_ref(G_OBJECT(source), &SourceCensus::onFinalized, self);
    }
};

TEST(PipelineMessages, SourcesOfItemsOpenedAndLeftAreReleased) {
    const TestFiles& media = files();  // also starts GStreamer
    SourceCensus census;
    {
        auto events = std::make_shared<EventQueue>();
        Pipeline pipeline("fakesink", events);
        g_signal_connect(pipeline.playbin(), "source-setup", G_CALLBACK(&SourceCensus::onSourceSetup), &census);
        for (int item = 0; item < 12; ++item) {
            pipeline.setState(GST_STATE_READY);
            events->takeAll();
            pipeline.setUri(uriOf(media.tones[static_cast<size_t>(item) % media.tones.size()]));
            pipeline.setState(GST_STATE_PAUSED);
            pipeline.waitForState(5 * GST_SECOND);
        }
        pipeline.setState(GST_STATE_READY);
        events->takeAll();
        EXPECT_EQ(census.made.load(), 12);
        // Every item's state changes and stream messages were posted and
        // dropped; only the last item's source may stay with playbin.
        EXPECT_GE(census.finalized.load(), census.made.load() - 1) << "sources kept alive after their items";
    }
    EXPECT_EQ(census.finalized.load(), census.made.load());
}

TEST(PipelineMessages, OnlyTheKindsThePlayerReadsAreQueued) {
    const TestFiles& media = files();
    auto events = std::make_shared<EventQueue>();
    Pipeline pipeline("fakesink", events);
    pipeline.setUri(uriOf(media.wav));
    pipeline.setState(GST_STATE_PLAYING);
    pipeline.waitForState(5 * GST_SECOND);
    bool sawStreamStart = false, sawEnd = false;
    for (int wait = 0; wait < 200 && !sawEnd; ++wait) {
        for (const EngineEvent& event : events->takeAll()) {
            ASSERT_EQ(event.kind, EngineEvent::Kind::Message);
            const GstMessageType type = GST_MESSAGE_TYPE(event.message);
            if (type == GST_MESSAGE_STATE_CHANGED) {
                // Only the whole pipeline's, and only once it has settled.
                GstState pending = GST_STATE_PLAYING;
                gst_message_parse_state_changed(event.message, nullptr, nullptr, &pending);
                EXPECT_EQ(GST_MESSAGE_SRC(event.message), GST_OBJECT(pipeline.playbin()));
                EXPECT_EQ(pending, GST_STATE_VOID_PENDING);
                continue;
            }
            EXPECT_TRUE(type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS || type == GST_MESSAGE_STREAM_START ||
                        type == GST_MESSAGE_DURATION_CHANGED || type == GST_MESSAGE_BUFFERING ||
                        type == GST_MESSAGE_CLOCK_LOST)
                << gst_message_type_get_name(type);
            sawStreamStart = sawStreamStart || type == GST_MESSAGE_STREAM_START;
            sawEnd = sawEnd || type == GST_MESSAGE_EOS;
        }
        g_usleep(10000);
    }
    EXPECT_TRUE(sawStreamStart);
    EXPECT_TRUE(sawEnd);
    pipeline.setState(GST_STATE_NULL);
}

}  // namespace
}  // namespace lumo::platform::gst::testing
