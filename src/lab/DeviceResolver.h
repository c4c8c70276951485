#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class DeviceStore;

// Why a device name named no single device.
struct DeviceNameError {
    enum class Kind { notFound, ambiguous };

    Kind kind = Kind::notFound;
    QString name;
    std::vector<DeviceEntry> candidates;  // for ambiguous, in list order

    // "no device is named ..." or "... names several devices:" with one candidate per line.
    QString text() const;
};

// Finds the device a user means: by unique ID, by `kind:index`, by a whole name, or by a prefix
// of a name that only one device has (case-insensitively). Only devices of the allowed kinds
// take part, so "Built" names the microphone for a command that takes microphones. Main thread.
class DeviceResolver {
public:
    using Result = std::variant<DeviceEntry, DeviceNameError>;

    explicit DeviceResolver(std::vector<DeviceEntry> entries) : entries_(std::move(entries)) {}
    static DeviceResolver of(const DeviceStore& store);

    Result resolve(const QString& name, const QList<DeviceEntry::Kind>& kinds = {}) const;

    const std::vector<DeviceEntry>& entries() const { return entries_; }

    // The ID a user gives back to name a device: a camera's or microphone's unique ID, a
    // display's number.
    static QString uniqueID(const DeviceEntry& entry);
    // The position of the device among the devices of its kind, as `kind:index` counts.
    int indexInKind(const DeviceEntry& entry) const;
    // "kind:index" for a device.
    QString shortName(const DeviceEntry& entry) const;

private:
    std::vector<DeviceEntry> entries_;
};

}  // namespace tavrin
