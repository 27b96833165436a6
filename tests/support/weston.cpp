#include "weston.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "viewer.h"

namespace {

constexpr const char* SOCKET = "turnfan";
constexpr double START_SECONDS = 20.0;
constexpr double STOP_SECONDS = 10.0;

std::string read_file(const std::string& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The display number weston gave Xwayland: it takes the first one free, so only
// its log knows.
std::string xwayland_display_in(const std::string& log)
{
    const std::string mark = "xserver listening on display ";
    const size_t at = log.find(mark);
    if (at == std::string::npos)
        return "";
    const size_t end = log.find('\n', at);
    if (end == std::string::npos)
        return "";
    return log.substr(at + mark.size(), end - at - mark.size());
}

// Waits up to `seconds` for the process to end, leaving it unreaped so that
// its id, and so its group's, stays taken; true if it ended.
bool ended_within(pid_t pid, double seconds)
{
    for (int i = 0; i < static_cast<int>(seconds * 100); ++i) {
        siginfo_t info = {};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            return true;
        pause_seconds(0.01);
    }
    return false;
}

} // namespace

WestonServer::WestonServer(const std::string& x_display)
{
    char dir_template[] = "/tmp/turnfan-weston-XXXXXX";
    if (!mkdtemp(dir_template)) // mode 0700, as a runtime directory must be
        return;
    runtime_dir_ = dir_template;
    const std::string log_path = runtime_dir_ + "/weston.log";
    const std::string socket_arg = std::string("--socket=") + SOCKET;
    pid_ = fork();
    if (pid_ == 0) {
        // A group of its own, so that Xwayland and the shell's clients can be
        // ended with it.
        setpgid(0, 0);
        int null = open("/dev/null", O_RDONLY);
        int log = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        setenv("DISPLAY", x_display.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("WAYLAND_SOCKET");
        // --no-config: a weston.ini of the machine's must not change the
        // desktop; --idle-time=0: no screen blanking.
        execlp("weston", "weston", "--backend=x11-backend.so", "--use-pixman", "--xwayland", "--no-config",
            "--idle-time=0", socket_arg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0)
        return;
    const std::string socket_path = runtime_dir_ + "/" + SOCKET;
    for (int i = 0; i < static_cast<int>(START_SECONDS * 20); ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        const std::string display = xwayland_display_in(read_file(log_path));
        struct stat st;
        if (!display.empty() && stat(socket_path.c_str(), &st) == 0) {
            xwayland_display_ = display;
            return;
        }
        pause_seconds(0.05);
    }
}

WestonServer::~WestonServer()
{
    if (pid_ > 0) {
        // weston ends Xwayland and its clients and removes its X lock file.
        kill(pid_, SIGTERM);
        if (!ended_within(pid_, STOP_SECONDS))
            kill(pid_, SIGKILL);
        kill(-pid_, SIGKILL); // anything of its group left behind
        waitpid(pid_, nullptr, 0);
    }
    if (!runtime_dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(runtime_dir_, ignored);
    }
}

std::vector<std::string> WestonServer::session_environment() const
{
    return {
        std::string("WAYLAND_DISPLAY=") + SOCKET, "XDG_RUNTIME_DIR=" + runtime_dir_, "DISPLAY=" + xwayland_display_};
}

std::string WestonServer::log() const
{
    return read_file(runtime_dir_ + "/weston.log");
}
