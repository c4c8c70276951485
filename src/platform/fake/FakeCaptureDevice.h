#pragma once

#include "platform/CaptureDevice.h"

namespace tavrin {

class FakeCaptureDevice final : public CaptureDevice {
public:
    FakeCaptureDevice(QString uniqueID, QString deviceType, std::int32_t transportType)
        : uniqueID_(std::move(uniqueID)),
          deviceType_(std::move(deviceType)),
          transportType_(transportType) {}

    QString uniqueID() const override { return uniqueID_; }
    QString deviceType() const override { return deviceType_; }
    std::int32_t transportType() const override { return transportType_; }

private:
    const QString uniqueID_;
    const QString deviceType_;
    const std::int32_t transportType_;
};

}  // namespace tavrin
