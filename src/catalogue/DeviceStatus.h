#pragma once

#include <QHashFunctions>
#include <QString>

namespace tavrin {

// The colour of a status pill or dot; the user interface maps it to its palette.
enum class StatusTint { green, orange, blue, secondary };

// A device's state summed up for badges, tooltips and the active-device count.
struct DeviceStatus {
    QString label;
    StatusTint tint = StatusTint::secondary;
    QString recoverySuggestion;
    bool isActive = false;

    friend bool operator==(const DeviceStatus&, const DeviceStatus&) = default;
};

inline size_t qHash(const DeviceStatus& status, size_t seed = 0) {
    return qHashMulti(seed, status.label, int(status.tint), status.recoverySuggestion,
                      status.isActive);
}

}  // namespace tavrin
