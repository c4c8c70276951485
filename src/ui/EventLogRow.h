#pragma once

#include <QString>

#include "catalogue/DeviceEvent.h"

namespace tavrin {

// One row of the event log as the pane shows it; its only input is the event. The timestamp
// and the message are what the row paints, and its line is what a copy of it reads.
struct EventLogRow {
    // Between the timestamp and the message in a copied line.
    static inline const QString separator = QStringLiteral("  ");

    // The log's own event; a row lives no longer than the call that asked for it.
    const DeviceEvent& event;

    // "HH:mm:ss.SSS" in local time.
    QString timestampText() const;
    // "HH:mm:ss.SSS  message".
    QString line() const { return timestampText() + separator + event.message; }
};

}  // namespace tavrin
