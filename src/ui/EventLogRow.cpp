#include "ui/EventLogRow.h"

#include "catalogue/DeviceEventLog.h"

namespace tavrin {

QString EventLogRow::timestampText() const {
    return DeviceEventLog::timestampText(event.timestamp);
}

}  // namespace tavrin
