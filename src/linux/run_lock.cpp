#include "linux/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace corvalinth::linux_host {

RunLock::RunLock(const char* runtimeDir, const char* display)
{
    if (!runtimeDir || !*runtimeDir) return;
    // A display may be given as a path: its name becomes one file name.
    std::string name = display && *display ? display : "wayland-0";
    std::replace(name.begin(), name.end(), '/', '_');
    const std::string path = std::string(runtimeDir) + "/corvalinth-" + name + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    heldElsewhere_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
}

RunLock::~RunLock()
{
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace corvalinth::linux_host
