#pragma once

#include <QHash>
#include <QPoint>
#include <map>
#include <memory>

#include "platform/DisplayServices.h"
#include "platform/linux/XRandrConnection.h"
#include "platform/linux/XRandrState.h"

namespace tavrin {

// The display services of an X server. Queries answer from the last state the monitor read, so
// they never wait on the server; configuration goes through a connection of the main thread's
// own. Origins collected in a configuration are applied when it completes, in one pass; on X the
// change lasts for the server's session. Main thread.
class XRandrDisplayServices final : public DisplayServices {
public:
    explicit XRandrDisplayServices(std::unique_ptr<XRandrConnection> commands);

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

    // Adopts a newer state; the observers are told apart, once everything else has it too.
    void adopt(const XRandrState& state) { state_ = state; }
    void notifyScreenParametersChanged();

private:
    // The output while it drives a CRTC.
    const XRandrOutputState* active(DisplayID display) const;

    std::unique_ptr<XRandrConnection> commands_;
    XRandrState state_;
    std::map<DisplayConfiguration, QHash<DisplayID, QPoint>> pending_;
    DisplayConfiguration nextConfiguration_ = 1;
    std::shared_ptr<std::map<std::uint64_t, std::function<void()>>> observers_ =
        std::make_shared<std::map<std::uint64_t, std::function<void()>>>();
    std::uint64_t nextObserver_ = 0;
};

}  // namespace tavrin
