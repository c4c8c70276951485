#include "platform/fake/FakeKeyValueObservers.h"

#include <vector>

namespace tavrin {

Subscription FakeKeyValueObservers::observe(const QString& keyPath,
                                            std::function<void()> onChange) {
    const auto id = state_.withLock([&](State& state) {
        const auto id = state.nextID++;
        state.byKeyPath[keyPath].emplace(id, std::move(onChange));
        return id;
    });
    return Subscription([state = state_, keyPath, id]() mutable {
        state.withLock([&](State& s) {
            auto found = s.byKeyPath.find(keyPath);
            if (found != s.byKeyPath.end()) {
                found->erase(id);
            }
        });
    });
}

void FakeKeyValueObservers::notify(const QStringList& keyPaths) {
    for (const auto& keyPath : keyPaths) {
        notifications_.deliver([state = state_, keyPath]() mutable {
            // Observers are looked up at delivery: one that has gone by then is not told.
            const auto callbacks = state.withLock([&](const State& s) {
                std::vector<std::function<void()>> callbacks;
                for (const auto& [id, callback] : s.byKeyPath.value(keyPath)) {
                    callbacks.push_back(callback);
                }
                return callbacks;
            });
            for (const auto& callback : callbacks) {
                callback();
            }
        });
    }
}

std::size_t FakeKeyValueObservers::observerCount() const {
    return state_.withLock([](const State& state) {
        std::size_t count = 0;
        for (const auto& observers : state.byKeyPath) {
            count += observers.size();
        }
        return count;
    });
}

std::size_t FakeKeyValueObservers::observerCount(const QString& keyPath) const {
    return state_.withLock(
        [&](const State& state) { return state.byKeyPath.value(keyPath).size(); });
}

}  // namespace tavrin
