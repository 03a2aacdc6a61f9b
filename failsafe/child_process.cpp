#include "failsafe/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "failsafe/local_socket.h"

extern char** environ;

namespace lumo::failsafe {
namespace {

using namespace std::chrono_literals;

// Reaps the child if it has ended; false while it still runs.
bool reaped(pid_t pid, ChildOutcome& outcome) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == 0) return false;
    outcome.finished = true;
    if (done == pid && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    if (done == pid && WIFSIGNALED(status)) outcome.problem = "ended by signal " + std::to_string(WTERMSIG(status));
    if (done < 0) outcome.problem = std::string("cannot wait for it: ") + std::strerror(errno);
    return true;
}

bool waitUntil(pid_t pid, Deadline deadline, ChildOutcome& outcome) {
    for (;;) {
        if (reaped(pid, outcome)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
}

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup(int input) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
        posix_spawnattr_init(&attributes);
        // A group of its own, so that a kill reaches whatever it started too.
        posix_spawnattr_setpgroup(&attributes, 0);
        sigset_t none, reset;
        sigemptyset(&none);
        sigemptyset(&reset);
        for (const int signal : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&reset, signal);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &reset);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

ChildOutcome runWithInput(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          std::string_view input, std::chrono::milliseconds timeout) {
    ChildOutcome outcome;
    const Deadline deadline = deadlineIn(timeout);
    // A socket rather than a pipe: a helper that quits early cannot raise SIGPIPE here.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        outcome.problem = std::string("cannot make its input: ") + std::strerror(errno);
        return outcome;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = 0;
    {
        SpawnSetup setup(ends[1]);
        spawned = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    }
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        outcome.problem = "cannot start " + program.string() + ": " + std::strerror(spawned);
        return outcome;
    }
    outcome.started = true;
    // A helper that stops reading is caught by the deadline below.
    sendAllBefore(ends[0], input, deadline);
    ::close(ends[0]);
    if (waitUntil(pid, deadline, outcome)) {
        if (outcome.problem.empty() && outcome.exitCode != 0)
            outcome.problem = program.string() + " exited with " + std::to_string(outcome.exitCode);
        return outcome;
    }
    ::kill(-pid, SIGKILL);
    ChildOutcome killed;
    waitUntil(pid, deadlineIn(1s), killed);  // a process stuck in the kernel is not waited for
    outcome.problem = program.string() + " did not finish within " + std::to_string(timeout.count()) +
                      " ms and was stopped";
    return outcome;
}

}  // namespace lumo::failsafe
