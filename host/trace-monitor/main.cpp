// lumo-trace-monitor: shows the trace records of this user's traced programs
// as they run, and pauses and resumes them on commands read from stdin.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "failsafe/monitor/monitor_server.h"

namespace {

using lumo::failsafe::MonitorServer;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

constexpr const char* usage =
    "usage: lumo-trace-monitor [--socket PATH] [--pause]\n"
    "Shows the trace records of traced programs on stdout as they run.\n"
    "  --socket PATH  listen here instead of $XDG_RUNTIME_DIR/lumo-trace-monitor\n"
    "  --pause        pause every program at its first record\n";

constexpr const char* commands =
    "commands: p pause at the next record, r resume, s step to the next record, q quit, h help\n";

void status(std::string_view line) { std::cerr << "lumo-trace-monitor: " << line << std::endl; }

// One command line from stdin; false to quit.
bool obey(const std::string& line, MonitorServer& server) {
    const size_t first = line.find_first_not_of(" \t\r");
    const char command = first == std::string::npos ? ' ' : line[first];
    switch (command) {
        case 'p': server.pause(); status("pausing at the next record"); return true;
        case 'r': server.resume(); status("running"); return true;
        case 's': server.step(); return true;
        case 'q': return false;
        case ' ': return true;
        default: std::cerr << commands; return true;
    }
}

// Reads what stdin has; false when it asks to quit. At the end of input
// nobody can resume a paused program any more, so it goes on.
bool readCommands(MonitorServer& server, std::string& pending, bool& inputOpen) {
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        inputOpen = false;
        if (server.pauseRequested() || server.pausedCount() > 0) server.resume();
        return true;
    }
    pending.append(buffer, static_cast<size_t>(got));
    for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!obey(line, server)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path socket = lumo::failsafe::wire::defaultSocketPath();
    bool startPaused = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--socket" && i + 1 < argc) {
            socket = argv[++i];
        } else if (argument == "--pause") {
            startPaused = true;
        } else {
            std::cerr << usage;
            return argument == "--help" || argument == "-h" ? 0 : 2;
        }
    }
    ::umask(077);  // the socket is for this user alone
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    lumo::failsafe::MonitorEvents events;
    bool outputBroken = false;
    events.record = [&outputBroken](uint32_t, std::string_view record) {
        while (!record.empty() && (record.back() == '\n' || record.back() == '\r')) record.remove_suffix(1);
        std::cout << record << '\n' << std::flush;
        outputBroken = outputBroken || !std::cout;
    };
    events.status = status;
    std::string whyNot;
    const auto server = MonitorServer::listen(socket, events, whyNot);
    if (!server) {
        status(whyNot);
        return 1;
    }
    status("listening on " + socket.string());
    if (::isatty(STDIN_FILENO)) std::cerr << commands;
    if (startPaused) server->pause();

    std::string pending;
    bool inputOpen = true;
    while (!stopRequested && !outputBroken) {
        const bool commandWaiting = server->serve(std::chrono::milliseconds(200), inputOpen ? STDIN_FILENO : -1);
        if (commandWaiting && !readCommands(*server, pending, inputOpen)) break;
    }
    status("stopped");
    return 0;
}
