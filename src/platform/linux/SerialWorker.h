#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrin {

// One thread that runs posted tasks in order. Between tasks it runs an idle step, if one is
// set, so a long-running activity (a capture loop) and commands share the thread without locks.
// The destructor finishes the running task, drops the rest and joins.
class SerialWorker {
public:
    using Task = std::function<void()>;

    SerialWorker();
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // Any thread.
    void post(Task task);
    // The worker's own thread only. The step runs whenever no task waits; it must return within
    // a few tens of milliseconds, so that commands are not held up. Cleared with an empty step.
    void setIdleStep(Task step);
    bool isWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    Task idleStep_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tavrin
