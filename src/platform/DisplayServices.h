#pragma once

#include <QList>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/SXDisplay.h"
#include "runtime/Subscription.h"

namespace tavrin {

using DisplayError = std::int32_t;  // 0 is success
using DisplayConfiguration = std::uint64_t;

namespace DisplayErrorCode {
inline constexpr DisplayError success = 0;
inline constexpr DisplayError failure = 1000;
inline constexpr DisplayError illegalArgument = 1001;
inline constexpr DisplayError invalidConnection = 1002;
inline constexpr DisplayError cannotComplete = 1004;
inline constexpr DisplayError notImplemented = 1006;
inline constexpr DisplayError invalidOperation = 1010;
}  // namespace DisplayErrorCode

struct DisplayMode {
    static constexpr std::uint32_t nativeFlag = 0x02000000;

    double pixelWidth = 0;
    double pixelHeight = 0;
    double refreshRate = 0;
    std::uint32_t ioFlags = 0;

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// A screen of the window server, matched to a display by its number.
struct ScreenInfo {
    DisplayID displayNumber = 0;
    double backingScaleFactor = 1;
    std::optional<QString> colorSpaceName;
    double maximumPotentialEDRHeadroom = 1;
    double maximumEDRHeadroom = 1;
    int bitsPerSample = 8;
};

// The OS display services and the window server's screen list. Main thread.
class DisplayServices {
public:
    virtual ~DisplayServices() = default;

    virtual std::optional<DisplayMode> currentMode(DisplayID display) = 0;
    // Absent when the list can't be had.
    virtual std::optional<QList<DisplayMode>> allModes(DisplayID display) = 0;
    virtual double pixelsWide(DisplayID display) = 0;
    virtual double pixelsHigh(DisplayID display) = 0;
    // The display this one mirrors; 0 or 0xFFFFFFFF for none.
    virtual DisplayID mirrorsDisplay(DisplayID display) = 0;
    virtual double rotation(DisplayID display) = 0;
    // In millimetres.
    virtual QSizeF screenSize(DisplayID display) = 0;
    virtual bool isBuiltin(DisplayID display) = 0;

    virtual DisplayError beginConfiguration(DisplayConfiguration& configuration) = 0;
    virtual DisplayError configureOrigin(DisplayConfiguration configuration, DisplayID display,
                                         std::int32_t x, std::int32_t y) = 0;
    // Applies the configuration permanently.
    virtual DisplayError completeConfiguration(DisplayConfiguration configuration) = 0;
    virtual DisplayError cancelConfiguration(DisplayConfiguration configuration) = 0;
    // Makes the display the primary one, which the desktop's panels follow. Gives
    // `notImplemented` where no such setting exists and the main display is the one at the
    // global origin.
    virtual DisplayError setPrimaryDisplay(DisplayID display) = 0;

    virtual QList<ScreenInfo> screens() = 0;
    // Called on the main thread after the screens' parameters changed.
    [[nodiscard]] virtual Subscription observeScreenParameters(std::function<void()> onChange) = 0;
};

}  // namespace tavrin
