#include "failsafe/trace/circular_log.h"

#include <fcntl.h>
#include <unistd.h>

#include "failsafe/file_append.h"

namespace lumo::failsafe {
namespace {

void writeFully(int fd, const char* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written <= 0) return;
        data += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
}

}  // namespace

bool CircularLog::open(const std::filesystem::path& file) {
    close();
    fd_ = openPrivateFile(file.string(), O_RDWR);
    if (fd_ < 0) return false;
    writeFully(fd_, header.data(), header.size(), 0);
    return true;
}

void CircularLog::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void CircularLog::write(std::string_view record, int32_t recordSize, int32_t highestSlot) {
    if (fd_ < 0 || recordSize < 2) return;
    if (slot_ > highestSlot) slot_ = 1;
    if (record.size() >= 2 && record.substr(record.size() - 2) == "\r\n") record.remove_suffix(2);
    const size_t textSize = static_cast<size_t>(recordSize) - 2;
    std::string& slotText = slotBuffer_;
    slotText.assign(record.substr(0, textSize));
    slotText.resize(textSize, ' ');
    slotText += "\r\n";
    const off_t offset = static_cast<off_t>(recordSize) * slot_ + static_cast<off_t>(header.size());
    writeFully(fd_, slotText.data(), slotText.size(), offset);
    ++slot_;
}

}  // namespace lumo::failsafe
