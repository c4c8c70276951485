#pragma once

#include <QString>
#include <optional>

#include "platform/ObjectPropertyService.h"

namespace tavrin {

// The audio device object of a UID, through the system object's UID translation. Absent when the
// read fails or no object has that UID. Never cached: devices come and go.
std::optional<ObjectID> audioDeviceID(ObjectPropertyService& hardware, const QString& uid);

}  // namespace tavrin
