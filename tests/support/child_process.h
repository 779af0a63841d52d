#pragma once
// What the end-to-end tests of the Linux program share: bounded waits for a
// condition, child processes in groups of their own, and reading their logs.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace corvalinth::testsupport {

inline bool WaitFor(double seconds, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done())
        if (std::chrono::steady_clock::now() > end) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
}

// What a file holds (what a program printed into its log).
inline std::string Text(const std::filesystem::path& path)
{
    std::stringstream read;
    read << std::ifstream(path).rdbuf();
    return read.str();
}

// A child in a process group of its own, ended with its group if still running
// when the test lets go; its output goes to `log`, its input comes from
// `input` when given.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv, const std::string& log = "/dev/null", int input = -1)
    {
        if ((pid_ = ::fork()) != 0) return;
        ::setpgid(0, 0);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (input >= 0) ::dup2(input, 0);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ~Process()
    {
        if (pid_ <= 0 || status_) return;
        ::kill(-pid_, SIGTERM);
        if (!WaitExit(3)) ::kill(-pid_, SIGKILL), WaitExit(10);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    pid_t Pid() const { return pid_; }
    // The exit status (128 + signal when killed), or nullopt if still running.
    std::optional<int> WaitExit(double seconds)
    {
        WaitFor(seconds, [this] { return Exited(); });
        return status_;
    }
    bool Exited()
    {
        int raw = 0;
        if (!status_ && ::waitpid(pid_, &raw, WNOHANG) == pid_)
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_.has_value();
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace corvalinth::testsupport
