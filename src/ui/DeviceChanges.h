#pragma once

#include <QObject>
#include <functional>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

// What a view shows of a device, by the model signals that change it.
enum class DeviceAspect {
    name,    // the localized name
    status,  // the status, the warning symbol and the status dot of a sidebar row
    row,     // everything a sidebar row draws besides the name: the subtitle too
    title,   // a window's subtitle: the status and, for a camera, its format and frame rate
};

// Calls `onChange` whenever the model of `entry` signals a change of `aspect`. The connections
// last as long as `context`.
void connectDeviceChanges(const DeviceEntry& entry, DeviceAspect aspect, QObject* context,
                          const std::function<void()>& onChange);

// Calls `onChange` whenever any discovery of the store lists a different set or order.
class DeviceStore;
void connectDeviceListChanges(DeviceStore& store, QObject* context,
                              const std::function<void()>& onChange);

}  // namespace tavrin
