#include "ui/CameraFormatsModel.h"

#include <QApplication>
#include <QPalette>
#include <numeric>

#include "camera/CameraDevice.h"
#include "camera/CameraText.h"
#include "runtime/TextFormat.h"
#include "ui/CameraInspectorView.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

const char* const headers[] = {"Active",     "Resolution",   "Aspect",      "MP",
                               "Frame Rate", "Pixel Format", "Color Space", "Auto-Focus"};

// The secondary and tertiary columns; the rest are primary text.
bool isSecondary(int column) {
    return column == CameraFormatsModel::aspect || column == CameraFormatsModel::frameRate ||
           column == CameraFormatsModel::colorSpace;
}

QString frameRateText(const CaptureDeviceFormat& format, const CameraFormatSummary& summary) {
    if (format.frameRateRanges.isEmpty()) {
        return {};
    }
    if (summary.minFPS == summary.maxFPS) {
        return localizedNumberTextWithoutGrouping(summary.maxFPS) + QStringLiteral(" fps");
    }
    return localizedNumberTextWithoutGrouping(summary.minFPS) + QStringLiteral("\u2013") +
           localizedNumberTextWithoutGrouping(summary.maxFPS) + QStringLiteral(" fps");
}

QString pixelFormatText(const CameraFormatSummary& summary) {
    const auto name = CameraText::pixelFormatName(summary.pixelFormat);
    return name ? summary.pixelFormat + QStringLiteral(" (") + *name + QLatin1Char(')')
                : summary.pixelFormat;
}

QString colorSpacesText(const CaptureDeviceFormat& format) {
    if (format.supportedColorSpaces.isEmpty()) {
        return absentText();
    }
    QStringList names;
    for (const int space : format.supportedColorSpaces) {
        names.append(inspectorColorSpaceName(space));
    }
    return names.join(QStringLiteral(", "));
}

// The capture service's auto-focus systems: 1 contrast detection, 2 phase detection.
QString autoFocusText(int system) {
    switch (system) {
        case 1:
            return QStringLiteral("Contrast");
        case 2:
            return QStringLiteral("Phase");
        default:
            return absentText();
    }
}

}  // namespace

CameraFormatsModel::CameraFormatsModel(std::shared_ptr<CameraDevice> camera, QObject* parent)
    : QAbstractTableModel(parent), camera_(std::move(camera)) {
    formats_ = camera_->formats();
    summaries_ = camera_->formatSummaries();
    activeRow_ = findActiveRow();
    connect(camera_.get(), &CameraDevice::formatsChanged, this, &CameraFormatsModel::reloadFormats);
    connect(camera_.get(), &CameraDevice::activeFormatChanged, this,
            &CameraFormatsModel::followActiveFormat);
}

int CameraFormatsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(formats_.size());
}

int CameraFormatsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

QVariant CameraFormatsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= formats_.size() || !formats_[index.row()]) {
        return {};
    }
    const auto& format = *formats_[index.row()];
    const auto column = Column(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            if (index.row() >= summaries_.size()) {
                return {};
            }
            return cellText(format, summaries_[index.row()], column);
        case Qt::AccessibleTextRole:
            if (column == active) {
                return index.row() == activeRow_ ? QStringLiteral("Active") : QString();
            }
            return {};
        case isActiveRole:
            return index.row() == activeRow_;
        case Qt::FontRole:
            if (column == autoFocus) {
                return uiFont(FontRole::caption2, QFont::Medium);
            }
            return uiFont(FontRole::monospacedCallout);
        case Qt::ForegroundRole: {
            const auto palette = QApplication::palette();
            if (column == autoFocus && format.autoFocusSystem != 1 && format.autoFocusSystem != 2) {
                return QBrush(tertiaryColor(palette));
            }
            if (isSecondary(column)) {
                return QBrush(palette.color(QPalette::PlaceholderText));
            }
            return {};
        }
        case Qt::TextAlignmentRole:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CameraFormatsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount_) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(headers[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QString CameraFormatsModel::cellText(const CaptureDeviceFormat& format,
                                     const CameraFormatSummary& summary, Column column) {
    switch (column) {
        case resolution:
            return QString::number(summary.width) + QStringLiteral(" \u00d7 ") +
                   QString::number(summary.height);
        case aspect:
            return aspectText(summary.width, summary.height);
        case megapixels:
            return localizedNumberTextWithoutGrouping(double(summary.width) * summary.height /
                                                      1'000'000.0);
        case frameRate:
            return frameRateText(format, summary);
        case pixelFormat:
            return pixelFormatText(summary);
        case colorSpace:
            return colorSpacesText(format);
        case autoFocus:
            return autoFocusText(format.autoFocusSystem);
        case active:
        case columnCount_:
            break;
    }
    return {};
}

QString CameraFormatsModel::aspectText(int width, int height) {
    if (width < 1 || height < 1) {
        return absentText();
    }
    const int divisor = std::gcd(width, height);
    return QString::number(width / divisor) + QLatin1Char(':') + QString::number(height / divisor);
}

// The camera replaces its list as a whole (a reconnection, another device object), so the rows
// are replaced as a whole; appending a row one at a time never happens here.
void CameraFormatsModel::reloadFormats() {
    beginResetModel();
    formats_ = camera_->formats();
    summaries_ = camera_->formatSummaries();
    activeRow_ = findActiveRow();
    endResetModel();
}

void CameraFormatsModel::followActiveFormat() {
    const int previous = std::exchange(activeRow_, findActiveRow());
    if (previous == activeRow_) {
        return;
    }
    for (const int row : {previous, activeRow_}) {
        if (row >= 0 && row < rowCount()) {
            const auto cell = index(row, active);
            emit dataChanged(cell, cell, {isActiveRole, Qt::AccessibleTextRole});
        }
    }
}

int CameraFormatsModel::findActiveRow() const {
    const auto& current = camera_->activeFormat();
    if (!current) {
        return -1;
    }
    for (qsizetype row = 0; row < formats_.size(); ++row) {
        if (sameFormat(formats_[row], current)) {
            return int(row);
        }
    }
    return -1;
}

}  // namespace tavrin
