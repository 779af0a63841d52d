#pragma once
// SIGTERM (an idle daemon's way to end a program) and SIGINT as readable data
// on a descriptor, so that an event loop polls them with its other input.
namespace corvalinth::linux_host {

class SignalEvents {
public:
    // Blocks the two signals for the process; Descriptor() is -1 on failure.
    SignalEvents();
    ~SignalEvents();
    SignalEvents(const SignalEvents&) = delete;
    SignalEvents& operator=(const SignalEvents&) = delete;

    int Descriptor() const { return fd_; }
    // Whether a signal is waiting; reads it.
    bool Take() const;

private:
    int fd_ = -1;
};

}  // namespace corvalinth::linux_host
