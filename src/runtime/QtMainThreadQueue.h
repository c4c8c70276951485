#pragma once

#include <QObject>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The application's queue, on Qt's event loop of the thread that creates it. Posted tasks are
// batched: one queued wake-up drains everything posted since the previous one, which keeps the
// event loop's own queue short when OS threads post in bursts.
class QtMainThreadQueue final : public QObject, public MainThreadQueue {
    Q_OBJECT
public:
    QtMainThreadQueue();
    ~QtMainThreadQueue() override;

    void post(Task task) override;
    [[nodiscard]] TimerHandle schedule(std::chrono::milliseconds delay, Task task) override;
    Clock::time_point now() const override;
    bool isMainThread() const override;

private:
    void drain();
    void startTimer(std::chrono::milliseconds delay, std::shared_ptr<std::atomic<bool>> done,
                    Task task);

    std::thread::id mainThread_;
    std::mutex mutex_;
    std::vector<Task> pending_;
    bool wakePending_ = false;
};

}  // namespace tavrin
