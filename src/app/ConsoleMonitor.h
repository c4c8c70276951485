#pragma once

#include <QHash>
#include <QObject>
#include <QTextStream>
#include <vector>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class AppContext;

// The headless mode: prints the store's devices and every event as the log records it.
class ConsoleMonitor final : public QObject {
    Q_OBJECT
public:
    ConsoleMonitor(AppContext& context, QTextStream& out);

    void printDevices();
    void printEvents(bool enabled) { printsEvents_ = enabled; }

private:
    void printNewEvents(const QUuid& deviceID);

    AppContext& context_;
    QTextStream& out_;
    QHash<QUuid, qsizetype> printedCounts_;
    bool printsEvents_ = false;
};

}  // namespace tavrin
