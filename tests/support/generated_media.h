#pragma once
// Media files made for the tests, the benchmarks and the screenshot tools:
// WAVE files of 16-bit PCM written here, exact to the frame, and the other
// formats (FLAC, Ogg, MP3, video) encoded by gst-launch-1.0 in a process of
// its own, so that a user of this header needs no GStreamer headers.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace lumo::testing {

struct WavFormat {
    uint32_t rate = 44100;
    uint16_t channels = 2;
    uint16_t bits = 16;
    bool ripperChunks = false;  // an odd-sized chunk before the samples and one after them, as CD rippers write
};

inline void appendLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Interleaved 16-bit samples of a sine of amplitude `level`, the same on
// every channel.
inline std::string sineSamples(double frequency, uint32_t frames, WavFormat format = {}, int16_t level = 8000) {
    std::string bytes;
    bytes.reserve(size_t{frames} * format.channels * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(level * std::sin(2 * M_PI * frequency * i / format.rate));
        for (uint16_t channel = 0; channel < format.channels; ++channel)
            appendLittleEndian(bytes, static_cast<uint16_t>(value), 2);
    }
    return bytes;
}

inline std::string silentSamples(uint32_t frames, WavFormat format = {}) {
    return std::string(size_t{frames} * format.channels * 2, '\0');
}

// The bytes of a WAVE file of `samples`.
inline std::string wavBytes(const std::string& samples, WavFormat format = {}) {
    std::string body = "WAVEfmt ";
    for (const auto& [value, bytes] : std::initializer_list<std::pair<uint32_t, int>>{
             {16, 4}, {1, 2}, {format.channels, 2}, {format.rate, 4}, {format.rate * format.channels * format.bits / 8u, 4},
             {format.channels * format.bits / 8u, 2}, {format.bits, 2}})  // PCM
        appendLittleEndian(body, value, bytes);
    if (format.ripperChunks) body += std::string("LIST\3\0\0\0abc\0", 12);
    body += "data";
    appendLittleEndian(body, static_cast<uint32_t>(samples.size()), 4);
    body += samples;
    if (format.ripperChunks) body += std::string("junk\4\0\0\0tail", 12);
    std::string file = "RIFF";
    appendLittleEndian(file, static_cast<uint32_t>(body.size()), 4);
    return file + body;
}

// The file, its folder made when missing.
inline void writeWav(const std::filesystem::path& file, const std::string& samples, WavFormat format = {}) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << wavBytes(samples, format);
}

// Mono silence at 8 kHz, `seconds` long to the sample: the smallest file a
// player or an index takes for a track of that length.
inline void writeWav(const std::filesystem::path& file, double seconds) {
    const WavFormat format{8000, 1};
    writeWav(file, silentSamples(static_cast<uint32_t>(seconds * format.rate), format), format);
}

// A stereo 44.1 kHz sine of 440 Hz at half the full scale, `seconds` long.
inline void writeTone(const std::filesystem::path& file, double seconds) {
    const WavFormat format;
    writeWav(file, sineSamples(440, static_cast<uint32_t>(seconds * format.rate), format, 16384), format);
}

// An audio disc image of silent tracks (their lengths in sectors): the CUE
// sheet it returns, <stem>.cue, over a sparse <stem>.bin.
inline std::filesystem::path writeAudioImage(const std::filesystem::path& stem, const std::vector<int64_t>& sectors) {
    std::ofstream cue(stem.string() + ".cue");
    cue << "FILE \"" << stem.filename().string() << ".bin\" BINARY\n";
    int64_t start = 0;
    for (size_t t = 0; t < sectors.size(); start += sectors[t++])
        cue << "TRACK " << t + 1 << " AUDIO\nINDEX 01 " << start / 4500 << ":" << start / 75 % 60 << ":"
            << start % 75 << "\n";
    std::ofstream(stem.string() + ".bin").close();
    std::filesystem::resize_file(stem.string() + ".bin", static_cast<uintmax_t>(start) * 2352);
    return stem.string() + ".cue";
}

// Runs `gst-launch-1.0 <pipeline> ! filesink location=<file>` (the pipeline
// in gst-launch syntax, no token holding a blank); true when it ran to its
// end. Its folder is made when missing.
inline bool encodeMedia(const std::filesystem::path& file, const std::string& pipeline) {
    std::filesystem::create_directories(file.parent_path());
    std::string quoted = "'location=";
    for (const char c : file.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string command = "gst-launch-1.0 -q " + pipeline + " ! filesink " + quoted + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The same tone as writeTone through `encoder` ("flacenc", "vorbisenc !
// oggmux", "lamemp3enc", "wavenc"), `seconds` long to the hundredth.
inline bool encodeTone(const std::filesystem::path& file, double seconds, const std::string& encoder) {
    return encodeMedia(file, "audiotestsrc num-buffers=" + std::to_string(std::lround(seconds * 100)) +
                                 " samplesperbuffer=441 freq=440 volume=0.5 ! audio/x-raw,rate=44100,channels=2 ! "
                                 "audioconvert ! " + encoder);
}

// An Ogg Theora clip of `frames` frames at 10 per second, without sound.
inline bool encodeVideo(const std::filesystem::path& file, int frames) {
    return encodeMedia(file, "videotestsrc num-buffers=" + std::to_string(frames) +
                                 " ! video/x-raw,width=64,height=48,framerate=10/1 ! theoraenc ! oggmux");
}

}  // namespace lumo::testing
