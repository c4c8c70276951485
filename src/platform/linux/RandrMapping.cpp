#include "platform/linux/RandrMapping.h"

#include <QByteArray>

namespace tavrin::randr {

namespace {

// The protocol's values (randr.h), kept here so that this file stays free of X headers.
constexpr std::uint64_t interlaceFlag = 0x00000010;
constexpr std::uint64_t doubleScanFlag = 0x00000020;
constexpr std::uint16_t rotate90 = 2;
constexpr std::uint16_t rotate180 = 4;
constexpr std::uint16_t rotate270 = 8;

constexpr double referenceDpi = 96;

bool sameRect(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

}  // namespace

std::optional<double> refreshRate(const ModeTimings& mode) {
    double vTotal = mode.vTotal;
    if (mode.flags & doubleScanFlag) {
        vTotal *= 2;
    }
    if (mode.flags & interlaceFlag) {
        vTotal /= 2;
    }
    const double lines = double(mode.hTotal) * vTotal;
    if (lines <= 0 || mode.dotClock <= 0) {
        return std::nullopt;
    }
    return mode.dotClock / lines;
}

QHash<DisplayID, DisplayID> mirrorTargets(const QList<ActiveOutput>& outputs) {
    QHash<DisplayID, DisplayID> targets;
    for (const auto& output : outputs) {
        DisplayID primary = output.output;
        for (const auto& other : outputs) {
            const bool samePicture =
                other.crtc == output.crtc || sameRect(other.frame, output.frame);
            if (samePicture && other.output < primary) {
                primary = other.output;
            }
        }
        if (primary != output.output) {
            targets.insert(output.output, primary);
        }
    }
    return targets;
}

double rotationDegrees(std::uint16_t rotation) {
    if (rotation & rotate90) {
        return 90;
    }
    if (rotation & rotate180) {
        return 180;
    }
    if (rotation & rotate270) {
        return 270;
    }
    return 0;
}

bool isBuiltinConnector(const QString& connector) {
    for (const auto* prefix : {"eDP", "LVDS", "DSI"}) {
        if (connector.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

double backingScale(QByteArrayView resources) {
    // Lines of "name:\tvalue"; the last setting of a name wins, as in the resource database.
    std::optional<double> dpi;
    for (const auto& line : QByteArray(resources.data(), resources.size()).split('\n')) {
        const auto colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed() != "Xft.dpi") {
            continue;
        }
        bool ok = false;
        const auto value = line.mid(colon + 1).trimmed().toDouble(&ok);
        dpi = ok ? std::optional(value) : std::nullopt;
    }
    return dpi && *dpi > 0 ? *dpi / referenceDpi : 1.0;
}

std::optional<QRectF> visibleFrame(const QList<long>& workAreas, long currentDesktop,
                                   const QRectF& frame) {
    if (currentDesktop < 0) {
        return std::nullopt;
    }
    const auto start = qsizetype(currentDesktop) * 4;
    if (currentDesktop > workAreas.size() / 4 || start + 4 > workAreas.size()) {
        return std::nullopt;
    }
    const QRectF area(double(workAreas[start]), double(workAreas[start + 1]),
                      double(workAreas[start + 2]), double(workAreas[start + 3]));
    const auto visible = area.intersected(frame);
    if (visible.isEmpty()) {
        return std::nullopt;
    }
    return visible;
}

}  // namespace tavrin::randr
