#include "platform/linux/cue_sheet.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace lumo::platform::linux_drives {
namespace {

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The next word, or a quoted text with its quotes removed.
std::string nextField(std::istringstream& in) {
    in >> std::ws;
    if (in.peek() == '"') {
        in.get();
        std::string text;
        std::getline(in, text, '"');
        return text;
    }
    std::string word;
    in >> word;
    return word;
}

std::optional<int32_t> parseMsf(const std::string& text) {
    int minutes = 0, seconds = 0, frames = 0;
    char colon1 = 0, colon2 = 0, rest = 0;
    std::istringstream in(text);
    if (!(in >> minutes >> colon1 >> seconds >> colon2 >> frames) || colon1 != ':' || colon2 != ':' || in >> rest)
        return std::nullopt;
    if (minutes < 0 || minutes > 999 || seconds < 0 || seconds > 59 || frames < 0 || frames >= framesPerSecond)
        return std::nullopt;
    return (minutes * 60 + seconds) * framesPerSecond + frames;
}

std::optional<int32_t> sectorSizeOf(const std::string& mode) {
    if (mode == "AUDIO" || mode == "MODE1/2352" || mode == "MODE2/2352" || mode == "CDI/2352") return 2352;
    if (mode == "MODE1/2048" || mode == "MODE2/2048") return 2048;
    if (mode == "MODE2/2336" || mode == "CDI/2336") return 2336;
    if (mode == "MODE2/2324") return 2324;
    if (mode == "CDG") return 2448;
    return std::nullopt;
}

CueResult failure(int line, const std::string& why) { return {std::nullopt, "line " + std::to_string(line) + ": " + why}; }

}  // namespace

int32_t CueTrack::dataOffset() const {
    if (mode == "MODE1/2352") return 16;
    if (mode == "MODE2/2352" || mode == "CDI/2352") return 24;
    if (mode == "MODE2/2336" || mode == "CDI/2336") return 8;
    return 0;
}

CueResult parseCueSheet(const std::string& text, const std::filesystem::path& folder) {
    if (text.size() > maxCueSheetBytes) return {std::nullopt, "the sheet is larger than 1 MiB"};
    CueSheet sheet;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        const std::string command = upper(nextField(in));
        CueTrack* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();
        if (command.empty() || command == "REM" || command == "CATALOG" || command == "PERFORMER" ||
            command == "SONGWRITER" || command == "ISRC" || command == "FLAGS" || command == "CDTEXTFILE")
            continue;
        if (command == "FILE") {
            const std::string name = nextField(in);
            const std::string type = upper(nextField(in));
            if (name.empty()) return failure(number, "FILE without a file name");
            // Compressed audio (MP3, AIFF, FLAC...) read as raw sectors would
            // play as loud noise.
            if (!type.empty() && type != "BINARY" && type != "MOTOROLA" && type != "WAVE")
                return failure(number, "FILE type '" + type + "' is not read (BINARY, MOTOROLA and WAVE are)");
            sheet.files.push_back({folder / name, type.empty() ? "BINARY" : type, 0, std::nullopt});
        } else if (command == "TRACK") {
            if (sheet.files.empty()) return failure(number, "TRACK before any FILE");
            CueTrack next;
            std::istringstream numberText(nextField(in));
            if (!(numberText >> next.number) || next.number < 1 || next.number > 99)
                return failure(number, "TRACK number must lie from 1 to 99");
            if (track && next.number <= track->number) return failure(number, "TRACK numbers must go up");
            next.mode = upper(nextField(in));
            const auto size = sectorSizeOf(next.mode);
            if (!size) return failure(number, "unknown track mode '" + next.mode + "'");
            next.sectorSize = *size;
            next.file = sheet.files.size() - 1;
            next.index1 = -1;
            sheet.tracks.push_back(next);
        } else if (command == "INDEX") {
            if (!track) return failure(number, "INDEX outside a TRACK");
            int index = -1;
            std::istringstream indexText(nextField(in));
            indexText >> index;
            const auto at = parseMsf(nextField(in));
            if (index < 0 || index > 99 || !at) return failure(number, "INDEX needs a number and mm:ss:ff");
            if (index == 0) track->index0 = *at;
            if (index == 1) track->index1 = *at;
            // A new FILE after the TRACK line moves the track into that file.
            if (index <= 1) track->file = sheet.files.size() - 1;
        } else if (command == "PREGAP" || command == "POSTGAP") {
            const auto length = parseMsf(nextField(in));
            if (!track || !length) return failure(number, command + " needs a TRACK and mm:ss:ff");
            (command == "PREGAP" ? track->pregap : track->postgap) = *length;
        } else if (command == "TITLE") {
            (track ? track->title : sheet.title) = nextField(in);
        } else {
            return failure(number, "unknown command '" + command + "'");
        }
    }
    if (sheet.tracks.empty()) return {std::nullopt, "the sheet has no TRACK"};
    for (const CueTrack& track : sheet.tracks)
        if (track.index1 < 0) return {std::nullopt, "track " + std::to_string(track.number) + " has no INDEX 01"};
    return {std::move(sheet), {}};
}

