#include "platform/fake/NotificationThread.h"

namespace tavrin {

NotificationThread::NotificationThread() : thread_([this] { run(); }) {}

NotificationThread::~NotificationThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void NotificationThread::deliver(std::function<void()> notification) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(notification));
    }
    wake_.notify_one();
}

void NotificationThread::deliverToMain(MainThreadQueue& queue, std::weak_ptr<const void> owner,
                                       std::function<void()> task) {
    deliver([&queue, owner = std::move(owner), task = std::move(task)] {
        queue.post([owner, task] {
            if (owner.lock()) {
                task();
            }
        });
    });
}

void NotificationThread::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

bool NotificationThread::isCurrentThread() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void NotificationThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, and everything queued was delivered
        }
        auto notification = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        notification();
        lock.lock();
        busy_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

}  // namespace tavrin
