#include "ui/EventLogModel.h"

#include <algorithm>

#include "catalogue/DeviceEventLog.h"
#include "catalogue/DeviceStore.h"
#include "lab/DeviceJson.h"
#include "ui/DeviceChanges.h"

namespace tavrin {

namespace {

std::int64_t ticks(std::chrono::system_clock::time_point timestamp) {
    return std::int64_t(timestamp.time_since_epoch().count());
}

// The log's timestamp text for runs of events: the local-time conversion is done once per whole
// second and the milliseconds are written in, which keeps copying a long log quick. Time zone
// offsets are whole minutes, so the seconds' text never differs within a second.
class TimestampTexts {
public:
    QString text(std::chrono::system_clock::time_point timestamp) {
        const auto milliseconds =
            std::chrono::floor<std::chrono::milliseconds>(timestamp.time_since_epoch()).count();
        const auto second = milliseconds >= 0 ? milliseconds / 1000 : (milliseconds - 999) / 1000;
        if (!valid_ || second != second_) {
            text_ = DeviceEventLog::timestampText(timestamp);
            second_ = second;
            valid_ = true;
            return text_;
        }
        const int millisecond = int(milliseconds - second * 1000);
        QString text = text_;
        const qsizetype end = text.size();
        text[end - 3] = QLatin1Char(char('0' + millisecond / 100));
        text[end - 2] = QLatin1Char(char('0' + millisecond / 10 % 10));
        text[end - 1] = QLatin1Char(char('0' + millisecond % 10));
        return text;
    }

private:
    bool valid_ = false;
    std::int64_t second_ = 0;
    QString text_;
};

}  // namespace

EventLogModel::EventLogModel(DeviceEventLog& log, DeviceStore& store, DeviceEntry entry,
                             QObject* parent)
    : QAbstractListModel(parent), log_(log), store_(store), entry_(std::move(entry)) {
    connect(&log_, &DeviceEventLog::eventsByDeviceChanged, this, &EventLogModel::logChanged);
    connectDeviceListChanges(store_, this, [this] { deviceListChanged(); });
    rebuild();
}

void EventLogModel::setScope(EventLogScope scope) {
    if (scope == scope_) {
        return;
    }
    scope_ = scope;
    rebuild();
    emit scopeChanged();
}

QList<QUuid> EventLogModel::devicesInScope() const {
    QList<QUuid> ids;
    for (const auto& source : sources_) {
        ids.append(source.id);
    }
    return ids;
}

std::vector<EventLogModel::Source> EventLogModel::sourcesInScope() const {
    std::vector<Source> sources;
    if (scope_ == EventLogScope::thisDevice) {
        sources.push_back({entry_.id()});
        return sources;
    }
    for (const auto& entry : store_.allEntries()) {
        if (entry.kind() == entry_.kind()) {
            sources.push_back({entry.id()});
        }
    }
    return sources;
}

const QList<DeviceEvent>& EventLogModel::eventsOf(std::uint32_t device) const {
    static const QList<DeviceEvent> none;
    const auto& map = log_.eventsByDevice();
    const auto found = map.constFind(sources_[device].id);
    return found == map.cend() ? none : *found;
}

int EventLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

const DeviceEvent& EventLogModel::event(int row) const {
    const auto& place = rows_[std::size_t(row)];
    return eventsOf(place.device).at(place.index);
}

EventLogRow EventLogModel::row(int row) const {
    return EventLogRow{event(row)};
}

QString EventLogModel::line(int row) const {
    return this->row(row).line();
}

QVariant EventLogModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return line(index.row());
        case timestampTextRole:
            return row(index.row()).timestampText();
        case messageRole:
        case Qt::ToolTipRole:  // a long message is elided in its row
            return event(index.row()).message;
        case eventIDRole:
            return event(index.row()).id;
        default:
            return {};
    }
}

Qt::ItemFlags EventLogModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // Editable only so that a view can open a read-only field whose text the user can select.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QString EventLogModel::exportTitle() const {
    auto title =
        scope_ == EventLogScope::thisDevice
            ? entry_.localizedName()
            : QStringLiteral("All ") + DeviceEntry::kindNoun(entry_.kind()) + QLatin1Char('s');
    if (!rows_.empty()) {
        // Colons are not welcome in every file system's names.
        const auto time = [this](int row) {
            return DeviceJson::timeText(event(row).timestamp)
                .replace(QLatin1Char(':'), QLatin1Char('.'));
        };
        title += QLatin1Char(' ') + time(0) + QStringLiteral(" to ") + time(rowCount() - 1);
    }
    return title;
}

QByteArray EventLogModel::exportText(EventLogExportFormat format) const {
    QByteArray text;
    if (format == EventLogExportFormat::plainText) {
        QStringList names;
        for (const auto& id : devicesInScope()) {
            if (const auto device = store_.entry(id)) {
                names.append(device->localizedName());
            }
        }
        text +=
            (QStringLiteral("# Events of ") + names.join(QStringLiteral(", ")) +
             (rows_.empty() ? QStringLiteral(": none")
                            : QStringLiteral(" from ") + DeviceJson::timeText(event(0).timestamp) +
                                  QStringLiteral(" to ") +
                                  DeviceJson::timeText(event(rowCount() - 1).timestamp)) +
             QLatin1Char('\n'))
                .toUtf8();
    }
    for (int row = 0; row < rowCount(); ++row) {
        if (format == EventLogExportFormat::plainText) {
            text += (line(row) + QLatin1Char('\n')).toUtf8();
            continue;
        }
        const auto device = store_.entry(sources_[rows_[std::size_t(row)].device].id);
        text += DeviceJson::line(DeviceJson::event(event(row), device.value_or(entry_)));
    }
    return text;
}