CueResult readCueSheet(const std::filesystem::path& sheet) {
    std::ifstream in(sheet, std::ios::binary);
    if (!in) return {std::nullopt, "cannot read " + sheet.string()};
    std::string text;
    text.resize(maxCueSheetBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    CueResult result = parseCueSheet(text, sheet.parent_path());
    if (!result.sheet) return result;
    for (CueFile& file : result.sheet->files) {
        if (file.type != "WAVE") continue;
        std::ifstream wave(file.path, std::ios::binary);
        std::error_code error;
        const auto bytes = std::filesystem::file_size(file.path, error);
        if (!wave || error) continue;
        std::string why;
        const std::optional<WaveData> data = findWaveData(wave, static_cast<int64_t>(bytes), why);
        if (!data) return {std::nullopt, file.path.filename().string() + ": " + why};
        file.dataStart = data->start;
        file.dataBytes = data->bytes;
    }
    return result;
}

std::optional<WaveData> findWaveData(std::istream& file, int64_t fileBytes, std::string& why) {
    auto little = [](const char* bytes, int count) {
        uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
        return value;
    };
    char riff[12];
    if (!file.read(riff, sizeof riff) || std::string_view(riff, 4) != "RIFF" || std::string_view(riff + 8, 4) != "WAVE") {
        why = "not a WAVE file";
        return std::nullopt;
    }
    bool cdAudio = false;
    int64_t at = 12;
    // A bounded walk: a damaged size cannot loop or run far.
    for (int chunk = 0; chunk < 64 && at + 8 <= fileBytes; ++chunk) {
        char header[8];
        file.seekg(at);
        if (!file.read(header, sizeof header)) break;
        const std::string_view id(header, 4);
        const int64_t size = little(header + 4, 4);
        if (id == "fmt ") {
            char format[16];
            if (size < 16 || !file.read(format, sizeof format)) break;
            // PCM, or the extensible format (its sub-format is PCM for CD audio).
            const uint32_t tag = little(format, 2);
            cdAudio = (tag == 1 || tag == 0xFFFE) && little(format + 2, 2) == 2 && little(format + 4, 4) == 44100 &&
                      little(format + 14, 2) == 16;
        } else if (id == "data") {
            if (!cdAudio) {
                why = "not CD audio (44.1 kHz, 16-bit, stereo PCM)";
                return std::nullopt;
            }
            // A size beyond the end (a file cut short, or a streaming
            // writer's placeholder) means the data runs to the end.
            return WaveData{at + 8, std::min(size, fileBytes - (at + 8))};
        }
        at += 8 + size + (size & 1);
    }
    why = "a WAVE file without its format or data";
    return std::nullopt;
}

std::optional<Toc> tocOfCueSheet(const CueSheet& sheet) {
    // Sectors each file holds, in the sector size of its first track.
    std::vector<int64_t> fileSectors(sheet.files.size(), 0);
    std::vector<int64_t> fileStart(sheet.files.size(), 0);
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        std::error_code error;
        const auto fileBytes = std::filesystem::file_size(sheet.files[f].path, error);
        if (error) return std::nullopt;
        const int64_t bytes = sheet.files[f].dataBytes.value_or(static_cast<int64_t>(fileBytes));
        int32_t sectorSize = 2352;
        for (const CueTrack& track : sheet.tracks)
            if (track.file == f) {
                sectorSize = track.sectorSize;
                break;
            }
        fileSectors[f] = bytes / sectorSize;
    }
    Toc toc;
    int64_t gaps = 0, start = 0;
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        fileStart[f] = start;
        start += fileSectors[f];
    }
    for (const CueTrack& track : sheet.tracks) {
        gaps += track.pregap;
        const int64_t lba = fileStart[track.file] + track.index1 + gaps;
        if (lba > INT32_MAX / 2) return std::nullopt;
        toc.tracks.push_back({track.number, static_cast<int32_t>(lba), track.audio(), track.title});
        gaps += track.postgap;
    }
    // Files larger than any disc would wrap the lead-out to a negative sector.
    if (start + gaps > INT32_MAX / 2) return std::nullopt;
    toc.leadOutLba = static_cast<int32_t>(start + gaps);
    toc.title = sheet.title;
    return toc;
}

std::optional<SectorLocation> locateSector(const CueSheet& sheet, const Toc& toc, int32_t lba) {
    for (size_t t = 0; t < sheet.tracks.size() && t < toc.tracks.size(); ++t) {
        const CueTrack& track = sheet.tracks[t];
        // The range of a track ends where the next track's gap begins: gap
        // sectors are silence that no file holds.
        const bool last = t + 1 >= toc.tracks.size();
        const int32_t next = last ? toc.leadOutLba : toc.tracks[t + 1].lba - sheet.tracks[t + 1].pregap;
        const int32_t end = next - track.postgap;
        if (lba < toc.tracks[t].lba || lba >= end) continue;
        const int64_t sectorInFile = int64_t{track.index1} + (lba - toc.tracks[t].lba);
        return SectorLocation{track.file,
                              sheet.files[track.file].dataStart + sectorInFile * track.sectorSize + track.dataOffset()};
    }
    return std::nullopt;
}

}  // namespace lumo::platform::linux_drives
