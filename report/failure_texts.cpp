#include "report/failure_texts.h"

#include "common/formatting.h"

namespace lumo::report {

std::string namePart(const FailureContext& c) {
    if (c.cdrom) return c.mediaName ? " '" + *c.mediaName + "' from CDROM playlist." : " from CDROM playlist.";
    return (c.mediaName ? " '" + *c.mediaName + "'" : std::string()) + " from playlist '" + c.playlist + "'.";
}

std::string stepFailureText(StepGroup group, const FailureContext& c) {
    const std::string n = std::to_string(c.number);
    switch (group) {
        case StepGroup::Playlist:
            return c.cdrom ? "Error getting CDROM playlist." : "Error getting playlist: '" + c.playlist + "'";
        case StepGroup::LoopCount: return playerErrorText(c, nullptr);
        case StepGroup::ItemGet: return "Error getting media item No. " + n + namePart(c);
        case StepGroup::ItemName:
            return "Error getting media name for item No. " + n +
                   (c.cdrom ? std::string(" from CDROM playlist") : " from playlist '" + c.playlist + "'.");
        case StepGroup::ItemUrl: return "Error getting media item URL " + n + namePart(c);
        case StepGroup::ItemType: return "Error getting media type for item No. " + n + namePart(c);
        case StepGroup::ItemDuration: return "Error getting media duration for item No. " + n + namePart(c);
    }
    return {};
}

std::string playerErrorText(const FailureContext& c, const platform::ErrorItem* item) {
    const std::string n = std::to_string(c.number);
    if (!item) return "Error with media item No. " + n + namePart(c) + "\r";
    return "The following error message(s) were reported by the Windows Media Player \rregarding media item No. " + n +
           namePart(c) + "\r\r" + common::GetErrorItemString(*item);
}

std::string timeOutText(const FailureContext& c) {
    return "Timed out while loading media item No. " + std::to_string(c.number) + namePart(c);
}

}  // namespace lumo::report