QString EventLogModel::copyText(const QItemSelection& selection) const {
    std::vector<std::pair<int, int>> spans;
    for (const auto& range : selection) {
        if (range.isValid() && range.model() == this) {
            spans.emplace_back(range.top(), range.bottom());
        }
    }
    if (spans.empty() && !rows_.empty()) {
        spans.emplace_back(0, int(rows_.size()) - 1);
    }
    // A selection's ranges come in the order they were made and may overlap.
    std::sort(spans.begin(), spans.end());
    QString text;
    TimestampTexts timestamps;
    int next = 0;
    bool first = true;
    for (auto [top, bottom] : spans) {
        for (int row = std::max(top, next); row <= bottom; ++row) {
            const auto& shown = event(row);
            if (!first) {
                text += QLatin1Char('\n');
            }
            first = false;
            text += timestamps.text(shown.timestamp);
            text += EventLogRow::separator;
            text += shown.message;
        }
        next = std::max(next, bottom + 1);
    }
    return text;
}

void EventLogModel::clearScope() {
    // Copied first: each clear changes the rows under this loop.
    const auto ids = devicesInScope();
    for (const auto& id : ids) {
        log_.clear(id);
    }
}

void EventLogModel::logChanged(const QUuid& deviceID) {
    if (deviceID.isNull()) {
        rebuild();
        return;
    }
    const auto found = deviceIndex_.constFind(deviceID);
    if (found == deviceIndex_.cend()) {
        return;
    }
    const auto device = *found;
    // Only appends and clears reach a list, one per signal; a list shorter than what is shown was
    // cleared (perhaps appended to since).
    if (eventsOf(device).size() < sources_[device].shown) {
        removeRowsOf(device);
    }
    insertNewEvents(device);
}

void EventLogModel::deviceListChanged() {
    if (scope_ != EventLogScope::allOfKind) {
        return;
    }
    const auto sources = sourcesInScope();
    const bool same = std::equal(sources.begin(), sources.end(), sources_.begin(), sources_.end(),
                                 [](const Source& a, const Source& b) { return a.id == b.id; });
    if (!same) {
        rebuild();
    }
}

void EventLogModel::insertNewEvents(std::uint32_t device) {
    const auto& events = eventsOf(device);
    auto& source = sources_[device];
    for (auto index = source.shown; index < events.size(); ++index) {
        const Row row{ticks(events.at(index).timestamp), std::uint32_t(index), device};
        // Events usually arrive in time order, so the new row usually goes last.
        const auto position = rows_.empty() || rows_.back() < row
                                  ? rows_.end()
                                  : std::upper_bound(rows_.begin(), rows_.end(), row);
        const int at = int(position - rows_.begin());
        beginInsertRows({}, at, at);
        rows_.insert(position, row);
        source.shown = index + 1;
        endInsertRows();
    }
}

void EventLogModel::removeRowsOf(std::uint32_t device) {
    sources_[device].shown = 0;
    // Rows from the back, so that the runs found stay valid while earlier ones are removed.
    std::vector<std::pair<int, int>> runs;
    for (int row = int(rows_.size()) - 1; row >= 0; --row) {
        if (rows_[std::size_t(row)].device != device) {
            continue;
        }
        if (!runs.empty() && runs.back().first == row + 1) {
            runs.back().first = row;
        } else {
            runs.emplace_back(row, row);
        }
    }
    // A device's events interleaved with others' would take one removal per run, each moving the
    // rows after it: past a few runs, one reset is cheaper.
    constexpr std::size_t mostRuns = 32;
    if (runs.size() > mostRuns) {
        beginResetModel();
        std::erase_if(rows_, [device](const Row& row) { return row.device == device; });
        endResetModel();
        return;
    }
    for (auto [first, last] : runs) {
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
}

void EventLogModel::rebuild() {
    beginResetModel();
    sources_ = sourcesInScope();
    deviceIndex_.clear();
    rows_.clear();
    std::size_t total = 0;
    for (std::uint32_t device = 0; device < sources_.size(); ++device) {
        deviceIndex_.insert(sources_[device].id, device);
        total += std::size_t(eventsOf(device).size());
    }
    rows_.reserve(total);
    // Each device's list is nearly in time order already: sort each run where needed, then
    // merge neighbouring runs pairwise.
    std::vector<std::size_t> runStarts;
    for (std::uint32_t device = 0; device < sources_.size(); ++device) {
        const auto& events = eventsOf(device);
        runStarts.push_back(rows_.size());
        for (qsizetype index = 0; index < events.size(); ++index) {
            rows_.push_back({ticks(events.at(index).timestamp), std::uint32_t(index), device});
        }
        sources_[device].shown = events.size();
        const auto begin = rows_.begin() + std::ptrdiff_t(runStarts.back());
        if (!std::is_sorted(begin, rows_.end())) {
            std::sort(begin, rows_.end());
        }
    }
    while (runStarts.size() > 1) {
        std::vector<std::size_t> merged;
        for (std::size_t run = 0; run < runStarts.size(); run += 2) {
            merged.push_back(runStarts[run]);
            if (run + 1 < runStarts.size()) {
                const auto end = run + 2 < runStarts.size() ? runStarts[run + 2] : rows_.size();
                std::inplace_merge(rows_.begin() + std::ptrdiff_t(runStarts[run]),
                                   rows_.begin() + std::ptrdiff_t(runStarts[run + 1]),
                                   rows_.begin() + std::ptrdiff_t(end));
            }
        }
        runStarts = std::move(merged);
    }
    endResetModel();
}

}  // namespace tavrin
