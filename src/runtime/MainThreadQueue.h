#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace tavrin {

// A handle to a delayed task. Cancelling it (or destroying the handle) guarantees the task
// never runs, from whichever thread the cancel comes.
class TimerHandle {
public:
    TimerHandle() = default;
    explicit TimerHandle(std::shared_ptr<std::atomic<bool>> cancelled);
    TimerHandle(TimerHandle&& other) noexcept = default;
    TimerHandle& operator=(TimerHandle&& other) noexcept;
    TimerHandle(const TimerHandle&) = delete;
    TimerHandle& operator=(const TimerHandle&) = delete;
    ~TimerHandle();

    void cancel();
    bool isActive() const;

private:
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

// The main thread's task queue and its timers, on the monotonic clock. Model code schedules all
// of its deferred work and timers here, so tests can drive them in virtual time.
class MainThreadQueue {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    virtual ~MainThreadQueue() = default;

    // Callable from any thread. The task runs later on the main thread, never inside this call.
    virtual void post(Task task) = 0;

    // Callable from any thread. Runs the task on the main thread once `delay` has passed, unless
    // the returned handle was cancelled or destroyed first.
    [[nodiscard]] virtual TimerHandle schedule(std::chrono::milliseconds delay, Task task) = 0;

    // The queue's monotonic time.
    virtual Clock::time_point now() const = 0;

    virtual bool isMainThread() const = 0;
};

}  // namespace tavrin
