#pragma once

#include <QString>

#include "platform/SXAvailability.h"
#include "runtime/Published.h"

namespace tavrin {

// What the device framework publishes alike for cameras and microphones. Compared by identity:
// the framework may hand out a new object for the same `id` in a later list. Published values are
// delivered on the main thread.
class SXCaptureSource {
public:
    struct Values {
        QString localizedName;
        QString manufacturer;
        QString modelID;
        bool isVirtual = false;
        SXAvailability availability;
    };

    SXCaptureSource(QString id, const Values& values)
        : id_(std::move(id)),
          localizedName(values.localizedName),
          manufacturer(values.manufacturer),
          modelID(values.modelID),
          isVirtual(values.isVirtual),
          availability(values.availability) {}
    SXCaptureSource(const SXCaptureSource&) = delete;
    SXCaptureSource& operator=(const SXCaptureSource&) = delete;

    // The capture device's unique ID; for a microphone also the audio device's UID.
    const QString& id() const { return id_; }

private:
    QString id_;

public:
    Published<QString> localizedName;
    Published<QString> manufacturer;
    Published<QString> modelID;
    Published<bool> isVirtual;
    Published<SXAvailability> availability;
};

class SXCamera final : public SXCaptureSource {
public:
    using SXCaptureSource::SXCaptureSource;
};

class SXMicrophone final : public SXCaptureSource {
public:
    using SXCaptureSource::SXCaptureSource;
};

}  // namespace tavrin
