#pragma once

#include <QString>
#include <QUuid>
#include <memory>
#include <optional>
#include <variant>

#include "catalogue/DeviceStatus.h"

namespace tavrin {

class CameraDevice;
class MicrophoneDevice;
class DisplayDevice;
class SidebarDevice;
class SymbolCatalog;

// One device of any kind, for every view that lists or describes devices without caring about
// its class. Identified by the model's uuid: two entries are equal when they wrap models of the
// same uuid. Every derived value is computed from the model's current state. Main thread.
class DeviceEntry {
public:
    enum class Kind { camera, microphone, display };

    explicit DeviceEntry(std::shared_ptr<CameraDevice> camera) : device_(std::move(camera)) {}
    explicit DeviceEntry(std::shared_ptr<MicrophoneDevice> microphone)
        : device_(std::move(microphone)) {}
    explicit DeviceEntry(std::shared_ptr<DisplayDevice> display) : device_(std::move(display)) {}

    Kind kind() const { return Kind(device_.index()); }
    // "camera", "microphone" or "display": how texts name a kind.
    static QString kindNoun(Kind kind);
    // The wrapped model when it is of that kind, else null.
    std::shared_ptr<CameraDevice> camera() const;
    std::shared_ptr<MicrophoneDevice> microphone() const;
    std::shared_ptr<DisplayDevice> display() const;
    SidebarDevice& device() const;

    QUuid id() const;
    QString localizedName() const;
    QString symbolName() const;
    // The symbol, slashed while the device is unavailable when the system has such a symbol.
    QString sidebarSymbolName(const SymbolCatalog& symbols) const;
    bool isAvailable() const;
    QString modelID() const;
    std::optional<QString> subtitle() const;
    DeviceStatus status() const;
    // Present only for an available camera (green) or microphone (orange) running somewhere.
    std::optional<StatusTint> statusDotColor() const;
    bool matches(const QString& searchText) const;

    friend bool operator==(const DeviceEntry& a, const DeviceEntry& b) { return a.id() == b.id(); }

private:
    QString manufacturer() const;

    std::variant<std::shared_ptr<CameraDevice>, std::shared_ptr<MicrophoneDevice>,
                 std::shared_ptr<DisplayDevice>>
        device_;
};

inline size_t qHash(const DeviceEntry& entry, size_t seed = 0) {
    return qHash(entry.id(), seed);
}

}  // namespace tavrin
