// SPDX-License-Identifier: GPL-3.0-or-later
// Programs under test as child processes: fork and exec with a pipe for standard output and a
// temporary file for standard error; children die with the test process.
#include "tests/support/e2e/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <utility>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The current environment with the given entries replacing or adding variables.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra)
{
    std::map<std::string, std::string> byName;
    auto add = [&](const std::string& entry) {
        const auto equals = entry.find('=');
        byName[entry.substr(0, equals)] = entry;
    };
    for (char** e = environ; *e != nullptr; ++e) {
        add(*e);
    }
    for (const std::string& entry : extra) {
        add(entry);
    }
    std::vector<std::string> merged;
    for (auto& [name, entry] : byName) {
        merged.push_back(entry);
    }
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int DecodeStatus(int status)
{
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

} // namespace

ChildProcess::~ChildProcess()
{
    Kill();
    if (outFd >= 0) {
        close(outFd);
    }
    if (!stderrPath.empty()) {
        unlink(stderrPath.c_str());
    }
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    char pathTemplate[] = "/tmp/fw-e2e-stderr-XXXXXX";
    const int errFd = mkostemp(pathTemplate, O_CLOEXEC);
    if (errFd < 0) {
        return false;
    }
    stderrPath = pathTemplate;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        close(errFd);
        return false;
    }
    int execFds[2];
    if (pipe2(execFds, O_CLOEXEC) != 0) {
        close(errFd);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }

    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(environment);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec. The child dies with the test, even a killed one.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        execve(argPointers[0], argPointers.data(), envPointers.data());
        const int error = errno;
        (void)!write(execFds[1], &error, sizeof(error));
        _exit(127);
    }
    close(pipeFds[1]);
    close(errFd);
    close(execFds[1]);
    // The exec pipe closes without data once the program runs.
    int execError = 0;
    const bool started = pid > 0 && read(execFds[0], &execError, sizeof(execError)) == 0;
    close(execFds[0]);
    if (!started) {
        if (pid > 0) {
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
        close(pipeFds[0]);
        return false;
    }
    outFd = pipeFds[0];
    return true;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (true) {
        const auto newline = pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            lines.push_back(line);
            return line;
        }
        if (outFd < 0) {
            if (pending.empty()) {
                return std::nullopt;
            }
            // The last line had no newline.
            lines.push_back(pending);
            return std::exchange(pending, std::string());
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return std::nullopt;
        }
        pollfd descriptor = {outFd, POLLIN, 0};
        if (poll(&descriptor, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t got = read(outFd, buffer, sizeof(buffer));
        if (got <= 0) {
            close(outFd);
            outFd = -1;
            continue;
        }
        pending.append(buffer, static_cast<size_t>(got));
    }
}

std::optional<std::string> ChildProcess::WaitForLine(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        std::optional<std::string> line = ReadLine(left.count() > 0 ? left : std::chrono::milliseconds(0));
        if (!line) {
            return std::nullopt;
        }
        if (line->find(text) != std::string::npos) {
            return line;
        }
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (exitCode || pid < 0) {
        return exitCode;
    }
    const auto deadline = Clock::now() + timeout;
    while (true) {
        // Keep the pipe drained so that a chatty program never blocks on a full pipe.
        while (outFd >= 0 && ReadLine(std::chrono::milliseconds(0))) {
        }
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            exitCode = DecodeStatus(status);
            while (ReadLine(std::chrono::milliseconds(50))) {
            }
            return exitCode;
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::Kill()
{
    if (pid > 0 && !exitCode) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        exitCode = DecodeStatus(status);
    }
}

void ChildProcess::Terminate(std::chrono::milliseconds grace)
{
    if (pid > 0 && !exitCode) {
        kill(pid, SIGTERM);
        if (!Wait(grace)) {
            Kill();
        }
    }
}

std::string ChildProcess::Stderr() const
{
    std::ifstream file(stderrPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         std::chrono::milliseconds timeout)
{
    CommandResult result;
    ChildProcess child;
    std::vector<std::string> resolved = argv;
    // Bare command names are looked up in the usual places.
    if (!resolved.empty() && resolved[0].find('/') == std::string::npos) {
        for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
            const std::string candidate = folder + resolved[0];
            if (access(candidate.c_str(), X_OK) == 0) {
                resolved[0] = candidate;
                break;
            }
        }
    }
    if (!child.Start(resolved, environment)) {
        return result;
    }
    const std::optional<int> code = child.Wait(timeout);
    if (!code) {
        child.Kill();
    }
    result.exitCode = code.value_or(-1);
    for (const std::string& line : child.Lines()) {
        result.output += line + "\n";
    }
    return result;
}
