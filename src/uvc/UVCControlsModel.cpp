#include "uvc/UVCControlsModel.h"

#include <QPointer>
#include <cmath>

#include "runtime/TextFormat.h"
#include "uvc/UVCValue.h"

using namespace std::chrono_literals;

namespace tavrin {

namespace {

using ID = UVCControlID;

struct RowSpec {
    UVCControlsModel::RowKind kind;
    const char* label;
    ID id;
};

struct SectionSpec {
    const char* title;
    std::vector<RowSpec> rows;
    bool hasPrivacyShutter = false;
};

using Kind = UVCControlsModel::RowKind;

const std::vector<SectionSpec>& sectionSpecs() {
    static const std::vector<SectionSpec> specs{
        {"UVC Power Line", {{Kind::picker, "Frequency", ID::powerLineFrequency}}},
        {"UVC Image",
         {{Kind::slider, "Brightness", ID::brightness},
          {Kind::slider, "Contrast", ID::contrast},
          {Kind::slider, "Saturation", ID::saturation},
          {Kind::slider, "Sharpness", ID::sharpness},
          {Kind::toggle, "Auto Hue", ID::hueAuto},
          {Kind::slider, "Hue", ID::hue},
          {Kind::slider, "Gamma", ID::gamma},
          {Kind::slider, "Gain", ID::gain},
          {Kind::slider, "Backlight Compensation", ID::backlightCompensation}}},
        {"UVC Exposure",
         {{Kind::picker, "Exposure Mode", ID::aeMode},
          {Kind::slider, "Exposure Time", ID::exposureTime}}},
        {"UVC Focus",
         {{Kind::toggle, "Auto Focus", ID::focusAuto},
          {Kind::slider, "Focus Distance", ID::focusAbsolute}}},
        {"UVC White Balance",
         {{Kind::toggle, "Auto White Balance", ID::whiteBalanceAuto},
          {Kind::slider, "Temperature", ID::whiteBalanceTemperature}}},
        {"UVC Other", {{Kind::slider, "Zoom", ID::zoomAbsolute}}, true},
    };
    return specs;
}

// The auto switch that, while on, takes a slider out of the user's hands.
std::optional<ID> autoSwitchOf(ID id) {
    switch (id) {
        case ID::hue:
            return ID::hueAuto;
        case ID::focusAbsolute:
            return ID::focusAuto;
        case ID::whiteBalanceTemperature:
            return ID::whiteBalanceAuto;
        default:
            return std::nullopt;
    }
}

// The nearest whole number, or nothing for a value that isn't a number at all.
std::optional<std::int64_t> rounded(double value) {
    if (std::isnan(value)) {
        return std::nullopt;
    }
    constexpr double limit = 9.2e18;
    return std::int64_t(std::llround(std::clamp(value, -limit, limit)));
}

}  // namespace

// What the probe found: every control of the table, in table order, and the privacy shutter.
struct UVCControlsModel::Probe {
    std::array<std::optional<UVCControl>, uvcControlTable.size()> controls;
    std::optional<UVCControl> privacy;
};

// One read of every value, as the camera answered it.
struct UVCControlsModel::Reading {
    std::array<std::int64_t, uvcControlTable.size()> values{};
    std::optional<std::int64_t> privacy;
    // The camera went away during the read, or was away: the rest was not asked and nothing is
    // applied.
    bool deviceGone = false;
    // Whether it went during this read, rather than being away already.
    bool wentDuringRead = false;
    std::uint64_t writeCountAtPost = 0;
};

namespace {

std::optional<UVCControl> lookUp(UVCController& controller, UVCControlID id) {
    const auto& spec = uvcControlSpec(id);
    return controller.control(spec.unit, spec.selector, spec.byteCount);
}

std::optional<UVCControl> lookUpPrivacy(UVCController& controller) {
    return controller.control(UVCUnit::cameraTerminal, uvcPrivacySelector, uvcPrivacyByteCount);
}

void writeClamped(const UVCControl& control, std::int64_t value) {
    // The result is not checked: the next refresh shows what the device kept.
    UVCController::setCurrent(control, encodeUVCValue(control.clamped(value), control.byteCount));
}

}  // namespace

UVCControlsModel::UVCControlsModel(MainThreadQueue& queue, std::shared_ptr<UVCSession> session,
                                   bool cameraPreviewEnabled)
    : queue_(queue), session_(std::move(session)), cameraPreviewEnabled_(cameraPreviewEnabled) {
    session_->run<Probe>(
        [](UVCController& controller) {
            Probe probe;
            for (const auto& spec : uvcControlTable) {
                probe.controls[std::size_t(spec.id)] = lookUp(controller, spec.id);
            }
            probe.privacy = lookUpPrivacy(controller);
            return probe;
        },
        [self = QPointer(this)](Probe probe) {
            if (!self) {
                return;
            }
            self->controls_ = std::move(probe.controls);
            self->privacyControl_ = std::move(probe.privacy);
            self->probed_ = true;
            emit self->controlsChanged();
        });
}

std::optional<UVCControl> UVCControlsModel::control(UVCControlID id) const {
    return controls_[std::size_t(id)];
}

QList<UVCControlsModel::Choice> UVCControlsModel::choices(UVCControlID id) {
    if (id == ID::powerLineFrequency) {
        return {{QStringLiteral("Disabled"), 0},
                {QStringLiteral("50 Hz"), 1},
                {QStringLiteral("60 Hz"), 2},
                {QStringLiteral("Auto"), 3}};
    }
    if (id == ID::aeMode) {
        return {{QStringLiteral("Manual"), 1},
                {QStringLiteral("Auto"), 2},
                {QStringLiteral("Shutter Priority"), 4},
                {QStringLiteral("Aperture Priority"), 8}};
    }
    return {};
}

UVCControlsModel::Row UVCControlsModel::sliderRow(const QString& label, UVCControlID id,
                                                  const UVCControl& control) const {
    Row row{Kind::slider, label, id};
    const auto autoSwitch = autoSwitchOf(id);
    row.isEnabled = control.supportsSet && !(autoSwitch && values_.get(*autoSwitch) != 0);
    row.minimum = double(control.lowerBound());
    row.maximum = double(control.upperBound());
    const auto value = values_.get(id);
    if (id == ID::exposureTime) {
        row.valueText = exposureTimeText(value);
    } else if (id == ID::whiteBalanceTemperature) {
        row.valueText = temperatureText(value);
    } else {
        row.valueText = QString::number(value);
    }
    return row;
}

QList<UVCControlsModel::Section> UVCControlsModel::sections() const {
    QList<Section> sections;
    for (const auto& spec : sectionSpecs()) {
        Section section{QString::fromUtf8(spec.title)};
        for (const auto& rowSpec : spec.rows) {
            const auto found = control(rowSpec.id);
            if (!found) {
                continue;
            }
            const auto label = QString::fromUtf8(rowSpec.label);
            if (rowSpec.kind == Kind::slider) {
                section.rows.append(sliderRow(label, rowSpec.id, *found));
            } else {
                Row row{rowSpec.kind, label, rowSpec.id, found->supportsSet};
                row.choices = choices(rowSpec.id);
                section.rows.append(row);
            }
            if (found->supportsSet) {
                section.resettable.append(rowSpec.id);
            }
        }
        if (spec.hasPrivacyShutter && privacyControl_) {
            Row row{Kind::readout, QStringLiteral("Privacy Shutter")};
            row.valueText = privacyShutterText();
            section.rows.append(row);
        }
        if (section.rows.isEmpty()) {
            continue;
        }
        if (!section.resettable.isEmpty()) {
            section.rows.append(Row{Kind::reset, QStringLiteral("Reset")});
        }
        sections.append(section);
    }
    return sections;
}

void UVCControlsModel::write(UVCControlID id, std::int64_t value) {
    {
        std::lock_guard lock(pendingWrites_->mutex);
        if (!pendingWrites_->values.insert_or_assign(id, value).second) {
            return;  // the waiting write of this control takes the new value
        }
    }
    // Looked up on the camera's thread, where the probe has already run. The waiting value is
    // taken even when the camera is away, or every later write of this control would be folded
    // into this one and never sent.
    session_->runWithControllerOrNull([id, pending = pendingWrites_](UVCController* controller) {
        std::int64_t latest = 0;
        {
            std::lock_guard lock(pending->mutex);
            latest = pending->values.at(id);
            pending->values.erase(id);
        }
        if (!controller) {
            return;
        }
        if (const auto found = lookUp(*controller, id)) {
            writeClamped(*found, latest);
        }
    });
}

void UVCControlsModel::storeUserValue(UVCControlID id, std::int64_t value) {
    lastWrite_[std::size_t(id)] = ++writeCount_;
    if (values_.get(id) == value) {
        return;
    }
    values_.set(id, value);
    emit valuesChanged();
}

void UVCControlsModel::setSliderValue(UVCControlID id, double value) {
    const auto whole = rounded(value);
    if (!whole) {
        return;
    }
    storeUserValue(id, *whole);
    write(id, *whole);
}

void UVCControlsModel::setToggle(UVCControlID id, bool on) {
    storeUserValue(id, on ? 1 : 0);
    write(id, on ? 1 : 0);
}

void UVCControlsModel::choose(UVCControlID id, std::int64_t value) {
    storeUserValue(id, value);
    write(id, value);
}

void UVCControlsModel::restoreDefaults(const QList<UVCControlID>& controls) {
    read({controls, false}, false);
}

void UVCControlsModel::reloadValues() {
    read({}, false);
}

void UVCControlsModel::read(Restore restore, bool continueRefresh) {
    if (!restore.controls.isEmpty()) {
        pendingWrites_ = std::make_shared<PendingWrites>();
    }
    const auto writeCount = writeCount_;
    session_->run<Reading>(
        [restore = std::move(restore), writeCount](UVCController& controller) {
            for (const auto id : restore.controls) {
                const auto found = lookUp(controller, id);
                if (found && (found->supportsSet || !restore.settableOnly)) {
                    writeClamped(*found, found->defaultValue);
                }
            }
            Reading reading;
            reading.writeCountAtPost = writeCount;
            auto readOne =
                [&](const std::optional<UVCControl>& found) -> std::optional<std::int64_t> {
                reading.deviceGone = reading.deviceGone || controller.isDeviceGone();
                if (!found || reading.deviceGone) {
                    return std::nullopt;
                }
                IOReturn status = IOReturnCode::success;
                const auto value = UVCController::currentValue(*found, &status);
                if (status == IOReturnCode::noDevice) {
                    reading.deviceGone = true;
                }
                return value;
            };
            for (const auto& spec : uvcControlTable) {
                reading.values[std::size_t(spec.id)] =
                    readOne(lookUp(controller, spec.id)).value_or(0);
            }
            reading.privacy = readOne(lookUpPrivacy(controller));
            if (reading.deviceGone) {
                reading.wentDuringRead = true;
                controller.noteDeviceGone();
            }
            return reading;
        },
        [self = QPointer(this), continueRefresh](Reading reading) {
            if (self) {
                self->apply(reading, continueRefresh);
            }
        },
        Reading{.deviceGone = true});
}

void UVCControlsModel::apply(const Reading& reading, bool continueRefresh) {
    if (continueRefresh) {
        refreshReadInFlight_ = false;
        // Asked again even when the camera went: the camera's thread looks for it (quietly) and
        // opens it afresh once it is back, which its connection state may never show when it
        // went and came back in one go.
        if (shown_) {
            scheduleRefresh();
        }
    }
    if (reading.deviceGone) {
        // Said once for each time the camera goes.
        if (reading.wentDuringRead && !goneSaid_) {
            printUVCLine(QStringLiteral("refresh ended: the camera is no longer connected"));
        }
        goneSaid_ = goneSaid_ || reading.wentDuringRead;
        return;
    }
    goneSaid_ = false;
    auto values = values_;
    for (const auto& spec : uvcControlTable) {
        const auto index = std::size_t(spec.id);
        if (lastWrite_[index] <= reading.writeCountAtPost) {
            values.set(spec.id, reading.values[index]);
        }
    }
    if (values == values_ && reading.privacy == privacyValue_) {
        return;
    }
    values_ = values;
    privacyValue_ = reading.privacy;
    emit valuesChanged();
}

QString UVCControlsModel::privacyShutterText() const {
    if (!privacyValue_) {
        return absentText();
    }
    return *privacyValue_ != 0 ? QStringLiteral("Closed") : QStringLiteral("Open");
}

void UVCControlsModel::setShown(bool shown) {
    if (shown_ == shown) {
        return;
    }
    shown_ = shown;
    if (!shown) {
        refresh_.cancel();
        return;
    }
    if (!refreshReadInFlight_ && !refresh_.isActive()) {
        refreshReadInFlight_ = true;
        read({}, true);
    }
}

void UVCControlsModel::scheduleRefresh() {
    refresh_ = queue_.schedule(1s, [self = QPointer(this)] {
        if (self && self->shown_) {
            self->refreshReadInFlight_ = true;
            self->read({}, true);
        }
    });
}

void UVCControlsModel::setCameraPreviewEnabled(bool enabled) {
    const bool turnedOn = !cameraPreviewEnabled_ && enabled;
    cameraPreviewEnabled_ = enabled;
    if (!turnedOn) {
        return;
    }
    // Which controls are settable is decided on the camera's thread, where the probe has run
    // even when its answer hasn't reached this thread yet.
    QList<UVCControlID> all;
    for (const auto& spec : uvcControlTable) {
        all.append(spec.id);
    }
    read({all, true}, false);
}

QString UVCControlsModel::exposureTimeText(std::int64_t hundredsOfMicroseconds) {
    const double seconds = double(hundredsOfMicroseconds) / 10000.0;
    if (seconds >= 1) {
        return QString::asprintf("%.2f s", seconds);
    }
    const double milliseconds = seconds * 1000;
    if (milliseconds >= 1) {
        return QString::asprintf("%.1f ms", milliseconds);
    }
    return QString::asprintf("%.0f \u00b5s", seconds * 1000000);
}

QString UVCControlsModel::temperatureText(std::int64_t kelvin) {
    return QString::number(kelvin) + QStringLiteral(" K");
}

}  // namespace tavrin
