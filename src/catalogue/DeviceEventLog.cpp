#include "catalogue/DeviceEventLog.h"

#include <QDateTime>
#include "runtime/RandomUuid.h"

namespace tavrin {

DeviceEventLog::DeviceEventLog(MainThreadQueue& queue) : queue_(queue) {}

// The log belongs to the AppContext, which keeps the queue alive longer than the log and never
// runs it after the log is gone; so the task may hold the log directly.
void DeviceEventLog::record(const QString& message, const QString& source, const QUuid& deviceID) {
    DeviceEvent event{makeRandomUuid(), std::chrono::system_clock::now(), source, message};
    queue_.post([this, deviceID, event = std::move(event)]() mutable {
        append(deviceID, std::move(event));
    });
}

void DeviceEventLog::append(const QUuid& deviceID, DeviceEvent event) {
    eventsByDevice_[deviceID].append(std::move(event));
    emit eventsByDeviceChanged(deviceID);
}

void DeviceEventLog::setEventsByDevice(const EventsByDevice& events) {
    if (events == eventsByDevice_) {
        return;
    }
    eventsByDevice_ = events;
    emit eventsByDeviceChanged(QUuid());
}

void DeviceEventLog::clear(const QUuid& deviceID) {
    eventsByDevice_[deviceID].clear();
    emit eventsByDeviceChanged(deviceID);
}

QString DeviceEventLog::timestampText(std::chrono::system_clock::time_point timestamp) {
    const auto milliseconds =
        std::chrono::floor<std::chrono::milliseconds>(timestamp.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::LocalTime)
        .toString(QStringLiteral("HH:mm:ss.zzz"));
}

}  // namespace tavrin
