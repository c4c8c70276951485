#include "ui/WindowTitle.h"

#include <cmath>

#include "camera/CameraDevice.h"

namespace tavrin {

QString WindowTitle::text() const {
    return subtitle.isEmpty() ? title : title + QStringLiteral(" \u2014 ") + subtitle;
}

WindowTitle WindowTitle::of(const std::optional<DeviceEntry>& entry) {
    if (!entry) {
        return {QStringLiteral("Tavrin"), {}};
    }
    WindowTitle result{entry->localizedName(), entry->status().label};
    const auto camera = entry->camera();
    if (!camera) {
        return result;
    }
    const auto format = camera->activeFormatSummary();
    if (!format) {
        return result;
    }
    result.subtitle +=
        QStringLiteral(" \u2022 %1 \u00d7 %2").arg(format->width).arg(format->height);
    const auto& duration = camera->activeMinFrameDuration();
    if (duration.isValid() && duration.value >= 1) {
        const auto fps = std::llround(double(duration.timescale) / double(duration.value));
        result.subtitle += QStringLiteral(" @ %1 fps").arg(fps);
    }
    return result;
}

}  // namespace tavrin
