#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QUuid>
#include <optional>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class DeviceStore;
class SymbolCatalog;

// The sidebar's tree: the sections "Cameras", "Microphones" and "Displays", each shown only
// while it holds a device that matches the filter, and their devices in the store's order.
// `update` brings it to the store's current state with row insertions, moves and removals, so
// views keep their selection and scroll position. Section rows can't be selected.
class SidebarModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        IsSectionRole = Qt::UserRole + 1,
        DeviceIdRole,        // QUuid
        SubtitleRole,        // QString, empty without one
        SymbolRole,          // QString: the symbol name to show
        NeedsAttentionRole,  // bool: the warning symbol
        StatusDotRole,       // int (StatusTint), or invalid without a dot
    };

    SidebarModel(DeviceStore& store, const SymbolCatalog& symbols, QObject* parent = nullptr);

    // Filters the store's devices with `searchText` and applies the difference.
    void update(const QString& searchText);
    // A device's row changed in place (its name, say).
    void deviceChanged(const QUuid& id);

    QModelIndex indexOf(const QUuid& id) const;
    static QString sectionTitle(DeviceEntry::Kind kind);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Section {
        DeviceEntry::Kind kind;
        QList<DeviceEntry> devices;
    };

    int sectionRow(DeviceEntry::Kind kind) const;
    void updateDevices(int row, const QList<DeviceEntry>& target);
    std::optional<DeviceEntry> entryAt(const QModelIndex& index) const;

    DeviceStore& store_;
    const SymbolCatalog& symbols_;
    QList<Section> sections_;
};

// The tooltip of a device row: name — status, and the recovery suggestion on a second line.
QString sidebarToolTip(const DeviceEntry& entry);
// What a screen reader says after a device row's name: its subtitle, its status, and in words
// what the status dot and the warning symbol show ("Running", "Suspended", "Muted").
QString sidebarAccessibleDescription(const DeviceEntry& entry);
// Whether a row shows the warning symbol: unavailable, or an available camera that is suspended
// or microphone that is muted.
bool sidebarNeedsAttention(const DeviceEntry& entry);

}  // namespace tavrin
