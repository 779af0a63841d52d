#pragma once
// One run per display: an idle daemon starts the program again after every
// resume, and a second run over the first would only cost CPU. The lock is a
// file in XDG_RUNTIME_DIR held with flock for the whole run; the kernel lets
// it go when the process ends, however it ends.
#include <string>

namespace corvalinth::linux_host {

class RunLock {
public:
    // Takes the lock named after `display` in `runtimeDir`. Without a runtime
    // folder, or where the file cannot be made, there is no lock and the run goes on.
    RunLock(const char* runtimeDir, const char* display);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Another run holds it.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

}  // namespace corvalinth::linux_host
