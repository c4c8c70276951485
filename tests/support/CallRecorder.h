#pragma once

#include <mutex>
#include <thread>
#include <vector>

namespace tavrin::testing {

// Collects values delivered on any thread, with the thread each came on.
template <typename T>
class CallRecorder {
public:
    void operator()(const T& value) {
        std::lock_guard lock(mutex_);
        values_.push_back(value);
        threads_.push_back(std::this_thread::get_id());
    }

    std::vector<T> values() const {
        std::lock_guard lock(mutex_);
        return values_;
    }

    bool allOffThread(std::thread::id thread) const {
        std::lock_guard lock(mutex_);
        for (const auto& id : threads_) {
            if (id == thread) {
                return false;
            }
        }
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::vector<T> values_;
    std::vector<std::thread::id> threads_;
};

}  // namespace tavrin::testing
