#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "runtime/MainThreadQueue.h"
#include "uvc/ControlValues.h"
#include "uvc/UVCSession.h"

namespace tavrin {

// What the UVC controls section shows and does, without any widget: which sections and rows are
// present and enabled, a local copy of every control's value refreshed each second while shown,
// and writes straight to the device. Main thread only; it never waits on the camera. Probing,
// reads and writes go to the camera's own thread as batches, and their results come back in
// order: the controls once probed (`controlsChanged`), then the values (`valuesChanged`).
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

    // Starts probing every control on the camera's thread.
    UVCControlsModel(MainThreadQueue& queue, std::shared_ptr<UVCSession> session,
                     bool cameraPreviewEnabled = false);

    const ControlValues& values() const { return values_; }
    // Whether the probe's answer has arrived; until then no control is present.
    bool isProbed() const { return probed_; }
    std::optional<UVCControl> control(UVCControlID id) const;

    // The sections to draw, from the probed controls and the last values read.
    QList<Section> sections() const;

    // Round, store, clamp to the control's range, write.
    void setSliderValue(UVCControlID id, double value);
    void setToggle(UVCControlID id, bool on);
    void choose(UVCControlID id, std::int64_t value);

    void restoreDefaults(const QList<UVCControlID>& controls);
    void reloadValues();
    // The privacy shutter as last read: "Closed", "Open", or "—" when the read failed.
    QString privacyShutterText() const;

    // While shown, the values are reloaded at once and then every second.
    void setShown(bool shown);
    bool isShown() const { return shown_; }
    // Turning the window's preview on restores every settable control's default.
    void setCameraPreviewEnabled(bool enabled);

    static QString exposureTimeText(std::int64_t hundredsOfMicroseconds);
    static QString temperatureText(std::int64_t kelvin);
    static QList<Choice> choices(UVCControlID id);

signals:
    void controlsChanged();
    void valuesChanged();

private:
    struct Probe;
    struct Reading;
    // Edits not yet taken by the camera's thread, the latest per control: a drag on a slow camera
    // sends where it ended, not every step on the way.
    struct PendingWrites {
        std::mutex mutex;
        std::map<UVCControlID, std::int64_t> values;
    };

    Row sliderRow(const QString& label, UVCControlID id, const UVCControl& control) const;
    void write(UVCControlID id, std::int64_t value);
    void storeUserValue(UVCControlID id, std::int64_t value);
    // Controls whose defaults a read restores first.
    struct Restore {
        QList<UVCControlID> controls;
        bool settableOnly = false;
    };
    // Posts a read of every value, after restoring `restore`'s defaults; its answer is applied
    // except to fields the user wrote since. `continueRefresh` keeps the one-second loop going.
    void read(Restore restore, bool continueRefresh);
    void apply(const Reading& reading, bool continueRefresh);
    void scheduleRefresh();

    MainThreadQueue& queue_;
    std::shared_ptr<UVCSession> session_;
    // Replaced whenever another batch is posted, so that no edit moves ahead of it.
    std::shared_ptr<PendingWrites> pendingWrites_ = std::make_shared<PendingWrites>();
    bool probed_ = false;
    std::array<std::optional<UVCControl>, uvcControlTable.size()> controls_;
    std::optional<UVCControl> privacyControl_;
    ControlValues values_;
    std::optional<std::int64_t> privacyValue_;
    // Each field's last local edit, numbered, so a read that was under way when the user wrote
    // a field doesn't put the old value back.
    std::uint64_t writeCount_ = 0;
    std::array<std::uint64_t, uvcControlTable.size()> lastWrite_{};
    bool cameraPreviewEnabled_;
    bool shown_ = false;
    bool refreshReadInFlight_ = false;
    // Whether the output already says that the camera went, since it last answered.
    bool goneSaid_ = false;
    TimerHandle refresh_;
};

}  // namespace tavrin
