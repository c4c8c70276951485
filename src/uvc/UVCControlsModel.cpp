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

UVCControlsModel::UVCControlsModel(MainThreadQueue& queue, UVCController& controller,
                                   bool cameraPreviewEnabled)
    : queue_(queue), controller_(controller), cameraPreviewEnabled_(cameraPreviewEnabled) {}

std::optional<UVCControl> UVCControlsModel::control(UVCControlID id) {
    const auto& spec = uvcControlSpec(id);
    return controller_.control(spec.unit, spec.selector, spec.byteCount);
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
                                                  const UVCControl& control) {
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

QList<UVCControlsModel::Section> UVCControlsModel::sections() {
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
        if (spec.hasPrivacyShutter &&
            controller_.control(UVCUnit::cameraTerminal, uvcPrivacySelector, uvcPrivacyByteCount)) {
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
    const auto found = control(id);
    if (!found) {
        return;
    }
    // The result is not checked: the next refresh shows what the device kept.
    UVCController::setCurrent(*found, encodeUVCValue(found->clamped(value), found->byteCount));
}

void UVCControlsModel::setSliderValue(UVCControlID id, double value) {
    const auto whole = rounded(value);
    if (!whole) {
        return;
    }
    auto values = values_;
    values.set(id, *whole);
    setValues(values);
    write(id, *whole);
}

void UVCControlsModel::setToggle(UVCControlID id, bool on) {
    auto values = values_;
    values.set(id, on ? 1 : 0);
    setValues(values);
    write(id, on ? 1 : 0);
}

void UVCControlsModel::choose(UVCControlID id, std::int64_t value) {
    auto values = values_;
    values.set(id, value);
    setValues(values);
    write(id, value);
}

void UVCControlsModel::restoreDefaults(const QList<UVCControlID>& controls) {
    for (const auto id : controls) {
        if (const auto found = control(id)) {
            UVCController::setCurrent(
                *found, encodeUVCValue(found->clamped(found->defaultValue), found->byteCount));
        }
    }
    reloadValues();
}

void UVCControlsModel::reloadValues() {
    ControlValues values;
    for (const auto& spec : uvcControlTable) {
        const auto found = control(spec.id);
        values.set(spec.id, found ? UVCController::currentValue(*found).value_or(0) : 0);
    }
    setValues(values);
}

QString UVCControlsModel::privacyShutterText() {
    const auto found =
        controller_.control(UVCUnit::cameraTerminal, uvcPrivacySelector, uvcPrivacyByteCount);
    const auto value = found ? UVCController::currentValue(*found) : std::nullopt;
    if (!value) {
        return absentText();
    }
    return *value != 0 ? QStringLiteral("Closed") : QStringLiteral("Open");
}

void UVCControlsModel::setValues(const ControlValues& values) {
    if (values_ == values) {
        return;
    }
    values_ = values;
    emit valuesChanged();
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
    reloadValues();
    scheduleRefresh();
}

void UVCControlsModel::scheduleRefresh() {
    refresh_ = queue_.schedule(1s, [self = QPointer(this)] {
        if (self && self->shown_) {
            self->reloadValues();
            self->scheduleRefresh();
        }
    });
}

void UVCControlsModel::setCameraPreviewEnabled(bool enabled) {
    const bool turnedOn = !cameraPreviewEnabled_ && enabled;
    cameraPreviewEnabled_ = enabled;
    if (!turnedOn) {
        return;
    }
    QList<UVCControlID> settable;
    for (const auto& spec : uvcControlTable) {
        const auto found = control(spec.id);
        if (found && found->supportsSet) {
            settable.append(spec.id);
        }
    }
    restoreDefaults(settable);
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
