#pragma once
// What plays next. The host's thread moves through the playlist; near the
// end of each stream a streaming thread asks for the next URI so that items
// follow each other without a gap. Both go through this object, under its
// mutex, and it never calls GStreamer or the host's objects, so holding the
// mutex cannot deadlock with a state change.
//
// A URI handed to the streaming thread is "queued" until its stream starts
// (the host sees STREAM_START) or the pipeline is stopped (then the order
// returns to the item that was playing).

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gst/play_order.h"

namespace lumo::platform::gst {

class Schedule {
public:
    // Whether a URI can be opened at all; asked on the streaming thread, so
    // it must be cheap and touch nothing shared.
    using Openable = bool (*)(const std::string& uri);

    explicit Schedule(Openable openable = nullptr, uint32_t seed = std::random_device{}());

    // Host thread. An empty URI marks an item that cannot be opened; the
    // streaming thread never queues it.
    void assign(std::vector<std::string> uris, bool shuffle);
    void setShuffle(bool on);
    void setLoop(bool on);
    std::string uriOf(int item) const;
    // The item playing (or open), -1 when there is none.
    int current() const;

    // Host thread moves, from the item playing; each gives the item that
    // becomes current, or -1 when there is nowhere to go (nothing changes).
    int next();
    int previous();
    int moveTo(int item);
    int rewind();

    // Streaming thread: the next item's URI by the modes, or nothing when
    // the playlist ends here. An item that cannot open is not queued: the
    // item before it plays to its end, then the host opens it and reports
    // its error (queued, its error would cut the item before it short).
    std::optional<std::string> queueNext();
    // Host thread, on a stream start that is not an opening: the queued item
    // that now plays, or -1.
    int startQueued();
    // Host thread, once the pipeline stopped: forget what was queued.
    void dropQueued();

private:
    struct Queued {
        int item;
        PlayOrder before;  // the order while the item before it played
    };
    PlayOrder& committed();
    template <typename Move>
    int moveFromCommitted(Move move);

    Openable openable_;
    mutable std::mutex mutex_;
    PlayOrder order_;  // its current item is the last one handed out
    std::vector<std::string> uris_;
    std::deque<Queued> queued_;
    bool shuffle_ = false;
    bool loop_ = false;
};

}  // namespace lumo::platform::gst
