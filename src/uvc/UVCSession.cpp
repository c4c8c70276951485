#include "uvc/UVCSession.h"

#include <thread>

namespace tavrin {

// Shared by the session and its thread, so the thread can outlive a session dropped while a
// request hangs.
struct UVCSession::State {
    std::mutex mutex;
    MainThreadQueue* queue = nullptr;  // cleared when the session goes
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Task> tasks;
    bool running = false;
    bool stopping = false;
    std::atomic<int> openState{-1};  // -1 while opening, then 0 or 1
};

UVCSession::UVCSession(MainThreadQueue& queue, Opener opener) : state_(std::make_shared<State>()) {
    state_->queue = &queue;
    std::thread(&UVCSession::serve, state_, std::move(opener)).detach();
}

std::shared_ptr<UVCSession> UVCSession::forCamera(MainThreadQueue& queue,
                                                  std::shared_ptr<UsbService> usb,
                                                  const QString& uniqueID) {
    return std::make_shared<UVCSession>(
        queue, [usb = std::move(usb), uniqueID]() -> std::unique_ptr<UVCController> {
            auto controller = UVCController::open(*usb, uniqueID);
            return controller && controller->isOpen() ? std::move(controller) : nullptr;
        });
}

UVCSession::~UVCSession() {
    std::lock_guard lock(state_->mutex);
    state_->queue = nullptr;
    state_->stopping = true;
    state_->tasks.clear();
    state_->wake.notify_all();
    state_->idle.notify_all();
}

void UVCSession::serve(const std::shared_ptr<State>& state, Opener opener) {
    {
        std::lock_guard lock(state->mutex);
        state->running = true;
    }
    auto controller = opener();
    state->openState = controller ? 1 : 0;
    const bool opened = controller != nullptr;
    std::unique_lock lock(state->mutex);
    state->running = false;
    while (true) {
        state->idle.notify_all();
        state->wake.wait(lock, [&] { return state->stopping || !state->tasks.empty(); });
        if (state->stopping) {
            break;
        }
        auto task = std::move(state->tasks.front());
        state->tasks.pop_front();
        state->running = true;
        lock.unlock();
        // A camera that was unplugged and has come back has new handles: open it afresh. One
        // that never opened is not tried again.
        if (opened && !controller) {
            controller = opener();
        }
        task(controller.get());
        task = nullptr;
        if (controller && controller->isDeviceGone()) {
            controller.reset();
        }
        lock.lock();
        state->running = false;
    }
    lock.unlock();
    // The controller closes its device on the thread that used it.
    controller.reset();
}

void UVCSession::answer(State& state, MainThreadQueue::Task task) {
    std::lock_guard lock(state.mutex);
    if (state.queue) {
        state.queue->post(std::move(task));
    }
}

void UVCSession::post(Task task) {
    std::lock_guard lock(state_->mutex);
    state_->tasks.push_back(std::move(task));
    state_->wake.notify_one();
}

std::optional<bool> UVCSession::isOpen() const {
    const int state = state_->openState;
    return state < 0 ? std::nullopt : std::optional<bool>(state == 1);
}

bool UVCSession::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(state_->mutex);
    return state_->idle.wait_for(lock, timeout, [&] {
        return state_->stopping ||
               (state_->tasks.empty() && !state_->running && state_->openState.load() >= 0);
    });
}

}  // namespace tavrin
