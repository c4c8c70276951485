#include "ui/SidebarModel.h"

#include <QSet>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"

namespace tavrin {

namespace {

constexpr DeviceEntry::Kind sectionOrder[] = {
    DeviceEntry::Kind::camera, DeviceEntry::Kind::microphone, DeviceEntry::Kind::display};

// Section rows carry no internal id; device rows carry their section's kind plus one.
constexpr quintptr sectionItem = 0;

quintptr deviceItem(DeviceEntry::Kind kind) {
    return quintptr(kind) + 1;
}

}  // namespace

QString sidebarToolTip(const DeviceEntry& entry) {
    const auto status = entry.status();
    auto text = entry.localizedName() + QStringLiteral(" \u2014 ") + status.label;
    if (!status.recoverySuggestion.isEmpty()) {
        text += QLatin1Char('\n') + status.recoverySuggestion;
    }
    return text;
}

bool sidebarNeedsAttention(const DeviceEntry& entry) {
    if (!entry.isAvailable()) {
        return true;
    }
    if (const auto camera = entry.camera()) {
        return camera->isSuspended();
    }
    if (const auto microphone = entry.microphone()) {
        return microphone->isMuted();
    }
    return false;
}

QString sidebarAccessibleDescription(const DeviceEntry& entry) {
    QStringList parts;
    if (const auto subtitle = entry.subtitle(); subtitle && !subtitle->isEmpty()) {
        parts << *subtitle;
    }
    parts << entry.status().label;
    // What the dot and the warning symbol show, in words.
    if (entry.statusDotColor()) {
        parts << QStringLiteral("Running");
    }
    if (entry.isAvailable()) {
        if (const auto camera = entry.camera(); camera && camera->isSuspended()) {
            parts << QStringLiteral("Suspended");
        }
        if (const auto microphone = entry.microphone(); microphone && microphone->isMuted()) {
            parts << QStringLiteral("Muted");
        }
    }
    return parts.join(QStringLiteral(", "));
}

SidebarModel::SidebarModel(DeviceStore& store, const SymbolCatalog& symbols, QObject* parent)
    : QAbstractItemModel(parent), store_(store), symbols_(symbols) {}

QString SidebarModel::sectionTitle(DeviceEntry::Kind kind) {
    switch (kind) {
        case DeviceEntry::Kind::camera:
            return QStringLiteral("Cameras");
        case DeviceEntry::Kind::microphone:
            return QStringLiteral("Microphones");
        case DeviceEntry::Kind::display:
            return QStringLiteral("Displays");
    }
    return {};
}

void SidebarModel::update(const QString& searchText) {
    QList<Section> target;
    for (const auto kind : sectionOrder) {
        target.append(Section{kind, {}});
    }
    for (const auto& entry : store_.allEntries()) {
        if (entry.matches(searchText)) {
            target[int(entry.kind())].devices.append(entry);
        }
    }
    target.removeIf([](const Section& section) { return section.devices.isEmpty(); });

    // Sections that went, then those that stay, then those that came, in the fixed order.
    for (int row = int(sections_.size()) - 1; row >= 0; --row) {
        const auto kind = sections_[row].kind;
        const bool stays = std::any_of(target.begin(), target.end(), [&](const Section& section) {
            return section.kind == kind;
        });
        if (!stays) {
            beginRemoveRows({}, row, row);
            sections_.removeAt(row);
            endRemoveRows();
        }
    }
    for (int row = 0; row < int(target.size()); ++row) {
        if (row < sections_.size() && sections_[row].kind == target[row].kind) {
            updateDevices(row, target[row].devices);
            continue;
        }
        beginInsertRows({}, row, row);
        sections_.insert(row, target[row]);
        endInsertRows();
    }
    // Whatever a row draws may have changed with the devices' state.
    for (int row = 0; row < int(sections_.size()); ++row) {
        const auto count = int(sections_[row].devices.size());
        if (count > 0) {
            emit dataChanged(index(0, 0, index(row, 0)), index(count - 1, 0, index(row, 0)));
        }
    }
}

void SidebarModel::updateDevices(int sectionRow, const QList<DeviceEntry>& target) {
    auto& devices = sections_[sectionRow].devices;
    const auto parent = index(sectionRow, 0);
    QSet<QUuid> kept;
    kept.reserve(target.size());
    for (const auto& entry : target) {
        kept.insert(entry.id());
    }
    for (int row = int(devices.size()) - 1; row >= 0; --row) {
        if (!kept.contains(devices[row].id())) {
            beginRemoveRows(parent, row, row);
            devices.removeAt(row);
            endRemoveRows();
        }
    }
    for (int row = 0; row < int(target.size()); ++row) {
        if (row < devices.size() && devices[row] == target[row]) {
            continue;
        }
        const auto from = devices.indexOf(target[row], row + 1);
        if (from >= 0) {
            beginMoveRows(parent, int(from), int(from), parent, row);
            devices.move(from, row);
            endMoveRows();
        } else {
            beginInsertRows(parent, row, row);
            devices.insert(row, target[row]);
            endInsertRows();
        }
    }
}

void SidebarModel::deviceChanged(const QUuid& id) {
    const auto found = indexOf(id);
    if (found.isValid()) {
        emit dataChanged(found, found);
    }
}

QModelIndex SidebarModel::indexOf(const QUuid& id) const {
    for (int section = 0; section < int(sections_.size()); ++section) {
        const auto& devices = sections_[section].devices;
        for (int row = 0; row < int(devices.size()); ++row) {
            if (devices[row].id() == id) {
                return createIndex(row, 0, deviceItem(sections_[section].kind));
            }
        }
    }
    return {};
}

int SidebarModel::sectionRow(DeviceEntry::Kind kind) const {
    for (int row = 0; row < int(sections_.size()); ++row) {
        if (sections_[row].kind == kind) {
            return row;
        }
    }
    return -1;
}

QModelIndex SidebarModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    if (!parent.isValid()) {
        return row < sections_.size() ? createIndex(row, 0, sectionItem) : QModelIndex();
    }
    if (parent.internalId() != sectionItem || parent.row() >= sections_.size()) {
        return {};
    }
    const auto& section = sections_[parent.row()];
    return row < section.devices.size() ? createIndex(row, 0, deviceItem(section.kind))
                                        : QModelIndex();
}

