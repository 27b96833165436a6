#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// The environment of this process with `changes` applied.
std::vector<std::string> child_environment(const std::vector<std::string>& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('=') + 1);
        for (size_t i = 0; i < env.size();)
            if (env[i].compare(0, name.size(), name) == 0)
                env.erase(env.begin() + static_cast<long>(i));
            else
                ++i;
        if (change.size() > name.size())
            env.push_back(change);
    }
    return env;
}

std::vector<char*> c_strings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

void read_available(int fd, std::string* into)
{
    char buf[4096];
    ssize_t n;
    while (fd >= 0 && (n = read(fd, buf, sizeof buf)) > 0)
        into->append(buf, static_cast<size_t>(n));
}

// The result of a wait status.
void set_status(ExitResult* r, int status)
{
    r->exited = WIFEXITED(status);
    r->status = r->exited ? WEXITSTATUS(status) : -1;
    r->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

} // namespace

Process::Process(const std::vector<std::string>& argv, const ProcessOptions& options)
    : own_group_(options.own_group)
{
    int in[2] = {-1, -1}, out[2], err[2];
    if (options.input && pipe2(in, O_CLOEXEC) != 0)
        return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.input)
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (options.err_file.empty())
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, options.err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (options.out_too)
        posix_spawn_file_actions_adddup2(&actions, 2, 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (own_group_) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    std::vector<std::string> argv_strings = argv, env_strings = child_environment(options.env);
    std::vector<char*> args = c_strings(argv_strings), envp = c_strings(env_strings);
    if (args.size() < 2 || posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_fd_ = in[1];
    out_fd_ = out[0];
    err_fd_ = err[0];
    fcntl(out_fd_, F_SETFL, O_NONBLOCK);
    fcntl(err_fd_, F_SETFL, O_NONBLOCK);
}

Process::~Process()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        if (own_group_)
            kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(in_fd_);
    close(out_fd_);
    close(err_fd_);
}

bool Process::send(const std::string& text)
{
    size_t done = 0;
    while (in_fd_ >= 0 && done < text.size()) {
        const ssize_t n = write(in_fd_, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return in_fd_ >= 0;
}

void Process::drain()
{
    read_available(out_fd_, &result_.out);
    read_available(err_fd_, &result_.err);
}

bool Process::running()
{
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
        set_status(&result_, status);
        pid_ = -1;
    }
    return pid_ > 0;
}

const std::string& Process::out()
{
    drain();
    return result_.out;
}

ExitResult Process::stop(double seconds)
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        // Not reaped while waiting, so that the id, and so the group's, stays taken.
        const pid_t pid = pid_;
        wait_until(
            [&] {
                drain();
                siginfo_t info = {};
                return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                    info.si_pid == pid;
            },
            seconds, 0.01);
        if (own_group_)
            kill(-pid_, SIGKILL); // anything of its group left behind
    }
    return wait(0.0);
}

ExitResult Process::wait(double seconds)
{
    wait_until(
        [&] {
            drain();
            return !running();
        },
        seconds, 0.01);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // The write ends closed with the process: read to the end.
    fcntl(out_fd_, F_SETFL, 0);
    fcntl(err_fd_, F_SETFL, 0);
    drain();
    return result_;
}

bool run_program(const std::vector<std::string>& argv)
{
    Process p(argv);
    const ExitResult r = p.wait(600.0);
    return r.exited && r.status == 0;
}

bool wait_until(const std::function<bool()>& done, double seconds, double interval)
{
    const double end = now_seconds() + seconds;
    for (;;) {
        if (done())
            return true;
        if (now_seconds() >= end)
            return false;
        pause_seconds(interval);
    }
}

double now_seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void pause_seconds(double seconds)
{
    timespec t;
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - static_cast<double>(t.tv_sec)) * 1e9);
    nanosleep(&t, nullptr);
}
