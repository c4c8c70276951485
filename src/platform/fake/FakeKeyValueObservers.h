#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "platform/fake/NotificationThread.h"
#include "runtime/Mutex.h"
#include "runtime/Subscription.h"

namespace tavrin {

// Key-value observers of one fake object: told of a key path's change on the notification
// thread, never at registration, and not at all once their subscription has ended.
class FakeKeyValueObservers {
public:
    explicit FakeKeyValueObservers(NotificationThread& notifications)
        : notifications_(notifications) {}

    Subscription observe(const QString& keyPath, std::function<void()> onChange);
    void notify(const QStringList& keyPaths);
    std::size_t observerCount() const;
    std::size_t observerCount(const QString& keyPath) const;

private:
    struct State {
        std::uint64_t nextID = 0;
        QHash<QString, std::map<std::uint64_t, std::function<void()>>> byKeyPath;
    };

    NotificationThread& notifications_;
    Mutex<State> state_;
};

}  // namespace tavrin
