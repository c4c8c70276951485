#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>

#include "catalogue/DeviceEntry.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

class AppContext;

// A change that was made, and how to put the earlier value back.
struct AppliedChange {
    std::function<void()> restore;
};

// One NAME=VALUE setting of `set` or `uvc`, checked against a device and ready to apply. Applying
// goes through the device's own commands, the ones the inspector's controls call; the change
// itself comes back through the device's observation and the event log. Main thread.
struct LabChange {
    using Result = std::variant<AppliedChange, QString>;  // or why it failed
    std::function<Result()> apply;

    // A camera's or microphone's setting; why it can't be, otherwise.
    static std::variant<LabChange, QString> setting(AppContext& context, const DeviceEntry& entry,
                                                    const QString& setting);
    // A UVC control of a camera.
    static std::variant<LabChange, QString> uvcControl(AppContext& context,
                                                       const DeviceEntry& entry,
                                                       const QString& setting);
    // The names `uvc` knows, in probing order.
    static QStringList uvcControlNames();
};

}  // namespace tavrin
