#pragma once

#include <QHash>
#include <QPointF>
#include <map>

#include "platform/DisplayServices.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// What the fake display services report for one display.
struct FakeDisplayHardware {
    std::optional<DisplayMode> currentMode;
    std::optional<QList<DisplayMode>> allModes = QList<DisplayMode>();
    double pixelsWide = 0;
    double pixelsHigh = 0;
    DisplayID mirrorOf = 0;
    double rotation = 0;
    QSizeF physicalSize;
    bool isBuiltin = false;
    std::optional<ScreenInfo> screen;  // absent: not in the screen list
};

// Displays whose properties a test sets, an arrangement that a completed configuration really
// changes (the platform then moves the framework's displays), and failures on demand.
class FakeDisplayServices final : public DisplayServices {
public:
    enum class Step { begin, configure, complete, cancel };

    FakeDisplayServices(MainThreadQueue& queue, NotificationThread& notifications);

    std::optional<DisplayMode> currentMode(DisplayID display) override;
    std::optional<QList<DisplayMode>> allModes(DisplayID display) override;
    double pixelsWide(DisplayID display) override;
    double pixelsHigh(DisplayID display) override;
    DisplayID mirrorsDisplay(DisplayID display) override;
    double rotation(DisplayID display) override;
    QSizeF screenSize(DisplayID display) override;
    bool isBuiltin(DisplayID display) override;
    DisplayError beginConfiguration(DisplayConfiguration& configuration) override;
    DisplayError configureOrigin(DisplayConfiguration configuration, DisplayID display,
                                 std::int32_t x, std::int32_t y) override;
    DisplayError completeConfiguration(DisplayConfiguration configuration) override;
    DisplayError cancelConfiguration(DisplayConfiguration configuration) override;
    DisplayError setPrimaryDisplay(DisplayID display) override;
    QList<ScreenInfo> screens() override;
    Subscription observeScreenParameters(std::function<void()> onChange) override;

    void setDisplay(DisplayID display, const FakeDisplayHardware& hardware);
    FakeDisplayHardware display(DisplayID display) const { return displays_.value(display); }
    void removeDisplay(DisplayID display);
    // The screens' parameters changed: observers are told on the main thread.
    void notifyScreenParametersChanged();
    // Fails that step (the configure step of one display only, when given) with `error`.
    void failStep(Step step, DisplayError error, std::optional<DisplayID> display = {});
    // Who moves the framework's displays when a configuration completes.
    void setOnArrangementChanged(std::function<void(const QHash<DisplayID, QPointF>&)> apply) {
        onArrangementChanged_ = std::move(apply);
    }
    // Gives the fake a primary-display setting of its own, as an X server has; without it the
    // main display is the one at the origin and setting a primary is not implemented.
    void setHasPrimarySetting(bool hasSetting) { hasPrimarySetting_ = hasSetting; }
    // Who marks the framework's main display when the primary is set.
    void setOnPrimaryChanged(std::function<void(DisplayID)> apply) {
        onPrimaryChanged_ = std::move(apply);
    }
    int callCount(Step step) const { return calls_[std::size_t(step)]; }
    bool isConfigurationOpen() const { return !pending_.empty(); }

private:
    std::optional<DisplayError> fault(Step step, std::optional<DisplayID> display = {});

    MainThreadQueue& queue_;
    NotificationThread& notifications_;
    QHash<DisplayID, FakeDisplayHardware> displays_;
    std::map<DisplayConfiguration, QHash<DisplayID, QPointF>> pending_;
    DisplayConfiguration nextConfiguration_ = 1;
    struct Fault {
        Step step;
        DisplayError error;
        std::optional<DisplayID> display;
    };
    std::vector<Fault> faults_;
    std::array<int, 4> calls_{};
    std::function<void(const QHash<DisplayID, QPointF>&)> onArrangementChanged_;
    bool hasPrimarySetting_ = false;
    std::function<void(DisplayID)> onPrimaryChanged_;
    std::shared_ptr<std::map<std::uint64_t, std::function<void()>>> observers_ =
        std::make_shared<std::map<std::uint64_t, std::function<void()>>>();
    std::uint64_t nextObserver_ = 0;
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
};

}  // namespace tavrin
