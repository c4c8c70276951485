#pragma once

#include <QThread>
#include <chrono>
#include <functional>

#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin::testing {

// Runs the main thread until `done` holds, for up to `timeout` of real time. Virtual time
// follows real time, so the models' timers run as they would in the application.
inline bool runMainThreadUntil(VirtualMainThreadQueue& queue, const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + timeout;
    auto last = start;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        queue.advance(std::chrono::duration_cast<std::chrono::milliseconds>(now - last));
        last = now;
        queue.runUntilIdle();
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QThread::msleep(5);
    }
}

}  // namespace tavrin::testing
