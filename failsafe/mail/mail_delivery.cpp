#include "failsafe/mail/mail_delivery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "failsafe/child_process.h"

namespace lumo::failsafe {
namespace {

std::atomic<unsigned> messageCounter{0};

bool isExecutable(const std::filesystem::path& file) {
    struct stat info{};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(file.c_str(), X_OK) == 0;
}

std::string fileStamp(std::time_t now, unsigned number) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%d-%u", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(::getpid()), number);
    return text;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Creates the folder, and with `parents` its missing parents, for this user alone.
bool makeFolder(const std::filesystem::path& folder, bool parents) {
    if (parents && folder.has_parent_path() && folder.parent_path() != folder) makeFolder(folder.parent_path(), true);
    if (::mkdir(folder.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat info{};
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
}

// Stores the message in the outbox (made for this user alone when missing):
// the file's path, or nothing with the reason added to `problems`.
std::optional<std::filesystem::path> store(const std::string& mail, const std::filesystem::path& outbox,
                                           const std::string& stamp, bool parents, std::vector<std::string>& problems) {
    const auto fail = [&](const std::string& what) {
        problems.push_back(what + " " + outbox.string() + ": " + std::strerror(errno));
        return std::nullopt;
    };
    if (!makeFolder(outbox, parents)) return fail("cannot create the outbox");
    const int folder = ::open(outbox.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return fail("cannot open the outbox");
    const std::string name = "report-" + stamp + ".eml";
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    ::close(folder);
    if (fd < 0) return fail("cannot write to the outbox");
    const std::filesystem::path file = outbox / name;
    // Mail programs open a message marked unsent as a draft to send.
    const bool written = writeAll(fd, "X-Unsent: 1\r\n") && writeAll(fd, mail);
    if (::close(fd) != 0 || !written) {
        ::unlink(file.c_str());
        return fail("cannot write to the outbox");
    }
    return file;
}

// sendmail's own line ends are LF; every part is encoded, so no CR is lost.
std::string withLfLineEnds(const std::string& mail) {
    std::string out;
    out.reserve(mail.size());
    for (size_t i = 0; i < mail.size(); ++i)
        if (!(mail[i] == '\r' && i + 1 < mail.size() && mail[i + 1] == '\n')) out.push_back(mail[i]);
    return out;
}

}  // namespace

std::optional<std::filesystem::path> findSendmailProgram() {
    if (const char* path = std::getenv("PATH")) {
        std::string_view folders(path);
        while (!folders.empty()) {
            const size_t colon = folders.find(':');
            const std::string_view folder = folders.substr(0, colon);
            if (!folder.empty() && folder.front() == '/' && isExecutable(std::filesystem::path(folder) / "sendmail"))
                return std::filesystem::path(folder) / "sendmail";
            folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        }
    }
    for (const char* known : {"/usr/sbin/sendmail", "/usr/lib/sendmail"})
        if (isExecutable(known)) return std::filesystem::path(known);
    return std::nullopt;
}

std::filesystem::path defaultFallbackOutbox() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::filesystem::path(data) / "lumo" / "outbox";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr && home[0] == '/' ? home : "/tmp") / ".local/share/lumo/outbox";
}

DeliveryResult deliverMail(const MailMessage& message, const std::filesystem::path& outbox,
                           const DeliveryOptions& options) {
    DeliveryResult result;
    const std::time_t now = std::time(nullptr);
    const std::string stamp = fileStamp(now, ++messageCounter);
    // "=_" cannot occur in quoted-printable or base64 text.
    const std::string mail = renderMail(message, {localSender(), now, "=_FailSafe_" + stamp});
    std::vector<std::string> problems;
    result.kept = store(mail, outbox, stamp, false, problems);
    if (!result.kept && options.fallbackOutbox) result.kept = store(mail, *options.fallbackOutbox, stamp, true, problems);
    const auto sendmail = options.findSendmail ? options.findSendmail() : findSendmailProgram();
    if (sendmail) {
        // "--": a recipient can never be taken for an option.
        const ChildOutcome outcome = runWithInput(*sendmail, {"sendmail", "-i", "--", message.recipient},
                                                  withLfLineEnds(mail), options.timeout);
        result.sent = outcome.succeeded();
        if (!result.sent) problems.push_back(outcome.problem);
    }
    if (result.sent) {
        if (result.kept) ::unlink(result.kept->c_str());
        result.kept.reset();
        return result;
    }
    if (problems.empty()) return result;  // no sendmail here: the outbox is the way out
    problems.push_back(result.kept ? "the message to " + message.recipient + " stays in " + result.kept->string()
                                   : "the message to " + message.recipient + " is lost");
    for (const std::string& problem : problems) result.problem += (result.problem.empty() ? "" : "; ") + problem;
    return result;
}

}  // namespace lumo::failsafe
