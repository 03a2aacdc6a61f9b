// The pipeline's bus keeps only what the player reads, and what it drops
// is released: a dropped message holds the element that posted it, so a
// forgotten one would keep every item's source alive for the whole session.

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
        Pipeline pipeline("fakesink", [] { return std::optional<std::string>(); });
        g_signal_connect(pipeline.playbin(), "source-setup", G_CALLBACK(&SourceCensus::onSourceSetup), &census);
        for (int item = 0; item < 12; ++item) {
            pipeline.setState(GST_STATE_READY);
            pipeline.discardMessages();
            pipeline.setUri(uriOf(media.tones[static_cast<size_t>(item) % media.tones.size()]));
            pipeline.setState(GST_STATE_PAUSED);
            gst_element_get_state(pipeline.playbin(), nullptr, nullptr, 5 * GST_SECOND);
        }
        pipeline.setState(GST_STATE_READY);
        pipeline.discardMessages();
        EXPECT_EQ(census.made.load(), 12);
        // Every item's state changes and stream messages were posted and
        // dropped; only the last item's source may stay with playbin.
        EXPECT_GE(census.finalized.load(), census.made.load() - 1) << "sources kept alive after their items";
    }
    EXPECT_EQ(census.finalized.load(), census.made.load());
}

TEST(PipelineMessages, OnlyTheKindsThePlayerReadsAreQueued) {
    const TestFiles& media = files();
    Pipeline pipeline("fakesink", [] { return std::optional<std::string>(); });
    pipeline.setUri(uriOf(media.wav));
    pipeline.setState(GST_STATE_PLAYING);
    gst_element_get_state(pipeline.playbin(), nullptr, nullptr, 5 * GST_SECOND);
    bool sawStreamStart = false;
    for (int wait = 0; wait < 200; ++wait) {
        while (GstMessage* message = pipeline.popMessage()) {
            const GstMessageType type = GST_MESSAGE_TYPE(message);
            EXPECT_TRUE(type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS || type == GST_MESSAGE_STREAM_START ||
                        type == GST_MESSAGE_DURATION_CHANGED || type == GST_MESSAGE_BUFFERING ||
                        type == GST_MESSAGE_CLOCK_LOST)
                << gst_message_type_get_name(type);
            sawStreamStart = sawStreamStart || type == GST_MESSAGE_STREAM_START;
            gst_message_unref(message);
        }
        if (sawStreamStart) break;
        g_usleep(10000);
    }
    EXPECT_TRUE(sawStreamStart);
    pipeline.setState(GST_STATE_NULL);
}

}  // namespace
}  // namespace lumo::platform::gst::testing
