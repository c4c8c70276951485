#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

#include "runtime/MainThreadQueue.h"
#include "uvc/ControlValues.h"
#include "uvc/UVCController.h"

namespace tavrin {

// What the UVC controls section shows and does, without any widget: which sections and rows are
// present and enabled, a local copy of every control's value refreshed each second while shown,
// and writes straight to the device. Main thread only.
class UVCControlsModel final : public QObject {
    Q_OBJECT
public:
    enum class RowKind { slider, toggle, picker, readout, reset };

    struct Choice {
        QString label;
        std::int64_t value;

        friend bool operator==(const Choice&, const Choice&) = default;
    };

    struct Row {
        RowKind kind = RowKind::slider;
        QString label;
        std::optional<UVCControlID> control;  // absent for the read-out and the reset row
        bool isEnabled = true;
        double minimum = 0;  // sliders
        double maximum = 0;
        QString valueText;      // sliders and the read-out
        QList<Choice> choices;  // pickers
    };

    struct Section {
        QString title;
        QList<Row> rows;
        // What "Restore Defaults" restores: the present controls that can be set.
        QList<UVCControlID> resettable;
    };

    UVCControlsModel(MainThreadQueue& queue, UVCController& controller,
                     bool cameraPreviewEnabled = false);

    const ControlValues& values() const { return values_; }
    std::optional<UVCControl> control(UVCControlID id);

    // The sections to draw, from the current values; the privacy read-out reads the device.
    QList<Section> sections();

    // Round, store, clamp to the control's range, write.
    void setSliderValue(UVCControlID id, double value);
    void setToggle(UVCControlID id, bool on);
    void choose(UVCControlID id, std::int64_t value);

    void restoreDefaults(const QList<UVCControlID>& controls);
    void reloadValues();
    QString privacyShutterText();

    // While shown, the values are reloaded at once and then every second.
    void setShown(bool shown);
    bool isShown() const { return shown_; }
    // Turning the window's preview on restores every settable control's default.
    void setCameraPreviewEnabled(bool enabled);

    static QString exposureTimeText(std::int64_t hundredsOfMicroseconds);
    static QString temperatureText(std::int64_t kelvin);
    static QList<Choice> choices(UVCControlID id);

signals:
    void valuesChanged();

private:
    Row sliderRow(const QString& label, UVCControlID id, const UVCControl& control);
    void write(UVCControlID id, std::int64_t value);
    void scheduleRefresh();
    void setValues(const ControlValues& values);

    MainThreadQueue& queue_;
    UVCController& controller_;
    ControlValues values_;
    bool cameraPreviewEnabled_;
    bool shown_ = false;
    TimerHandle refresh_;
};

}  // namespace tavrin
