#include "platform/linux/V4L2Mapping.h"

#include <linux/videodev2.h>

#include <QStringList>
#include <array>
#include <numeric>

namespace tavrin::V4L2Mapping {

FourCharCode fourCharCode(std::uint32_t pixelFormat) {
    return ((pixelFormat & 0xffU) << 24) | ((pixelFormat & 0xff00U) << 8) |
           ((pixelFormat >> 8) & 0xff00U) | (pixelFormat >> 24);
}

std::uint32_t pixelFormat(FourCharCode code) {
    return fourCharCode(code);  // the byte swap is its own inverse
}

namespace {

constexpr std::array<QSize, 17> standardSizes{{
    {160, 120},
    {176, 144},
    {320, 180},
    {320, 240},
    {352, 288},
    {640, 360},
    {640, 480},
    {800, 600},
    {960, 540},
    {1024, 768},
    {1280, 720},
    {1280, 960},
    {1600, 1200},
    {1920, 1080},
    {2560, 1440},
    {3840, 2160},
    {4096, 2160},
}};

bool onGrid(int value, int minimum, int step) {
    return step <= 1 || (value - minimum) % step == 0;
}

}  // namespace

QList<QSize> standardSizesWithin(QSize minimum, QSize maximum, QSize step) {
    if (minimum.width() <= 0 || minimum.height() <= 0 || maximum.width() < minimum.width() ||
        maximum.height() < minimum.height()) {
        return {};
    }
    QList<QSize> sizes;
    for (const auto& size : standardSizes) {
        if (size.width() >= minimum.width() && size.width() <= maximum.width() &&
            size.height() >= minimum.height() && size.height() <= maximum.height() &&
            onGrid(size.width(), minimum.width(), step.width()) &&
            onGrid(size.height(), minimum.height(), step.height())) {
            sizes.append(size);
        }
    }
    if (sizes.isEmpty()) {
        sizes.append(maximum);
    }
    return sizes;
}

namespace {

// A frame interval n/d seconds as a duration in the smallest exact timescale.
MediaTime intervalDuration(std::uint32_t numerator, std::uint32_t denominator) {
    const auto divisor = std::gcd(numerator, denominator);
    const auto value = numerator / divisor;
    const auto scale = denominator / divisor;
    if (scale > std::uint32_t(INT32_MAX)) {
        return MediaTime::make(std::int64_t(double(value) * 1e9 / double(scale)), 1000000000);
    }
    return MediaTime::make(value, std::int32_t(scale));
}

}  // namespace

std::optional<FrameRateRange> frameRateRange(std::uint32_t minNumerator,
                                             std::uint32_t minDenominator,
                                             std::uint32_t maxNumerator,
                                             std::uint32_t maxDenominator) {
    if (minNumerator == 0 || minDenominator == 0 || maxNumerator == 0 || maxDenominator == 0) {
        return std::nullopt;
    }
    auto shortest = intervalDuration(minNumerator, minDenominator);
    auto longest = intervalDuration(maxNumerator, maxDenominator);
    if (shortest.seconds() > longest.seconds()) {
        std::swap(shortest, longest);
    }
    return FrameRateRange{1.0 / longest.seconds(), 1.0 / shortest.seconds(), shortest, longest};
}

QString colorspaceName(std::uint32_t colorspace) {
    switch (colorspace) {
        case V4L2_COLORSPACE_DEFAULT:
            return QStringLiteral("default");
        case V4L2_COLORSPACE_SMPTE170M:
            return QStringLiteral("SMPTE 170M");
        case V4L2_COLORSPACE_SMPTE240M:
            return QStringLiteral("SMPTE 240M");
        case V4L2_COLORSPACE_REC709:
            return QStringLiteral("Rec. 709");
        case V4L2_COLORSPACE_470_SYSTEM_M:
            return QStringLiteral("470 System M");
        case V4L2_COLORSPACE_470_SYSTEM_BG:
            return QStringLiteral("470 System BG");
        case V4L2_COLORSPACE_JPEG:
            return QStringLiteral("JPEG");
        case V4L2_COLORSPACE_SRGB:
            return QStringLiteral("sRGB");
        case V4L2_COLORSPACE_OPRGB:
            return QStringLiteral("opRGB");
        case V4L2_COLORSPACE_BT2020:
            return QStringLiteral("BT.2020");
        case V4L2_COLORSPACE_RAW:
            return QStringLiteral("raw");
        case V4L2_COLORSPACE_DCI_P3:
            return QStringLiteral("DCI-P3");
        default:
            return QStringLiteral("colorspace %1").arg(colorspace);
    }
}

int captureColorSpace(std::uint32_t colorspace) {
    switch (colorspace) {
        case V4L2_COLORSPACE_DCI_P3:
            return 1;
        case V4L2_COLORSPACE_BT2020:
            return 2;
        default:
            return 0;
    }
}

int exposureMode(std::int32_t exposureAuto) {
    switch (exposureAuto) {
        case V4L2_EXPOSURE_MANUAL:
            return 0;
        case V4L2_EXPOSURE_SHUTTER_PRIORITY:
            return 3;
        default:
            return 2;  // auto, aperture priority, or a value of a newer kernel
    }
}

std::optional<std::int32_t> exposureAutoValue(int mode, const QList<std::int32_t>& offered) {
    QList<std::int32_t> candidates;
    switch (mode) {
        case 0:
            candidates = {V4L2_EXPOSURE_MANUAL};
            break;
        case 2:
            candidates = {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY};
            break;
        case 3:
            candidates = {V4L2_EXPOSURE_SHUTTER_PRIORITY};
            break;
        default:
            return std::nullopt;
    }
    for (const auto value : candidates) {
        if (offered.contains(value)) {
            return value;
        }
    }
    return std::nullopt;
}

int autoSwitchMode(bool on) {
    return on ? 2 : 0;
}

std::optional<bool> autoSwitchValue(int mode) {
    if (mode == 0 || mode == 2) {
        return mode == 2;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> usbLocationID(int bus, const QString& portPath) {
    if (bus < 0 || bus > 0xff) {
        return std::nullopt;
    }
    const auto ports = portPath.split(QLatin1Char('.'));
    if (portPath.isEmpty() || ports.size() > 6) {
        return std::nullopt;
    }
    std::uint32_t location = std::uint32_t(bus) << 24;
    int shift = 20;
    for (const auto& text : ports) {
        bool ok = false;
        const auto port = text.toInt(&ok);
        if (!ok || port < 1 || port > 15) {
            return std::nullopt;
        }
        location |= std::uint32_t(port) << shift;
        shift -= 4;
    }
    return location;
}

QString usbUniqueID(std::uint32_t locationID, std::uint16_t vendorID, std::uint16_t productID) {
    return QStringLiteral("0x%1%2%3")
        .arg(locationID, 8, 16, QLatin1Char('0'))
        .arg(vendorID, 4, 16, QLatin1Char('0'))
        .arg(productID, 4, 16, QLatin1Char('0'));
}

QString unpackedUsbUniqueID(int bus, const QString& portPath, std::uint16_t vendorID,
                            std::uint16_t productID) {
    return QStringLiteral("usb:%1-%2:%3:%4")
        .arg(bus)
        .arg(portPath)
        .arg(vendorID, 4, 16, QLatin1Char('0'))
        .arg(productID, 4, 16, QLatin1Char('0'));
}

QString driverUniqueID(const QString& driver, const QString& busInfo) {
    return QStringLiteral("v4l2:%1:%2").arg(driver, busInfo);
}

bool isVirtualDriver(const QString& driver) {
    static const QStringList drivers{QStringLiteral("vivid"), QStringLiteral("v4l2 loopback"),
                                     QStringLiteral("v4l2loopback"), QStringLiteral("vimc"),
                                     QStringLiteral("vicodec")};
    return drivers.contains(driver);
}

}  // namespace tavrin::V4L2Mapping
