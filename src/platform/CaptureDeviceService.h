#pragma once

#include <QString>
#include <memory>

#include "platform/CaptureDevice.h"

namespace tavrin {

// The OS capture service's device lookup.
class CaptureDeviceService {
public:
    virtual ~CaptureDeviceService() = default;

    // The capture device with this unique ID; absent when there is none.
    virtual std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) = 0;
};

}  // namespace tavrin
