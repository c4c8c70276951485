#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "runtime/MainThreadQueue.h"
#include "uvc/UVCController.h"

namespace tavrin {

// One camera's UVC controller on a thread of its own. Every USB request is a round trip to the
// device that can take milliseconds, or seconds when the device hangs, so the controller is
// opened there and every batch of requests runs there, one at a time in the order posted; the
// results come back to the main thread as values, in the same order. A slow camera holds up only
// its own thread. Dropping the session lets the running batch finish on its thread and drops the
// batches still waiting: nobody waits for a hung request.
class UVCSession {
public:
    using Opener = std::function<std::unique_ptr<UVCController>()>;

    // Starts the thread and opens the controller there first of all.
    UVCSession(MainThreadQueue& queue, Opener opener);
    // The session of the camera with this unique ID: its controller, when it opens, is the one
    // `UVCController::open` finds on `usb`.
    static std::shared_ptr<UVCSession> forCamera(MainThreadQueue& queue,
                                                 std::shared_ptr<UsbService> usb,
                                                 const QString& uniqueID);
    ~UVCSession();
    UVCSession(const UVCSession&) = delete;
    UVCSession& operator=(const UVCSession&) = delete;

    // Runs `batch` on the camera's thread with the open controller, after every batch posted
    // before it, and hands what it returns to `done` on the main thread. Without a controller
    // (it never opened, or the camera went and hasn't come back) `done` gets `withoutController`
    // when there is one, and nothing runs otherwise. Callers guard `done` against their own
    // destruction.
    template <typename Result>
    void run(std::function<Result(UVCController&)> batch, std::function<void(Result)> done,
             std::optional<Result> withoutController = std::nullopt) {
        post([batch = std::move(batch), done = std::move(done), state = state_,
              withoutController = std::move(withoutController)](UVCController* controller) mutable {
            if (!controller && !withoutController) {
                return;
            }
            auto result = controller ? batch(*controller) : std::move(*withoutController);
            answer(*state, [done = std::move(done), result = std::move(result)]() mutable {
                done(std::move(result));
            });
        });
    }
    void run(std::function<void(UVCController&)> batch) {
        post([batch = std::move(batch)](UVCController* controller) {
            if (controller) {
                batch(*controller);
            }
        });
    }
    // Runs `batch` in turn like `run`, with the controller or with nullptr when there is none,
    // for batches that must settle their own bookkeeping either way.
    void runWithControllerOrNull(std::function<void(UVCController*)> batch) {
        post(std::move(batch));
    }

    // Runs `batch` like `run` and blocks the calling thread for its answer, at most `timeout`.
    // For the command-line lab, which has no window to keep alive; never the window's thread.
    // Absent when the controller isn't open or the answer is late (the batch still runs).
    template <typename Result>
    std::optional<Result> call(std::function<Result(UVCController&)> batch,
                               std::chrono::milliseconds timeout) {
        struct Answer {
            std::mutex mutex;
            std::condition_variable ready;
            bool done = false;
            std::optional<Result> result;
        };
        auto answer = std::make_shared<Answer>();
        post([batch = std::move(batch), answer](UVCController* controller) {
            auto result = controller ? std::optional<Result>(batch(*controller)) : std::nullopt;
            std::lock_guard lock(answer->mutex);
            answer->result = std::move(result);
            answer->done = true;
            answer->ready.notify_all();
        });
        std::unique_lock lock(answer->mutex);
        answer->ready.wait_for(lock, timeout, [&] { return answer->done; });
        return answer->done ? std::move(answer->result) : std::nullopt;
    }

    // Tells `done` on the main thread whether the controller opened.
    void whenOpened(std::function<void(bool)> done) {
        post([done = std::move(done), state = state_](UVCController* controller) mutable {
            answer(*state, [done = std::move(done), open = controller != nullptr] { done(open); });
        });
    }

    // Whether opening succeeded; absent until the attempt has ended. Any thread.
    std::optional<bool> isOpen() const;

    // Blocks until every batch posted so far has run, at most `timeout`; true when they have.
    // For tests and the lab.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

private:
    struct State;
    using Task = std::function<void(UVCController*)>;

    void post(Task task);
    // Hands an answer to the main thread, unless the session is gone: its queue may be too.
    static void answer(State& state, MainThreadQueue::Task task);
    static void serve(const std::shared_ptr<State>& state, Opener opener);

    std::shared_ptr<State> state_;
};

}  // namespace tavrin
