// The failure classes: their codes, and which GStreamer errors fall in each.

#include <gtest/gtest.h>

#include <set>

#include "platform/gst/error_classes.h"

namespace lumo::platform::gst {
namespace {

TEST(ErrorClasses, CodesAreNegativeDistinctAndOurOwn) {
    std::set<int32_t> codes;
    for (int failure = 1; failure <= 7; ++failure) {
        const int32_t code = errorCodeOf(static_cast<ErrorClass>(failure));
        EXPECT_LT(code, 0);
        EXPECT_EQ(static_cast<uint32_t>(code) & 0xFFFFFF00u, 0xC00D4C00u);
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 7u);
    EXPECT_EQ(errorCodeOf(ErrorClass::NotFound), static_cast<int32_t>(0xC00D4C01u));
}

struct Case {
    FailureFacts facts;
    ErrorClass expected;
};

TEST(ErrorClasses, GStreamerErrorsFallIntoTheirClass) {
    gst_init(nullptr, nullptr);
    const GQuark core = GST_CORE_ERROR, stream = GST_STREAM_ERROR, resource = GST_RESOURCE_ERROR;
    const Case cases[] = {
        {{resource, GST_RESOURCE_ERROR_NOT_FOUND, false, true}, ErrorClass::NotFound},
        {{resource, GST_RESOURCE_ERROR_OPEN_READ, false, false}, ErrorClass::NotFound},
        {{resource, GST_RESOURCE_ERROR_READ, true, true}, ErrorClass::Network},
        {{stream, GST_STREAM_ERROR_FAILED, true, true}, ErrorClass::Network},
        {{stream, GST_STREAM_ERROR_TYPE_NOT_FOUND, false, false, true}, ErrorClass::Format},
        {{stream, GST_STREAM_ERROR_TYPE_NOT_FOUND, false, false, false}, ErrorClass::Corrupt},
        {{stream, GST_STREAM_ERROR_CODEC_NOT_FOUND}, ErrorClass::Format},
        {{core, GST_CORE_ERROR_MISSING_PLUGIN}, ErrorClass::Format},
        {{stream, GST_STREAM_ERROR_DECODE}, ErrorClass::Corrupt},
        {{stream, GST_STREAM_ERROR_DEMUX}, ErrorClass::Corrupt},
        {{resource, GST_RESOURCE_ERROR_OPEN_WRITE, false, false, false, true}, ErrorClass::Device},
        {{resource, GST_RESOURCE_ERROR_NO_SPACE_LEFT}, ErrorClass::Other},
        {{core, GST_CORE_ERROR_NEGOTIATION}, ErrorClass::Other},
        {{GST_LIBRARY_ERROR, GST_LIBRARY_ERROR_INIT}, ErrorClass::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classify(c.facts), c.expected) << g_quark_to_string(c.facts.domain) << " " << c.facts.code;
}

TEST(ErrorClasses, ItemsNameTheUriAndTheReason) {
    const ErrorItem item = makeErrorItem(ErrorClass::Corrupt, "file:///m/a.flac", "No valid frames", "flacparse");
    EXPECT_EQ(item.condition, 3);
    EXPECT_EQ(item.customUrl, "file:///m/a.flac");
    EXPECT_EQ(item.errorContext, "flacparse");
    EXPECT_EQ(item.errorDescription,
              "Cannot play 'file:///m/a.flac': the data is damaged or cannot be decoded (No valid frames)");
}

}  // namespace
}  // namespace lumo::platform::gst
