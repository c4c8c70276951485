#include "lab/EventStreamWriter.h"

#include <QFileDevice>
#include <algorithm>

#include "catalogue/DeviceEventLog.h"
#include "catalogue/DeviceStore.h"
#include "lab/DeviceJson.h"

namespace tavrin {

EventStreamWriter::EventStreamWriter(DeviceStore& store, QIODevice& out, Format format)
    : store_(store), out_(out), format_(format) {
    connect(&store_.eventLog(), &DeviceEventLog::eventsByDeviceChanged, this,
            &EventStreamWriter::writeNew);
}

void EventStreamWriter::skipWhatIsThere() {
    const auto& events = store_.eventLog().eventsByDevice();
    for (auto it = events.cbegin(); it != events.cend(); ++it) {
        written_[it.key()] = it.value().size();
    }
}

void EventStreamWriter::writeEverything() {
    struct Earlier {
        DeviceEvent event;
        DeviceEntry entry;
    };
    std::vector<Earlier> earlier;
    const auto& events = store_.eventLog().eventsByDevice();
    for (auto it = events.cbegin(); it != events.cend(); ++it) {
        written_[it.key()] = it.value().size();
        const auto entry = store_.entry(it.key());
        if (!entry || !wants(*entry)) {
            continue;
        }
        for (const auto& event : it.value()) {
            earlier.push_back({event, *entry});
        }
    }
    std::stable_sort(earlier.begin(), earlier.end(), [](const Earlier& a, const Earlier& b) {
        return a.event.timestamp < b.event.timestamp;
    });
    for (const auto& [event, entry] : earlier) {
        write(event, entry);
    }
    flush();
}

bool EventStreamWriter::wants(const DeviceEntry& entry) const {
    return (devices_.isEmpty() || devices_.contains(entry.id())) &&
           (kinds_.isEmpty() || kinds_.contains(entry.kind()));
}

void EventStreamWriter::writeNew(const QUuid& deviceID) {
    if (deviceID.isNull()) {
        return;  // the whole map was replaced; nothing was appended
    }
    const auto events = store_.eventLog().events(deviceID);
    auto& written = written_[deviceID];
    if (events.size() < written) {
        written = events.size();  // cleared
    }
    const auto entry = store_.entry(deviceID);
    for (; written < events.size(); ++written) {
        if (!entry || !wants(*entry)) {
            continue;
        }
        write(events[written], *entry);
    }
    flush();
}

void EventStreamWriter::write(const DeviceEvent& event, const DeviceEntry& entry) {
    if (format_ == Format::json) {
        out_.write(DeviceJson::line(DeviceJson::event(event, entry)));
    } else {
        out_.write((DeviceEventLog::timestampText(event.timestamp) + QStringLiteral("  [") +
                    event.source + QStringLiteral("] ") + event.message + QLatin1Char('\n'))
                       .toUtf8());
    }
}

void EventStreamWriter::flush() {
    if (auto* file = qobject_cast<QFileDevice*>(&out_)) {
        file->flush();
    }
}

}  // namespace tavrin
