#pragma once

#include <functional>

#include "runtime/MainThreadQueue.h"

namespace tavrin {

// A whole-second countdown on the main-thread queue's clock: after each second it reports the
// seconds left, and at zero it reports the end instead. Cancelling (or destroying) it stops it
// before its next tick. Main thread.
class Countdown {
public:
    explicit Countdown(MainThreadQueue& queue) : queue_(queue) {}

    void start(int seconds, std::function<void(int remaining)> onTick, std::function<void()> onEnd);
    void cancel() { timer_.cancel(); }
    bool isRunning() const { return timer_.isActive(); }

private:
    void scheduleTick();

    MainThreadQueue& queue_;
    TimerHandle timer_;
    int remaining_ = 0;
    std::function<void(int)> onTick_;
    std::function<void()> onEnd_;
};

}  // namespace tavrin
