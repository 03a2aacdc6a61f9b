#include "failsafe/file_append.h"

#include <fcntl.h>
#include <unistd.h>

namespace lumo::failsafe {

bool appendToFile(const std::string& file, std::string_view text) {
    if (file.empty()) return false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written <= 0) break;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return ::close(fd) == 0 && left == 0;
}

bool createEmptyIfMissing(const std::string& file) {
    if (::access(file.c_str(), F_OK) == 0) return true;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    return ::close(fd) == 0;
}

}  // namespace lumo::failsafe
