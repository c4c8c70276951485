#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QItemSelection>
#include <QUuid>
#include <chrono>
#include <cstdint>
#include <vector>

#include "catalogue/DeviceEntry.h"
#include "catalogue/DeviceEvent.h"
#include "ui/EventLogRow.h"

namespace tavrin {

class DeviceEventLog;
class DeviceStore;

// Which devices the event log pane shows: the selected one, or every device of its kind.
enum class EventLogScope { thisDevice, allOfKind };

// How the pane's Export writes the displayed events: the JSON lines of `tavrin events --json`,
// or the copied lines under a header that names the devices and the time range.
enum class EventLogExportFormat { jsonLines, plainText };

// The displayed events of one pane: the log's lists of the devices in scope, merged oldest first.
// Events with equal timestamps keep the store's order of their devices, then their append order.
// The model holds no copy of an event, only where it stands in the log, and follows the log's
// change signal row by row so that a view keeps its selection and scroll position. Main thread.
class EventLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        timestampTextRole = Qt::UserRole + 1,  // "HH:mm:ss.SSS"
        messageRole,
        eventIDRole,
    };

    EventLogModel(DeviceEventLog& log, DeviceStore& store, DeviceEntry entry,
                  QObject* parent = nullptr);

    const DeviceEntry& entry() const { return entry_; }
    EventLogScope scope() const { return scope_; }
    void setScope(EventLogScope scope);
    // The uuids of the devices in scope, in the store's order.
    QList<QUuid> devicesInScope() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const DeviceEvent& event(int row) const;
    // "HH:mm:ss.SSS  message", as a copied line reads.
    QString line(int row) const;
    EventLogRow row(int row) const;
    // The lines of the selected rows in display order joined by line feeds; every row's with an
    // empty selection. Empty when nothing is shown.
    QString copyText(const QItemSelection& selection) const;

    // Empties the log's list of every device in scope.
    void clearScope();

    // Every displayed event, oldest first, for a file.
    QByteArray exportText(EventLogExportFormat format) const;
    // What an export is about: the device (or "All cameras"), then the time range of the shown
    // events in UTC, as a file name can hold it.
    QString exportTitle() const;

signals:
    void scopeChanged();

private:
    // Where a displayed event stands: its timestamp for ordering, its device's place in scope and
    // its index in that device's list. Small, since there is one per displayed event.
    struct Row {
        std::int64_t time;
        std::uint32_t index;
        std::uint32_t device;
        friend bool operator<(const Row& a, const Row& b) {
            if (a.time != b.time) {
                return a.time < b.time;
            }
            return a.device != b.device ? a.device < b.device : a.index < b.index;
        }
    };
    struct Source {
        QUuid id;
        qsizetype shown = 0;  // how many of its events have rows
    };

    void logChanged(const QUuid& deviceID);
    void deviceListChanged();
    std::vector<Source> sourcesInScope() const;
    void rebuild();
    void removeRowsOf(std::uint32_t device);
    void insertNewEvents(std::uint32_t device);
    const QList<DeviceEvent>& eventsOf(std::uint32_t device) const;

    DeviceEventLog& log_;
    DeviceStore& store_;
    DeviceEntry entry_;
    EventLogScope scope_ = EventLogScope::thisDevice;
    std::vector<Source> sources_;
    QHash<QUuid, std::uint32_t> deviceIndex_;
    std::vector<Row> rows_;
};

}  // namespace tavrin
