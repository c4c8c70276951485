#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "runtime/MainThreadQueue.h"

namespace tavrin {

// A deterministic queue for tests. Nothing runs by itself: the test runs what is due, runs until
// idle, or advances the virtual clock, which fires timers in due order (ties in the order they
// were scheduled). The thread that creates the queue is its main thread.
class VirtualMainThreadQueue final : public MainThreadQueue {
public:
    VirtualMainThreadQueue();

    void post(Task task) override;
    [[nodiscard]] TimerHandle schedule(std::chrono::milliseconds delay, Task task) override;
    Clock::time_point now() const override;
    bool isMainThread() const override;

    // Runs the posted tasks and due timers until none is left, including those they post or
    // schedule for now. Returns whether anything ran.
    bool runUntilIdle();

    // Moves the clock forward by `delay`, firing each timer at its own due time and running the
    // posted tasks in between.
    void advance(std::chrono::milliseconds delay);

    // The virtual time passed since the queue was created.
    std::chrono::milliseconds elapsed() const;

    std::size_t pendingTaskCount() const;
    std::size_t activeTimerCount() const;

private:
    struct Timer {
        std::shared_ptr<std::atomic<bool>> done;
        Task task;
    };
    using TimerKey = std::pair<Clock::time_point, std::uint64_t>;

    bool runOne();

    std::thread::id mainThread_;
    const Clock::time_point start_;
    mutable std::mutex mutex_;
    Clock::time_point now_;
    std::deque<Task> tasks_;
    std::map<TimerKey, Timer> timers_;
    std::uint64_t nextTimerSequence_ = 0;
};

}  // namespace tavrin
