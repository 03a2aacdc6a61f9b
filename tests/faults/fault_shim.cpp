// A preloaded shim that makes file system calls fail as a full disk or a
// read-only folder would, for the files under chosen folders only. Loaded
// into helper programs with LD_PRELOAD, set up through the environment:
//
//   LUMO_FAULT_PATH   folders or files (':' between them) whose calls fail
//   LUMO_FAULT_ERRNO  ENOSPC, EACCES, EROFS, EIO or ENOENT (default ENOSPC)
//   LUMO_FAULT_CALLS  which calls, ',' between them (default: all but read):
//                       open     opens that may write, creat, mkdir
//                       read     opens for reading only
//                       write    write, pwrite, writev, ftruncate, fallocate
//                                on descriptors opened under the paths
//                       rename   rename, link into the paths
//                       unlink   unlink of files under the paths
//                       fsync    fsync, fdatasync on those descriptors
//   LUMO_FAULT_SKIP   how many matching calls succeed before the first failure
//   LUMO_FAULT_TIMES  how many fail after that (default: all of them)
//   LUMO_FAULT_VANISH a file deleted just before the program first opens it
//   LUMO_FAULT_STALL  a file whose opens never return, as on a stalled mount
//   LUMO_FAULT_LOG    a file that gets one line per injected failure
//
// Written without the C++ library: it runs inside every call of the program,
// possibly before its constructors.

#undef _FORTIFY_SOURCE  // the calls below are defined here, not wrapped inline

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr int MaxDescriptors = 65536;
constexpr int MaxPaths = 8;

enum Group : unsigned { OpenWrite = 1, OpenRead = 2, Write = 4, Rename = 8, Sync = 16, Unlink = 32 };
constexpr unsigned AllButRead = OpenWrite | Write | Rename | Sync | Unlink;

struct Setup {
    bool ready = false;
    char paths[MaxPaths][1024] = {};
    int pathCount = 0;
    int error = ENOSPC;
    unsigned groups = AllButRead;
    long skip = 0;
    long times = -1;
    char vanish[1024] = {};
    char stall[1024] = {};
    char log[1024] = {};
};

Setup setup;
long matched = 0;  // matching calls so far
long failed = 0;
bool vanished = false;
unsigned char watched[MaxDescriptors];  // descriptors opened under the paths

template <class Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int errorNamed(const char* name) {
    if (!name || !*name) return ENOSPC;
    if (strcmp(name, "EACCES") == 0) return EACCES;
    if (strcmp(name, "EROFS") == 0) return EROFS;
    if (strcmp(name, "EIO") == 0) return EIO;
    if (strcmp(name, "ENOENT") == 0) return ENOENT;
    if (strcmp(name, "EDQUOT") == 0) return EDQUOT;
    const int number = atoi(name);
    return number > 0 ? number : ENOSPC;
}

unsigned groupsNamed(const char* names) {
    if (!names || !*names) return AllButRead;
    unsigned groups = 0;
    if (strstr(names, "open")) groups |= OpenWrite;
    if (strstr(names, "read")) groups |= OpenRead;
    if (strstr(names, "write")) groups |= Write;
    if (strstr(names, "rename")) groups |= Rename;
    if (strstr(names, "fsync")) groups |= Sync;
    if (strstr(names, "unlink")) groups |= Unlink;
    return groups;
}

void copyText(char* target, const char* source, size_t size) {
    if (!source) return;
    strncpy(target, source, size - 1);
    target[size - 1] = '\0';
}

