#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "runtime/Subscription.h"

namespace tavrin {

// A main-thread value that tells its subscribers every value it is given: a new subscriber gets
// the current value at once, then every later one, equal or not (subscribers decide what counts
// as a change). Subscribers may subscribe or cancel from inside a delivery.
template <typename T>
class Published {
public:
    using Receiver = std::function<void(const T&)>;

    explicit Published(T initial = T{}) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& value() const { return value_; }

    void send(T value) {
        value_ = std::move(value);
        const auto snapshot = receivers_->byID;
        const T delivered = value_;
        for (const auto& [id, receiver] : snapshot) {
            if (receivers_->byID.contains(id)) {
                (*receiver)(delivered);
            }
        }
    }

    [[nodiscard]] Subscription subscribe(Receiver receiver) {
        const auto id = receivers_->nextID++;
        auto shared = std::make_shared<Receiver>(std::move(receiver));
        receivers_->byID.emplace(id, shared);
        (*shared)(value_);
        return Subscription([weak = std::weak_ptr<Receivers>(receivers_), id] {
            if (auto receivers = weak.lock()) {
                receivers->byID.erase(id);
            }
        });
    }

    std::size_t subscriberCount() const { return receivers_->byID.size(); }

private:
    struct Receivers {
        std::uint64_t nextID = 0;
        std::map<std::uint64_t, std::shared_ptr<Receiver>> byID;
    };
    T value_;
    std::shared_ptr<Receivers> receivers_ = std::make_shared<Receivers>();
};

}  // namespace tavrin
