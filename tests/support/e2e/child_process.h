// SPDX-License-Identifier: GPL-3.0-or-later
// A program started for an end-to-end test: its standard output read line by line with time
// limits, its standard error kept in a file, and its exit awaited with a time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a path) with the current environment plus `environment` ("NAME=value" entries
    // replace variables of the same name). False when it could not be started.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

    // The next line of standard output, without its newline; nothing once the time is up or the
    // output has ended.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Reads lines until one contains `text`; that line, or nothing when the time ran out first.
    std::optional<std::string> WaitForLine(const std::string& text, std::chrono::milliseconds timeout);
    // Every line read so far.
    const std::vector<std::string>& Lines() const { return lines; }

    // The exit code once the program has ended (128 + signal when killed by one); nothing when it
    // is still running after `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Ends the program with SIGKILL (if still running) and reaps it.
    void Kill();
    // Asks the program to end with SIGTERM, and kills it when it is still running after `grace`.
    void Terminate(std::chrono::milliseconds grace);
    pid_t Pid() const { return pid; }
    // What the program wrote to standard error.
    std::string Stderr() const;

private:
    pid_t pid = -1;
    int outFd = -1;
    std::string pending;
    std::vector<std::string> lines;
    std::string stderrPath;
    std::optional<int> exitCode;
};

// Runs a command to its end (killed after `timeout`) and returns its exit code and standard output.
struct CommandResult {
    int exitCode = -1;
    std::string output;
};
CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(10));