const Setup& current() {
    if (__atomic_load_n(&setup.ready, __ATOMIC_ACQUIRE)) return setup;
    static int taking = 0;
    if (__atomic_exchange_n(&taking, 1, __ATOMIC_ACQ_REL) == 0) {
        if (const char* list = getenv("LUMO_FAULT_PATH")) {
            const char* at = list;
            while (*at && setup.pathCount < MaxPaths) {
                const char* end = strchr(at, ':');
                const size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
                if (length > 0 && length < sizeof setup.paths[0]) {
                    memcpy(setup.paths[setup.pathCount], at, length);
                    setup.paths[setup.pathCount++][length] = '\0';
                }
                if (!end) break;
                at = end + 1;
            }
        }
        setup.error = errorNamed(getenv("LUMO_FAULT_ERRNO"));
        setup.groups = groupsNamed(getenv("LUMO_FAULT_CALLS"));
        if (const char* skip = getenv("LUMO_FAULT_SKIP")) setup.skip = atol(skip);
        if (const char* times = getenv("LUMO_FAULT_TIMES")) setup.times = atol(times);
        copyText(setup.vanish, getenv("LUMO_FAULT_VANISH"), sizeof setup.vanish);
        copyText(setup.stall, getenv("LUMO_FAULT_STALL"), sizeof setup.stall);
        copyText(setup.log, getenv("LUMO_FAULT_LOG"), sizeof setup.log);
        __atomic_store_n(&setup.ready, true, __ATOMIC_RELEASE);
    }
    return setup;
}

// The absolute form of `path` as seen from `directory` (a descriptor or AT_FDCWD).
const char* absolute(int directory, const char* path, char* buffer, size_t size) {
    if (!path) return "";
    if (path[0] == '/') return path;
    char base[1024];
    if (directory == AT_FDCWD) {
        if (!getcwd(base, sizeof base)) return path;
    } else {
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", directory);
        const ssize_t length = readlink(link, base, sizeof base - 1);
        if (length <= 0) return path;
        base[length] = '\0';
    }
    snprintf(buffer, size, "%s/%s", base, path);
    return buffer;
}

bool underPaths(const char* path) {
    const Setup& s = current();
    for (int i = 0; i < s.pathCount; ++i) {
        const size_t length = strlen(s.paths[i]);
        if (strncmp(path, s.paths[i], length) == 0 && (path[length] == '\0' || path[length] == '/' ||
                                                       s.paths[i][length - 1] == '/'))
            return true;
    }
    return false;
}

void note(const char* call, const char* what) {
    const Setup& s = current();
    if (!s.log[0]) return;
    static auto openLog = real<int (*)(const char*, int, ...)>("open");
    static auto writeLog = real<ssize_t (*)(int, const void*, size_t)>("write");
    const int fd = openLog(s.log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    char line[1400];
    const int length = snprintf(line, sizeof line, "%s %s %s\n", call, what, strerror(s.error));
    if (length > 0 && writeLog(fd, line, strlen(line)) < 0) errno = 0;
    close(fd);
}

// True when this matching call is one to fail; counts it either way.
bool failsNow(Group group, const char* call, const char* what) {
    const Setup& s = current();
    if (!(s.groups & group)) return false;
    const long index = __atomic_fetch_add(&matched, 1, __ATOMIC_ACQ_REL);
    if (index < s.skip) return false;
    if (s.times >= 0 && __atomic_fetch_add(&failed, 1, __ATOMIC_ACQ_REL) >= s.times) return false;
    note(call, what);
    errno = s.error;
    return true;
}

bool failsPath(Group group, const char* call, int directory, const char* path) {
    char buffer[2048];
    const char* full = absolute(directory, path, buffer, sizeof buffer);
    return underPaths(full) && failsNow(group, call, full);
}

bool failsDescriptor(Group group, const char* call, int fd) {
    if (fd < 0 || fd >= MaxDescriptors || !__atomic_load_n(&watched[fd], __ATOMIC_ACQUIRE)) return false;
    char what[32];
    snprintf(what, sizeof what, "fd %d", fd);
    return failsNow(group, call, what);
}

void vanishIfNamed(int directory, const char* path) {
    const Setup& s = current();
    if (!s.vanish[0] || __atomic_load_n(&vanished, __ATOMIC_ACQUIRE)) return;
    char buffer[2048];
    if (strcmp(absolute(directory, path, buffer, sizeof buffer), s.vanish) != 0) return;
    if (__atomic_exchange_n(&vanished, true, __ATOMIC_ACQ_REL)) return;
    static auto unlinkFile = real<int (*)(const char*)>("unlink");
    unlinkFile(s.vanish);
    note("vanish", s.vanish);
}

bool writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0; }

