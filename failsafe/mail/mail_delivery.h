#pragma once
// Delivers the framework's mail: the message is first stored as an .eml file
// (mode 0600) in the outbox folder, then handed to the local sendmail when
// one is installed; once sendmail has taken it, the stored copy goes. What
// sendmail refuses or does not take in time stays in the outbox, where a mail
// program can open and send it.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "failsafe/mail/mail_message.h"

namespace lumo::failsafe {

// $XDG_DATA_HOME/lumo/outbox (~/.local/share/lumo/outbox).
std::filesystem::path defaultFallbackOutbox();

struct DeliveryOptions {
    // Where sendmail is; nothing when there is none.
    std::function<std::optional<std::filesystem::path>()> findSendmail;
    std::chrono::milliseconds timeout{5000};
    // Where the message is kept when the outbox cannot be made; nothing: lost.
    std::optional<std::filesystem::path> fallbackOutbox = defaultFallbackOutbox();
};

struct DeliveryResult {
    bool sent = false;                          // sendmail took it
    std::optional<std::filesystem::path> kept;  // the copy left in the outbox
    // What went wrong, for the log; empty when sendmail took the message or,
    // without sendmail, the outbox holds it.
    std::string problem;
};

// `sendmail` on the search path, else in /usr/sbin or /usr/lib.
std::optional<std::filesystem::path> findSendmailProgram();

DeliveryResult deliverMail(const MailMessage& message, const std::filesystem::path& outbox,
                           const DeliveryOptions& options = {});

// How the framework sends its mail; deliverMail unless a test says otherwise.
using MailSender = std::function<DeliveryResult(const MailMessage&, const std::filesystem::path& outbox)>;

}  // namespace lumo::failsafe
