// Starting a program, waiting for it and for things it should do: the one way
// the tour, the tests and the benchmarks start Xvfb, compositors, Wine and the
// viewer.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ExitResult {
    bool exited = false; // false: still running at the timeout (then killed) or killed by a signal
    int status = -1;     // exit status when exited
    int signal = 0;      // the signal that ended it, if any
    std::string out;     // everything written to standard output
    std::string err;     // everything written to standard error
};

struct ProcessOptions {
    // Environment changes: "NAME=value" sets NAME, "NAME=" removes it.
    ProcessOptions(std::vector<std::string> env_changes = {})
        : env(std::move(env_changes))
    {
    }
    std::vector<std::string> env;
    // Standard error to this file (truncated) instead of a pipe, and with
    // out_too standard output as well.
    std::string err_file;
    bool out_too = false;
    // A process group of its own, ended with the process.
    bool own_group = false;
    // Standard input from a pipe that send() writes to, instead of /dev/null.
    bool input = false;
};

// A running program: standard input from /dev/null (or a pipe), standard output
// and error collected. argv[0] is looked up in PATH. Killed, if still running, with the object.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv, const ProcessOptions& options = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    // Whether it is still running (not reaped).
    bool running();
    // What it has written to standard output so far.
    const std::string& out();
    // Writes to its standard input (with ProcessOptions::input); false if it could not.
    bool send(const std::string& text);
    // Sends SIGTERM, waits up to `seconds`, then kills it and its group.
    ExitResult stop(double seconds = 10.0);
    // Waits for it to end; kills it after `seconds`.
    ExitResult wait(double seconds = 20.0);

private:
    void drain();

    pid_t pid_ = -1;
    int in_fd_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    bool own_group_ = false;
    ExitResult result_;
};

// Runs argv and waits; true if it ended with status 0. No shell is involved.
bool run_program(const std::vector<std::string>& argv);

// Asks `done` every `interval` seconds until it says yes or `seconds` have
// passed; its last answer.
bool wait_until(const std::function<bool()>& done, double seconds, double interval = 0.05);

// Seconds on CLOCK_MONOTONIC, which other processes on the machine read too.
double now_seconds();
void pause_seconds(double seconds);