QModelIndex SidebarModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == sectionItem) {
        return {};
    }
    const int row = sectionRow(DeviceEntry::Kind(child.internalId() - 1));
    return row < 0 ? QModelIndex() : createIndex(row, 0, sectionItem);
}

int SidebarModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return int(sections_.size());
    }
    if (parent.internalId() != sectionItem || parent.row() >= sections_.size()) {
        return 0;
    }
    return int(sections_[parent.row()].devices.size());
}

int SidebarModel::columnCount(const QModelIndex&) const {
    return 1;
}

std::optional<DeviceEntry> SidebarModel::entryAt(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == sectionItem) {
        return std::nullopt;
    }
    const int section = sectionRow(DeviceEntry::Kind(index.internalId() - 1));
    if (section < 0 || index.row() >= sections_[section].devices.size()) {
        return std::nullopt;
    }
    return sections_[section].devices[index.row()];
}

QVariant SidebarModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (index.internalId() == sectionItem) {
        if (index.row() >= sections_.size()) {
            return {};
        }
        const auto title = sectionTitle(sections_[index.row()].kind);
        switch (role) {
            case Qt::DisplayRole:
                return title.toUpper();
            case Qt::AccessibleTextRole:
                return title;
            case IsSectionRole:
                return true;
            default:
                return {};
        }
    }
    const auto entry = entryAt(index);
    if (!entry) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return entry->localizedName();
        case Qt::ToolTipRole:
            return sidebarToolTip(*entry);
        case Qt::AccessibleDescriptionRole:
            return sidebarAccessibleDescription(*entry);
        case IsSectionRole:
            return false;
        case DeviceIdRole:
            return entry->id();
        case SubtitleRole:
            return entry->subtitle().value_or(QString());
        case SymbolRole:
            return entry->sidebarSymbolName(symbols_);
        case NeedsAttentionRole:
            return sidebarNeedsAttention(*entry);
        case StatusDotRole:
            if (const auto tint = entry->statusDotColor()) {
                return int(*tint);
            }
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (index.internalId() == sectionItem) {
        return Qt::ItemIsEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace tavrin
