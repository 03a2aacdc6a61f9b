#pragma once
// Programs run by the tests in a child process: a private environment that
// reaches none of the caller's settings or display, output and errors in
// files, and a child still running at its time limit killed so that the test
// fails instead of blocking.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace lumo::testing {

inline std::string bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The caller's environment without what would reach the user's own home,
// settings, registration, display or preloads, with HOME and the XDG folders
// set to the given ones.
inline std::vector<std::string> privateEnvironment(
    std::initializer_list<std::pair<const char*, std::filesystem::path>> folders) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name == "HOME" || name.starts_with("XDG_") || name.starts_with("LUMO_") || name == "DISPLAY" ||
            name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" || name == "LD_PRELOAD")
            continue;
        entries.push_back(variable);
    }
    for (const auto& [name, folder] : folders) entries.push_back(std::string(name) + "=" + folder.string());
    return entries;
}

struct ChildProcess {
    pid_t pid = -1;
    int input = -1;  // the writing end of standard input, when asked for
};

// Starts `command` (found on PATH when it has no slash) in `folder`, with
// standard output and errors in folder/out and folder/err. Standard input
// is `inputFile`, or a pipe (ChildProcess::input) when `inputFile` is
// empty and `pipeInput` is set, or else /dev/null.
inline ChildProcess startChild(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                               const std::filesystem::path& folder, const std::filesystem::path& inputFile = {},
                               bool pipeInput = false) {
    std::filesystem::create_directories(folder);
    ChildProcess child;
    int pipeEnds[2] = {-1, -1};
    if (pipeInput && ::pipe2(pipeEnds, O_CLOEXEC) != 0) return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (pipeInput)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, inputFile.empty() ? "/dev/null" : inputFile.c_str(), O_RDONLY,
                                         0);
    posix_spawn_file_actions_addopen(&actions, 1, (folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());  // nothing lands in the caller's folder
    std::vector<char*> argv, envp;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pipeInput) {
        ::close(pipeEnds[0]);
        child.input = pipeEnds[1];
    }
    return child;
}

struct ChildEnd {
    int status = -1;  // exit status; -1 when it did not exit
    int signal = 0;   // the signal that ended it
};

// Waits for the child; one still running after `limit` is hung and killed.
inline ChildEnd waitForChild(pid_t pid, std::chrono::milliseconds limit, const std::string& what) {
    ChildEnd end;
    if (pid <= 0) return end;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << what << " hung and was killed";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) end.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    return end;
}

}  // namespace lumo::testing
