#include "platform/linux/optical_device.h"

#include <cdio/cdio.h>
#include <libudev.h>

#include <memory>

namespace lumo::platform::linux_drives {

std::vector<std::string> findOpticalDrives() {
    std::vector<std::string> devices;
    udev* context = udev_new();
    if (!context) return devices;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(enumerate, "block");
    udev_enumerate_add_match_property(enumerate, "ID_CDROM", "1");
    udev_enumerate_scan_devices(enumerate);
    for (udev_list_entry* entry = udev_enumerate_get_list_entry(enumerate); entry;
         entry = udev_list_entry_get_next(entry)) {
        udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (!device) continue;
        if (const char* node = udev_device_get_devnode(device)) devices.emplace_back(node);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    udev_unref(context);
    return devices;
}

namespace {

// The titles of a disc with CD-TEXT (libcdio hands them over in UTF-8);
// block 0 is the disc's own.
void readCdText(CdIo_t* cdio, Toc& toc) {
    const cdtext_t* text = cdio_get_cdtext(cdio);
    if (!text) return;
    if (const char* title = cdtext_get_const(text, CDTEXT_FIELD_TITLE, 0)) toc.title = title;
    for (TocTrack& track : toc.tracks)
        if (const char* title = cdtext_get_const(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(track.number)))
            track.title = title;
}

}  // namespace

std::optional<OpticalDisc> readOpticalDisc(const std::string& device, std::string& why) {
    std::unique_ptr<CdIo_t, void (*)(CdIo_t*)> cdio(cdio_open(device.c_str(), DRIVER_LINUX), cdio_destroy);
    if (!cdio) {
        why = device + " cannot be opened as a CD drive";
        return std::nullopt;
    }
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        why = device + " holds no readable disc";
        return std::nullopt;
    }
    OpticalDisc disc;
    for (track_t track = first; track < first + count; ++track) {
        const lsn_t lsn = cdio_get_track_lsn(cdio.get(), track);
        if (lsn == CDIO_INVALID_LSN) {
            why = device + ": track " + std::to_string(track) + " has no start";
            return std::nullopt;
        }
        disc.toc.tracks.push_back({track, lsn, cdio_get_track_format(cdio.get(), track) == TRACK_FORMAT_AUDIO, ""});
    }
    disc.toc.leadOutLba = cdio_get_track_lsn(cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
    readCdText(cdio.get(), disc.toc);
    if (disc.toc.isAudioDisc()) {
        disc.volume = audioDiscVolume(disc.toc);
    } else {
        const int32_t start = disc.toc.tracks.front().lba;
        disc.volume = readIsoVolume([&](int32_t sector, std::vector<uint8_t>& data) {
            data.resize(isoSectorSize);
            return cdio_read_data_sectors(cdio.get(), data.data(), start + sector, static_cast<uint16_t>(isoSectorSize), 1) ==
                   DRIVER_OP_SUCCESS;
        });
    }
    return disc;
}

}  // namespace lumo::platform::linux_drives
