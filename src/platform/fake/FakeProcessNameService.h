#pragma once

#include <QHash>

#include "platform/ProcessNameService.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Running applications from a table the test fills.
class FakeProcessNameService final : public ProcessNameService {
public:
    std::optional<QString> applicationName(std::int32_t pid) override {
        return names_.withLock([&](const QHash<std::int32_t, QString>& names) {
            return names.contains(pid) ? std::optional(names.value(pid)) : std::nullopt;
        });
    }

    void setApplicationName(std::int32_t pid, const QString& name) {
        names_.withLock([&](QHash<std::int32_t, QString>& names) { names.insert(pid, name); });
    }

private:
    Mutex<QHash<std::int32_t, QString>> names_;
};

}  // namespace tavrin
