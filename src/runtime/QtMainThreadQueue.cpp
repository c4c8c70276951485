#include "runtime/QtMainThreadQueue.h"

#include <QMetaObject>
#include <QTimer>

namespace tavrin {

QtMainThreadQueue::QtMainThreadQueue() : mainThread_(std::this_thread::get_id()) {}

QtMainThreadQueue::~QtMainThreadQueue() = default;

void QtMainThreadQueue::post(Task task) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(task));
        if (!wakePending_) {
            wakePending_ = true;
            wake = true;
        }
    }
    if (wake) {
        QMetaObject::invokeMethod(this, &QtMainThreadQueue::drain, Qt::QueuedConnection);
    }
}

void QtMainThreadQueue::drain() {
    std::vector<Task> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
        wakePending_ = false;
    }
    for (auto& task : batch) {
        task();
    }
}

TimerHandle QtMainThreadQueue::schedule(std::chrono::milliseconds delay, Task task) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    TimerHandle handle(done);
    if (isMainThread()) {
        startTimer(delay, std::move(done), std::move(task));
    } else {
        const auto due = now() + delay;
        post([this, due, done = std::move(done), task = std::move(task)]() mutable {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now());
            startTimer(std::max(left, std::chrono::milliseconds(0)), std::move(done),
                       std::move(task));
        });
    }
    return handle;
}

void QtMainThreadQueue::startTimer(std::chrono::milliseconds delay,
                                   std::shared_ptr<std::atomic<bool>> done, Task task) {
    if (done->load()) {
        return;
    }
    QTimer::singleShot(delay, Qt::PreciseTimer, this,
                       [done = std::move(done), task = std::move(task)] {
                           if (!done->exchange(true)) {
                               task();
                           }
                       });
}

MainThreadQueue::Clock::time_point QtMainThreadQueue::now() const {
    return Clock::now();
}

bool QtMainThreadQueue::isMainThread() const {
    return std::this_thread::get_id() == mainThread_;
}

}  // namespace tavrin
