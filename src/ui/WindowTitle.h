#pragma once

#include <QString>
#include <optional>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

struct WindowTitle {
    QString title;
    QString subtitle;

    // What a window's title bar shows: the title, then " — " and the subtitle when there is one.
    QString text() const;

    // The selected device's name; the subtitle is its status, and for a camera with a known
    // active format " • W × H", then " @ N fps" when the minimum frame duration is valid and at
    // least 1. "Tavrin" and no subtitle without a device.
    static WindowTitle of(const std::optional<DeviceEntry>& entry);
};

}  // namespace tavrin
