#include "platform/fake/FakeDisplayServices.h"

namespace tavrin {

FakeDisplayServices::FakeDisplayServices(MainThreadQueue& queue, NotificationThread& notifications)
    : queue_(queue), notifications_(notifications) {}

std::optional<DisplayMode> FakeDisplayServices::currentMode(DisplayID display) {
    return displays_.value(display).currentMode;
}
std::optional<QList<DisplayMode>> FakeDisplayServices::allModes(DisplayID display) {
    return displays_.contains(display) ? displays_.value(display).allModes : std::nullopt;
}
double FakeDisplayServices::pixelsWide(DisplayID display) {
    return displays_.value(display).pixelsWide;
}
double FakeDisplayServices::pixelsHigh(DisplayID display) {
    return displays_.value(display).pixelsHigh;
}
DisplayID FakeDisplayServices::mirrorsDisplay(DisplayID display) {
    return displays_.value(display).mirrorOf;
}
double FakeDisplayServices::rotation(DisplayID display) {
    return displays_.value(display).rotation;
}
QSizeF FakeDisplayServices::screenSize(DisplayID display) {
    return displays_.value(display).physicalSize;
}
bool FakeDisplayServices::isBuiltin(DisplayID display) {
    return displays_.value(display).isBuiltin;
}

std::optional<DisplayError> FakeDisplayServices::fault(Step step,
                                                       std::optional<DisplayID> display) {
    ++calls_[std::size_t(step)];
    for (const auto& fault : faults_) {
        if (fault.step == step && (!fault.display || fault.display == display)) {
            return fault.error;
        }
    }
    return std::nullopt;
}

DisplayError FakeDisplayServices::beginConfiguration(DisplayConfiguration& configuration) {
    if (const auto error = fault(Step::begin)) {
        return *error;
    }
    configuration = nextConfiguration_++;
    pending_[configuration];
    return DisplayErrorCode::success;
}

DisplayError FakeDisplayServices::configureOrigin(DisplayConfiguration configuration,
                                                  DisplayID display, std::int32_t x,
                                                  std::int32_t y) {
    if (const auto error = fault(Step::configure, display)) {
        return *error;
    }
    const auto found = pending_.find(configuration);
    if (found == pending_.end() || !displays_.contains(display)) {
        return DisplayErrorCode::illegalArgument;
    }
    found->second.insert(display, QPointF(x, y));
    return DisplayErrorCode::success;
}

DisplayError FakeDisplayServices::completeConfiguration(DisplayConfiguration configuration) {
    if (const auto error = fault(Step::complete)) {
        pending_.erase(configuration);
        return *error;
    }
    const auto found = pending_.find(configuration);
    if (found == pending_.end()) {
        return DisplayErrorCode::illegalArgument;
    }
    const auto origins = found->second;
    pending_.erase(found);
    if (onArrangementChanged_) {
        onArrangementChanged_(origins);
    }
    notifyScreenParametersChanged();
    return DisplayErrorCode::success;
}

DisplayError FakeDisplayServices::cancelConfiguration(DisplayConfiguration configuration) {
    if (const auto error = fault(Step::cancel)) {
        return *error;
    }
    return pending_.erase(configuration) ? DisplayErrorCode::success
                                         : DisplayErrorCode::illegalArgument;
}

DisplayError FakeDisplayServices::setPrimaryDisplay(DisplayID display) {
    if (!hasPrimarySetting_) {
        return DisplayErrorCode::notImplemented;
    }
    if (!displays_.contains(display)) {
        return DisplayErrorCode::illegalArgument;
    }
    if (onPrimaryChanged_) {
        onPrimaryChanged_(display);
    }
    notifyScreenParametersChanged();
    return DisplayErrorCode::success;
}

QList<ScreenInfo> FakeDisplayServices::screens() {
    QList<ScreenInfo> screens;
    for (auto it = displays_.cbegin(); it != displays_.cend(); ++it) {
        if (it->screen) {
            auto screen = *it->screen;
            screen.displayNumber = it.key();
            screens.append(screen);
        }
    }
    return screens;
}

Subscription FakeDisplayServices::observeScreenParameters(std::function<void()> onChange) {
    const auto id = nextObserver_++;
    observers_->emplace(id, std::move(onChange));
    return Subscription([observers = std::weak_ptr(observers_), id] {
        if (auto alive = observers.lock()) {
            alive->erase(id);
        }
    });
}

void FakeDisplayServices::setDisplay(DisplayID display, const FakeDisplayHardware& hardware) {
    displays_.insert(display, hardware);
}

void FakeDisplayServices::removeDisplay(DisplayID display) {
    displays_.remove(display);
}

void FakeDisplayServices::notifyScreenParametersChanged() {
    notifications_.deliverToMain(queue_, lifetime_, [observers = observers_] {
        const auto snapshot = *observers;
        for (const auto& [id, observer] : snapshot) {
            if (observers->contains(id)) {
                observer();
            }
        }
    });
}

void FakeDisplayServices::failStep(Step step, DisplayError error,
                                   std::optional<DisplayID> display) {
    faults_.push_back(Fault{step, error, display});
}

}  // namespace tavrin
