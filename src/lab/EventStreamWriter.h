#pragma once

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include "catalogue/DeviceEntry.h"
#include "catalogue/DeviceEvent.h"

namespace tavrin {

class DeviceStore;

// Writes every event the log records from now on, one line each, as it is appended: plain
// ("time  [source] message") or one JSON object per line. Only the chosen devices and kinds,
// when any were chosen. Main thread.
class EventStreamWriter final : public QObject {
    Q_OBJECT
public:
    enum class Format { plain, json };

    EventStreamWriter(DeviceStore& store, QIODevice& out, Format format);

    void setDevices(const QSet<QUuid>& devices) { devices_ = devices; }
    void setKinds(const QSet<DeviceEntry::Kind>& kinds) { kinds_ = kinds; }
    // The events recorded before now are skipped; call once the devices are known.
    void skipWhatIsThere();
    // Writes the events recorded before now, in time order, and follows on from there.
    void writeEverything();

private:
    void writeNew(const QUuid& deviceID);
    void write(const DeviceEvent& event, const DeviceEntry& entry);
    bool wants(const DeviceEntry& entry) const;
    void flush();

    DeviceStore& store_;
    QIODevice& out_;
    Format format_;
    QSet<QUuid> devices_;
    QSet<DeviceEntry::Kind> kinds_;
    QHash<QUuid, qsizetype> written_;
};

}  // namespace tavrin
