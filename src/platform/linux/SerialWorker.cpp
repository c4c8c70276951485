#include "platform/linux/SerialWorker.h"

namespace tavrin {

SerialWorker::SerialWorker() : thread_([this] { run(); }) {}

SerialWorker::~SerialWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void SerialWorker::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        tasks_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void SerialWorker::setIdleStep(Task step) {
    std::lock_guard lock(mutex_);
    idleStep_ = std::move(step);
}

void SerialWorker::run() {
    for (;;) {
        Task next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !tasks_.empty() || idleStep_; });
            if (stopping_) {
                return;
            }
            if (!tasks_.empty()) {
                next = std::move(tasks_.front());
                tasks_.pop_front();
            } else {
                next = idleStep_;
            }
        }
        next();
    }
}

}  // namespace tavrin
