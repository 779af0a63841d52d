#include "linux/signal_events.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace corvalinth::linux_host {

SignalEvents::SignalEvents()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) == 0) fd_ = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

SignalEvents::~SignalEvents()
{
    if (fd_ >= 0) ::close(fd_);
}

bool SignalEvents::Take() const
{
    signalfd_siginfo info{};
    return ::read(fd_, &info, sizeof info) > 0;
}

}  // namespace corvalinth::linux_host
