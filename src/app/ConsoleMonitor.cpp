#include "app/ConsoleMonitor.h"

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"

namespace tavrin {

ConsoleMonitor::ConsoleMonitor(AppContext& context, QTextStream& out)
    : context_(context), out_(out) {
    connect(&context_.eventLog(), &DeviceEventLog::eventsByDeviceChanged, this,
            &ConsoleMonitor::printNewEvents);
}

void ConsoleMonitor::printDevices() {
    for (const auto& entry : context_.deviceStore().allEntries()) {
        out_ << DeviceEntry::kindNoun(entry.kind()).leftJustified(11)
             << entry.localizedName().leftJustified(28) << entry.status().label.leftJustified(14)
             << entry.subtitle().value_or(QString()) << '\n';
    }
    out_.flush();
}

void ConsoleMonitor::printNewEvents(const QUuid& deviceID) {
    const auto events = context_.eventLog().events(deviceID);
    auto& printed = printedCounts_[deviceID];
    if (events.size() < printed) {
        printed = events.size();  // cleared
    }
    for (; printed < events.size(); ++printed) {
        const auto& event = events[printed];
        if (printsEvents_) {
            out_ << DeviceEventLog::timestampText(event.timestamp) << "  [" << event.source << "] "
                 << event.message << '\n';
        }
    }
    out_.flush();
}

}  // namespace tavrin
