#pragma once

#include <QHash>
#include <QObject>
#include <QTextStream>
#include <memory>
#include <vector>

#include "catalogue/DeviceEntry.h"
#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;
class CameraDevice;
class MicrophoneDevice;
class DisplayDevice;

// The headless mode: follows the framework's device lists with one model per device identifier,
// prints the device list and every event as it is recorded.
class ConsoleMonitor final : public QObject {
    Q_OBJECT
public:
    ConsoleMonitor(AppContext& context, QTextStream& out);

    // Starts following the device lists; `onFirstLists` runs once all three kinds have arrived.
    void start(std::function<void()> onFirstLists);
    void printDevices();
    void printEvents(bool enabled) { printsEvents_ = enabled; }

    std::vector<DeviceEntry> entries() const;

private:
    void printNewEvents(const QUuid& deviceID);
    void listArrived();

    AppContext& context_;
    QTextStream& out_;
    QHash<QString, std::shared_ptr<CameraDevice>> cameras_;
    QHash<QString, std::shared_ptr<MicrophoneDevice>> microphones_;
    QHash<quint32, std::shared_ptr<DisplayDevice>> displays_;
    std::vector<Subscription> subscriptions_;
    QHash<QUuid, qsizetype> printedCounts_;
    int kindsArrived_ = 0;
    std::function<void()> onFirstLists_;
    bool printsEvents_ = false;
};

}  // namespace tavrin
