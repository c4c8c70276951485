#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The fake platform's own notification thread: callbacks that a real service makes on its
// threads are made here, in the order they were queued, so the hop to the main thread is
// exercised in every test.
class NotificationThread {
public:
    NotificationThread();
    ~NotificationThread();
    NotificationThread(const NotificationThread&) = delete;
    NotificationThread& operator=(const NotificationThread&) = delete;

    void deliver(std::function<void()> notification);

    // Posts `task` to the main thread from this thread, as a real service's callback would.
    // The task does nothing if `owner` has gone by the time it runs.
    void deliverToMain(MainThreadQueue& queue, std::weak_ptr<const void> owner,
                       std::function<void()> task);

    // Blocks until every notification queued so far has been delivered.
    void waitUntilIdle();

    bool isCurrentThread() const;

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tavrin
