#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <map>
#include <memory>

#include "platform/DisplayOnlyFramework.h"
#include "platform/DisplayServices.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The displays of a Wayland session, read-only, from Qt's screens: a Wayland compositor offers
// no portable way to move outputs or choose the primary one. Each screen is a display with an
// ID drawn for its name at first sight, its model (or else its name) as the name, its geometry
// as the frame, its available geometry as the visible frame, and the primary screen as main.
// Its only mode is the current one. Every configuration call fails with `invalidOperation`, and
// the log says why. Needs a QGuiApplication; main thread.
class QScreenDisplays final : public QObject, public DisplayOnlyFramework, public DisplayServices {
    Q_OBJECT
public:
    explicit QScreenDisplays(MainThreadQueue& queue);
    ~QScreenDisplays() override;

    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override;

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

private:
    QScreen* screen(DisplayID display) const;
    DisplayID idFor(const QScreen* screen);
    void watch(QScreen* screen);
    // Publishes once for a burst of screen signals.
    void schedulePublish();
    void publish();
    DisplayError refuse(const char* what) const;

    QHash<QString, DisplayID> ids_;
    DeviceList<SXDisplay> list_;
    std::map<std::uint64_t, DeviceListHandler<SXDisplay>> subscribers_;
    std::map<std::uint64_t, std::function<void()>> observers_;
    std::uint64_t nextHandler_ = 0;
    bool isPublishScheduled_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tavrin
