#pragma once
// Playlist files written on Windows often start with a byte-order mark
// (Notepad writes one, so do several players), and some are UTF-16.
// totem-pl-parser reads a file only by its URI and takes the mark for text
// of the first line. A marked file is therefore parsed from a copy in plain
// UTF-8, made in a private temporary folder at the original's own path below
// it (the parser goes by the extension, and resolves relative entries against
// the folder it reads from, whatever base it is given), so that an entry
// resolved in the copy maps back by taking the folder off. The copy goes
// when this object does.

#include <filesystem>
#include <string>
#include <string_view>

namespace lumo::platform::library {

enum class ByteOrderMark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };

// The mark the first bytes of a file start with.
ByteOrderMark markOf(std::string_view head);

class UnmarkedCopy {
public:
    UnmarkedCopy(const std::filesystem::path& file, ByteOrderMark mark);
    ~UnmarkedCopy();
    UnmarkedCopy(const UnmarkedCopy&) = delete;
    UnmarkedCopy& operator=(const UnmarkedCopy&) = delete;

    // Empty when the copy could not be made; `problem` then says why.
    const std::filesystem::path& path() const { return copy_; }
    const std::string& problem() const { return problem_; }
    // An entry the parser resolved in the copy, as it is in the original.
    std::string originalOf(const std::string& uri) const;

private:
    std::filesystem::path folder_, copy_;
    std::string folderUri_;
    std::string problem_;
};

}  // namespace lumo::platform::library
