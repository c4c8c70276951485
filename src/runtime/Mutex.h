#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace tavrin {

// A value that is only reachable under its lock. Copies share the lock and the value, so a
// callback can hold a copy without keeping its owner alive.
template <typename T>
class Mutex {
public:
    Mutex() : state_(std::make_shared<State>()) {}
    explicit Mutex(T value) : state_(std::make_shared<State>(std::move(value))) {}

    template <typename Body>
    decltype(auto) withLock(Body&& body) const {
        std::lock_guard lock(state_->mutex);
        return std::forward<Body>(body)(state_->value);
    }

private:
    struct State {
        State() = default;
        explicit State(T initial) : value(std::move(initial)) {}
        std::mutex mutex;
        T value{};
    };
    std::shared_ptr<State> state_;
};

}  // namespace tavrin
