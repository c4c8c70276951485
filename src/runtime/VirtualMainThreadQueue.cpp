#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin {

VirtualMainThreadQueue::VirtualMainThreadQueue()
    : mainThread_(std::this_thread::get_id()), start_(Clock::now()), now_(start_) {}

void VirtualMainThreadQueue::post(Task task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

TimerHandle VirtualMainThreadQueue::schedule(std::chrono::milliseconds delay, Task task) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(mutex_);
    const auto due = now_ + std::max(delay, std::chrono::milliseconds(0));
    timers_.emplace(TimerKey{due, nextTimerSequence_++}, Timer{done, std::move(task)});
    return TimerHandle(std::move(done));
}

MainThreadQueue::Clock::time_point VirtualMainThreadQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool VirtualMainThreadQueue::isMainThread() const {
    return std::this_thread::get_id() == mainThread_;
}

// Runs one posted task, else the earliest timer that is due now. Posted tasks go first so that a
// timer never overtakes work that was already queued when it fell due.
bool VirtualMainThreadQueue::runOne() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (!tasks_.empty()) {
            task = std::move(tasks_.front());
            tasks_.pop_front();
        } else {
            while (!timers_.empty() && timers_.begin()->first.first <= now_) {
                auto node = timers_.extract(timers_.begin());
                if (!node.mapped().done->exchange(true)) {
                    task = std::move(node.mapped().task);
                    break;
                }
            }
        }
    }
    if (!task) {
        return false;
    }
    task();
    return true;
}

bool VirtualMainThreadQueue::runUntilIdle() {
    bool ranAny = false;
    while (runOne()) {
        ranAny = true;
    }
    return ranAny;
}

void VirtualMainThreadQueue::advance(std::chrono::milliseconds delay) {
    const auto target = now() + delay;
    for (;;) {
        runUntilIdle();
        std::lock_guard lock(mutex_);
        // Skip cancelled timers so they don't stop the clock at their due time.
        while (!timers_.empty() && timers_.begin()->second.done->load()) {
            timers_.erase(timers_.begin());
        }
        if (timers_.empty() || timers_.begin()->first.first > target) {
            now_ = target;
            break;
        }
        now_ = std::max(now_, timers_.begin()->first.first);
    }
    runUntilIdle();
}

std::chrono::milliseconds VirtualMainThreadQueue::elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now() - start_);
}

std::size_t VirtualMainThreadQueue::pendingTaskCount() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

std::size_t VirtualMainThreadQueue::activeTimerCount() const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& [key, timer] : timers_) {
        count += timer.done->load() ? 0 : 1;
    }
    return count;
}

}  // namespace tavrin
