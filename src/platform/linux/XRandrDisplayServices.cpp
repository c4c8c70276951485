#include "platform/linux/XRandrDisplayServices.h"

namespace tavrin {

XRandrDisplayServices::XRandrDisplayServices(std::unique_ptr<XRandrConnection> commands)
    : commands_(std::move(commands)) {}

const XRandrOutputState* XRandrDisplayServices::active(DisplayID display) const {
    const auto* output = state_.output(display);
    return output && output->drivesCrtc() ? output : nullptr;
}

std::optional<DisplayMode> XRandrDisplayServices::currentMode(DisplayID display) {
    const auto* output = active(display);
    return output ? output->currentMode : std::nullopt;
}

std::optional<QList<DisplayMode>> XRandrDisplayServices::allModes(DisplayID display) {
    const auto* output = state_.output(display);
    return output ? std::optional(output->modes) : std::nullopt;
}

double XRandrDisplayServices::pixelsWide(DisplayID display) {
    const auto* output = active(display);
    return output ? output->frame.width() : 0;
}

double XRandrDisplayServices::pixelsHigh(DisplayID display) {
    const auto* output = active(display);
    return output ? output->frame.height() : 0;
}

DisplayID XRandrDisplayServices::mirrorsDisplay(DisplayID display) {
    const auto* output = active(display);
    return output ? output->mirrorOf : 0;
}

double XRandrDisplayServices::rotation(DisplayID display) {
    const auto* output = active(display);
    return output ? output->rotation : 0;
}

QSizeF XRandrDisplayServices::screenSize(DisplayID display) {
    const auto* output = state_.output(display);
    return output ? output->physicalSize : QSizeF(0, 0);
}

bool XRandrDisplayServices::isBuiltin(DisplayID display) {
    const auto* output = state_.output(display);
    return output && output->isBuiltin;
}

DisplayError XRandrDisplayServices::beginConfiguration(DisplayConfiguration& configuration) {
    if (!state_.isServerConnected) {
        return DisplayErrorCode::invalidConnection;
    }
    configuration = nextConfiguration_++;
    pending_[configuration];
    return DisplayErrorCode::success;
}

DisplayError XRandrDisplayServices::configureOrigin(DisplayConfiguration configuration,
                                                    DisplayID display, std::int32_t x,
                                                    std::int32_t y) {
    const auto found = pending_.find(configuration);
    if (found == pending_.end() || !active(display)) {
        return DisplayErrorCode::illegalArgument;
    }
    found->second.insert(display, QPoint(x, y));
    return DisplayErrorCode::success;
}

DisplayError XRandrDisplayServices::completeConfiguration(DisplayConfiguration configuration) {
    const auto found = pending_.find(configuration);
    if (found == pending_.end()) {
        return DisplayErrorCode::illegalArgument;
    }
    const auto origins = found->second;
    pending_.erase(found);
    // The new layout comes back through the monitor, like any other change.
    return origins.isEmpty() ? DisplayErrorCode::success : commands_->moveOutputs(origins);
}

DisplayError XRandrDisplayServices::cancelConfiguration(DisplayConfiguration configuration) {
    return pending_.erase(configuration) ? DisplayErrorCode::success
                                         : DisplayErrorCode::illegalArgument;
}

DisplayError XRandrDisplayServices::setPrimaryDisplay(DisplayID display) {
    if (!state_.isServerConnected) {
        return DisplayErrorCode::invalidConnection;
    }
    if (!state_.output(display)) {
        return DisplayErrorCode::illegalArgument;
    }
    return commands_->setPrimaryOutput(display);
}

QList<ScreenInfo> XRandrDisplayServices::screens() {
    // Every output showing a picture is a screen of the desktop.
    QList<ScreenInfo> screens;
    for (const auto& output : state_.outputs) {
        if (output.drivesCrtc()) {
            screens.append(ScreenInfo{output.id, state_.backingScale, output.colorSpaceName, 1, 1,
                                      state_.bitsPerSample});
        }
    }
    return screens;
}

Subscription XRandrDisplayServices::observeScreenParameters(std::function<void()> onChange) {
    const auto id = nextObserver_++;
    observers_->emplace(id, std::move(onChange));
    return Subscription([observers = std::weak_ptr(observers_), id] {
        if (auto alive = observers.lock()) {
            alive->erase(id);
        }
    });
}

void XRandrDisplayServices::notifyScreenParametersChanged() {
    const auto snapshot = *observers_;
    for (const auto& [id, observer] : snapshot) {
        if (observers_->contains(id)) {
            observer();
        }
    }
}

}  // namespace tavrin
