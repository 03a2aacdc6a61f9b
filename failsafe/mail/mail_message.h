#pragma once
// A mail message as the framework hands it over: one recipient, a subject, a
// plain text and files attached under names of their own.

#include <ctime>
#include <string>
#include <vector>

namespace lumo::failsafe {

struct MailAttachment {
    std::string name;     // the file name the recipient sees
    std::string content;  // the file's bytes
};

struct MailMessage {
    std::string recipient;
    std::string subject;
    std::string text;         // lines ended by CR LF
    std::string messageType;  // the message class, "IPM." for a note; empty for none
    std::vector<MailAttachment> attachments;
};

struct MailEnvelope {
    std::string from;  // user@host
    std::time_t date = 0;
    std::string boundary;  // must not occur in any encoded part
};

// The message in Internet mail form (MIME, multipart when files are
// attached), every line ended by CR LF.
std::string renderMail(const MailMessage& message, const MailEnvelope& envelope);

// The user's log-on name.
std::string loginName();

// This user at this host, for the From line.
std::string localSender();

}  // namespace lumo::failsafe
