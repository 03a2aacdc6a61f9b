#include "failsafe/file_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lumo::failsafe {

int openPrivateFile(const std::string& file, int access) {
    if (file.empty()) {
        errno = ENOENT;
        return -1;
    }
    // O_NONBLOCK keeps a FIFO planted at the name from holding the caller
    // until someone reads it; it changes nothing for a regular file.
    const int fd = ::open(file.c_str(), access | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    if ((info.st_mode & 077) != 0 && info.st_uid == ::geteuid()) ::fchmod(fd, info.st_mode & 0700);
    return fd;
}

bool appendToFile(const std::string& file, std::string_view text) {
    const int fd = openPrivateFile(file, O_WRONLY | O_APPEND);
    if (fd < 0) return false;
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return ::close(fd) == 0 && left == 0;
}

bool createEmptyIfMissing(const std::string& file) {
    const int fd = openPrivateFile(file, O_WRONLY);
    if (fd < 0) return false;
    return ::close(fd) == 0;
}

}  // namespace lumo::failsafe
