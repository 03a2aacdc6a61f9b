#include "failsafe/mail/mail_message.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "failsafe/mail/mime_encoding.h"

namespace lumo::failsafe {
namespace {

std::string rfc5322Date(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    // The names must be English whatever the locale: built by hand.
    static constexpr const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long offset = local.tm_gmtoff / 60;
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[local.tm_wday % 7],
                  local.tm_mday, months[local.tm_mon % 12], local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

// A file name as a quoted MIME parameter: quotes, backslashes and control
// characters would end or break it.
std::string quotedName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const auto u = static_cast<uint8_t>(c);
        if (u >= 32 && u != 127 && c != '"' && c != '\\') safe.push_back(c);
    }
    return "\"" + safe + "\"";
}

void appendTextPart(std::string& out, const std::string& text) {
    out.append("Content-Type: text/plain; charset=UTF-8\r\n");
    out.append("Content-Transfer-Encoding: quoted-printable\r\n\r\n");
    out.append(mime::quotedPrintable(text));
}

}  // namespace

std::string renderMail(const MailMessage& message, const MailEnvelope& envelope) {
    std::string out;
    out.append("Date: ").append(rfc5322Date(envelope.date)).append("\r\n");
    out.append("From: ").append(mime::headerText(envelope.from)).append("\r\n");
    out.append("To: ").append(mime::headerText(message.recipient)).append("\r\n");
    out.append("Subject: ").append(mime::headerText(message.subject)).append("\r\n");
    if (!message.messageType.empty())
        out.append("X-Message-Type: ").append(mime::headerText(message.messageType)).append("\r\n");
    out.append("MIME-Version: 1.0\r\n");
    if (message.attachments.empty()) {
        appendTextPart(out, message.text);
        return out.append("\r\n");
    }
    out.append("Content-Type: multipart/mixed; boundary=\"").append(envelope.boundary).append("\"\r\n\r\n");
    out.append("--").append(envelope.boundary).append("\r\n");
    appendTextPart(out, message.text);
    for (const MailAttachment& file : message.attachments) {
        out.append("\r\n--").append(envelope.boundary).append("\r\n");
        out.append("Content-Type: application/octet-stream; name=").append(quotedName(file.name)).append("\r\n");
        out.append("Content-Transfer-Encoding: base64\r\n");
        out.append("Content-Disposition: attachment; filename=").append(quotedName(file.name)).append("\r\n\r\n");
        out.append(mime::base64Lines(file.content));
    }
    return out.append("\r\n--").append(envelope.boundary).append("--\r\n");
}

std::string loginName() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found) return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string localSender() {
    std::string user = loginName();
    if (user.empty()) user = "unknown";
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return user;
    return user + "@" + host;
}

}  // namespace lumo::failsafe
