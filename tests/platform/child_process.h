#pragma once

// Programs a test starts beside itself (a server, a process with a chosen executable), killed
// and reaped when the test is done.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::testing {

// The full path of a program found on PATH, none when it is not installed.
inline std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

// A child's output and error go nowhere; closeInChild is a descriptor the child must not keep
// (the reading end of a pipe it writes to).
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv, int closeInChild = -1) {
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (closeInChild >= 0) posix_spawn_file_actions_addclose(&actions, closeInChild);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// A pipe a child writes one line into (a display number, a bus address).
class OutputPipe {
public:
    OutputPipe() {
        if (::pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
    }
    ~OutputPipe() {
        for (int fd : fds_) {
            if (fd >= 0) ::close(fd);
        }
    }
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;
    int ReadFd() const { return fds_[0]; }
    int WriteFd() const { return fds_[1]; }
    // Closes our writing end, then reads up to the first newline (empty when the child ends first).
    std::string ReadLine() {
        if (fds_[1] >= 0) ::close(fds_[1]);
        fds_[1] = -1;
        std::string line;
        char c;
        while (fds_[0] >= 0 && ::read(fds_[0], &c, 1) == 1 && c != '\n') line += c;
        return line;
    }

private:
    int fds_[2];
};

}  // namespace corvane::testing
