// The lumo-taglib.so module: TagLib's reading of one file, nothing else, so
// that TagLib is loaded only with it.

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include "platform/library/tag_reading.h"

using lumo::platform::library::TagReading;

extern "C" __attribute__((visibility("default"))) void lumo_read_tags(const char* path, TagReading& reading) {
    const TagLib::FileRef ref(path, true, TagLib::AudioProperties::Average);
    if (ref.isNull()) return;
    reading.opened = true;
    if (const TagLib::Tag* tag = ref.tag()) {
        reading.title = tag->title().to8Bit(true);
        reading.artist = tag->artist().to8Bit(true);
        reading.album = tag->album().to8Bit(true);
        reading.genre = tag->genre().to8Bit(true);
        reading.year = tag->year();
        reading.number = tag->track();
    }
    if (const TagLib::AudioProperties* properties = ref.audioProperties()) {
        if (properties->lengthInMilliseconds() > 0) reading.length = properties->lengthInMilliseconds() / 1000.0;
        reading.sampleRate = properties->sampleRate();
    }
    const auto* mpeg = dynamic_cast<const TagLib::MPEG::File*>(ref.file());
    reading.mpegWithoutFrameCount = mpeg && !(mpeg->audioProperties() && mpeg->audioProperties()->xingHeader());
}