void stallIfNamed(int directory, const char* path) {
    const Setup& s = current();
    char buffer[2048];
    if (!s.stall[0] || strcmp(absolute(directory, path, buffer, sizeof buffer), s.stall) != 0) return;
    note("stall", s.stall);
    for (;;) pause();
}

// Every open goes through here: the fault first, then the real call, then
// the descriptor is watched when it lies under the paths.
template <class Call>
int openChecked(const char* call, int directory, const char* path, int flags, Call&& open) {
    vanishIfNamed(directory, path);
    stallIfNamed(directory, path);
    if (failsPath(writes(flags) ? OpenWrite : OpenRead, call, directory, path)) return -1;
    const int fd = open();
    if (fd >= 0 && fd < MaxDescriptors) {
        char buffer[2048];
        __atomic_store_n(&watched[fd], underPaths(absolute(directory, path, buffer, sizeof buffer)) ? 1 : 0,
                         __ATOMIC_RELEASE);
    }
    return fd;
}

mode_t modeOf(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

#define LUMO_OPEN(name)                                                                                \
    int name(const char* path, int flags, ...) {                                                       \
        va_list arguments;                                                                             \
        va_start(arguments, flags);                                                                    \
        const mode_t mode = modeOf(flags, arguments);                                                  \
        va_end(arguments);                                                                             \
        static auto next = real<int (*)(const char*, int, ...)>(#name);                                \
        return openChecked(#name, AT_FDCWD, path, flags, [&] { return next(path, flags, mode); });     \
    }
#define LUMO_OPENAT(name)                                                                                 \
    int name(int directory, const char* path, int flags, ...) {                                           \
        va_list arguments;                                                                                \
        va_start(arguments, flags);                                                                       \
        const mode_t mode = modeOf(flags, arguments);                                                     \
        va_end(arguments);                                                                                \
        static auto next = real<int (*)(int, const char*, int, ...)>(#name);                              \
        return openChecked(#name, directory, path, flags, [&] { return next(directory, path, flags, mode); }); \
    }

LUMO_OPEN(open)
LUMO_OPEN(open64)
LUMO_OPENAT(openat)
LUMO_OPENAT(openat64)

int __open_2(const char* path, int flags) { return open(path, flags); }
int __open64_2(const char* path, int flags) { return open64(path, flags); }
int __openat_2(int directory, const char* path, int flags) { return openat(directory, path, flags); }
int __openat64_2(int directory, const char* path, int flags) { return openat64(directory, path, flags); }

int creat(const char* path, mode_t mode) { return open(path, O_CREAT | O_WRONLY | O_TRUNC, mode); }
int creat64(const char* path, mode_t mode) { return open64(path, O_CREAT | O_WRONLY | O_TRUNC, mode); }

using OpenStream = FILE* (*)(const char*, const char*);
static FILE* openStream(OpenStream next, const char* call, const char* path, const char* mode) {
    const bool writing = strpbrk(mode, "wa+") != nullptr;
    vanishIfNamed(AT_FDCWD, path);
    if (failsPath(writing ? OpenWrite : OpenRead, call, AT_FDCWD, path)) return nullptr;
    return next(path, mode);
}
FILE* fopen(const char* path, const char* mode) {
    static auto next = real<OpenStream>("fopen");
    return openStream(next, "fopen", path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
    static auto next = real<OpenStream>("fopen64");
    return openStream(next, "fopen64", path, mode);
}

int mkdir(const char* path, mode_t mode) {
    static auto next = real<int (*)(const char*, mode_t)>("mkdir");
    return failsPath(OpenWrite, "mkdir", AT_FDCWD, path) ? -1 : next(path, mode);
}
int mkdirat(int directory, const char* path, mode_t mode) {
    static auto next = real<int (*)(int, const char*, mode_t)>("mkdirat");
    return failsPath(OpenWrite, "mkdirat", directory, path) ? -1 : next(directory, path, mode);
}

int close(int fd) {
    static auto next = real<int (*)(int)>("close");
    if (fd >= 0 && fd < MaxDescriptors) __atomic_store_n(&watched[fd], 0, __ATOMIC_RELEASE);
    return next(fd);
}

ssize_t write(int fd, const void* data, size_t size) {
    static auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    return failsDescriptor(Write, "write", fd) ? -1 : next(fd, data, size);
}
ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    static auto next = real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    return failsDescriptor(Write, "pwrite", fd) ? -1 : next(fd, data, size, offset);
}
ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
    static auto next = real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    return failsDescriptor(Write, "pwrite64", fd) ? -1 : next(fd, data, size, offset);
}
ssize_t writev(int fd, const struct iovec* parts, int count) {
    static auto next = real<ssize_t (*)(int, const struct iovec*, int)>("writev");
    return failsDescriptor(Write, "writev", fd) ? -1 : next(fd, parts, count);
}
int ftruncate(int fd, off_t length) {
    static auto next = real<int (*)(int, off_t)>("ftruncate");
    return failsDescriptor(Write, "ftruncate", fd) ? -1 : next(fd, length);
}
int ftruncate64(int fd, off64_t length) {
    static auto next = real<int (*)(int, off64_t)>("ftruncate64");
    return failsDescriptor(Write, "ftruncate64", fd) ? -1 : next(fd, length);
}
int fallocate(int fd, int mode, off_t offset, off_t length) {
    static auto next = real<int (*)(int, int, off_t, off_t)>("fallocate");
    return failsDescriptor(Write, "fallocate", fd) ? -1 : next(fd, mode, offset, length);
}
int fallocate64(int fd, int mode, off64_t offset, off64_t length) {
    static auto next = real<int (*)(int, int, off64_t, off64_t)>("fallocate64");
    return failsDescriptor(Write, "fallocate64", fd) ? -1 : next(fd, mode, offset, length);
}

int fsync(int fd) {
    static auto next = real<int (*)(int)>("fsync");
    return failsDescriptor(Sync, "fsync", fd) ? -1 : next(fd);
}
int fdatasync(int fd) {
    static auto next = real<int (*)(int)>("fdatasync");
    return failsDescriptor(Sync, "fdatasync", fd) ? -1 : next(fd);
}

int rename(const char* from, const char* to) {
    static auto next = real<int (*)(const char*, const char*)>("rename");
    if (failsPath(Rename, "rename", AT_FDCWD, to)) return -1;
    return next(from, to);
}
int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
    static auto next = real<int (*)(int, const char*, int, const char*)>("renameat");
    if (failsPath(Rename, "renameat", toDirectory, to)) return -1;
    return next(fromDirectory, from, toDirectory, to);
}
int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned int flags) {
    static auto next = real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    if (failsPath(Rename, "renameat2", toDirectory, to)) return -1;
    return next(fromDirectory, from, toDirectory, to, flags);
}
int link(const char* from, const char* to) {
    static auto next = real<int (*)(const char*, const char*)>("link");
    return failsPath(Rename, "link", AT_FDCWD, to) ? -1 : next(from, to);
}
int linkat(int fromDirectory, const char* from, int toDirectory, const char* to, int flags) {
    static auto next = real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return failsPath(Rename, "linkat", toDirectory, to) ? -1 : next(fromDirectory, from, toDirectory, to, flags);
}
int unlink(const char* path) {
    static auto next = real<int (*)(const char*)>("unlink");
    return failsPath(Unlink, "unlink", AT_FDCWD, path) ? -1 : next(path);
}
int unlinkat(int directory, const char* path, int flags) {
    static auto next = real<int (*)(int, const char*, int)>("unlinkat");
    return failsPath(Unlink, "unlinkat", directory, path) ? -1 : next(directory, path, flags);
}

}  // extern "C"
