#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin::testing {

// A mode as xrandr's --newmode takes it: the pixel clock in MHz and the horizontal and vertical
// timings.
struct ModeLine {
    QString name;
    double clockMHz = 0;
    int width = 0, hSyncStart = 0, hSyncEnd = 0, hTotal = 0;
    int height = 0, vSyncStart = 0, vSyncEnd = 0, vTotal = 0;
};

// What the display contract tests do to a display server from outside the application: what a
// user does with xrandr on a real X server, and the same through the fake's mutators. Outputs
// are named as the dummy driver names them. The starting layout: DUMMY0 at 1024×768 and 85 Hz,
// primary, at the origin; DUMMY1 at 1280×1024 and 60 Hz to its right; DUMMY2 mirroring DUMMY0;
// every other output off.
class DisplayServerDriver {
public:
    virtual ~DisplayServerDriver() = default;

    // "fake" or "xorg".
    virtual QString kind() const = 0;
    // Why the tests can't run here, when they can't (no server was started for them).
    virtual QString unavailableReason() const { return {}; }
    virtual bool resetLayout() = 0;
    virtual std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) = 0;

    virtual std::optional<DisplayID> outputID(const QString& output) = 0;
    // Adds the mode to the output and shows it there at `position`.
    virtual bool addAndSetMode(const QString& output, const ModeLine& mode, QPoint position) = 0;
    virtual bool switchOff(const QString& output) = 0;
    // Shows the output again with its first mode, at `position`.
    virtual bool switchOn(const QString& output, QPoint position) = 0;
    // Gives the output an EDID; an empty one removes it.
    virtual bool setEdid(const QString& output, const QByteArray& edid) = 0;

    // As the server's own tool reports it: the output's rectangle while it shows a picture.
    virtual std::optional<QRect> queriedFrame(const QString& output) = 0;
    virtual QString queriedPrimary() = 0;
    // An origin for the output that the server will refuse.
    virtual QPoint refusedOrigin(const QString& output) = 0;

    // The driver of a kind; the real one reads its display from TAVRIN_TEST_X_DISPLAY.
    static std::unique_ptr<DisplayServerDriver> make(const QString& kind);
    // The real driver of an X server at `display` (":3").
    static std::unique_ptr<DisplayServerDriver> makeXorg(const QString& display);
};

}  // namespace tavrin::testing
