#pragma once

#include <functional>
#include <utility>

namespace tavrin {

// Ends a subscription when cancelled or destroyed. Move-only, like a cancellable token.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
        if (auto cancel = std::exchange(cancel_, {})) {
            cancel();
        }
    }
    bool isActive() const { return bool(cancel_); }

private:
    std::function<void()> cancel_;
};

}  // namespace tavrin
