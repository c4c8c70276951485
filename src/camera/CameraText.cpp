#include "camera/CameraText.h"

#include <QHash>

#include "platform/CaptureDevice.h"
#include "runtime/FourCharCode.h"
#include "runtime/TextFormat.h"

namespace tavrin::CameraText {

namespace {

QString named(int value, std::initializer_list<const char*> names) {
    if (value >= 0 && value < int(names.size())) {
        return QString::fromUtf8(names.begin()[value]);
    }
    return QString::number(value);
}

}  // namespace

QString format(const CaptureFormat& format) {
    if (!format) {
        return absentText();
    }
    const auto subtype = fourCharCodeText(format->mediaSubtype);
    auto text = QStringLiteral("%1\u00d7%2 %3").arg(format->width).arg(format->height).arg(subtype);
    if (const auto name = pixelFormatName(subtype)) {
        text += QStringLiteral(" (") + *name + QLatin1Char(')');
    }
    return text;
}

QString frameRate(const MediaTime& frameDuration) {
    const double seconds = frameDuration.seconds();
    if (!frameDuration.isValid() || !(seconds > 0)) {
        return absentText();
    }
    return localizedNumberTextWithoutGrouping(1.0 / seconds) + QStringLiteral(" fps");
}

QString exposureMode(int mode) {
    return named(mode, {"Locked", "Auto", "Continuous", "Custom"});
}

QString focusMode(int mode) {
    return named(mode, {"Locked", "Auto", "Continuous"});
}

QString whiteBalanceMode(int mode) {
    return focusMode(mode);
}

QString colorSpace(int colorSpace) {
    return named(colorSpace, {"sRGB", "P3 D65", "HLG BT.2020", "Apple Log"});
}

std::optional<QString> pixelFormatName(const QString& fourCharacterText) {
    static const QHash<QString, QString> names{
        {QStringLiteral("420v"), QStringLiteral("NV12")},
        {QStringLiteral("420f"), QStringLiteral("NV12")},
        {QStringLiteral("yuvs"), QStringLiteral("YUY2")},
        {QStringLiteral("2vuy"), QStringLiteral("UYVY")},
        {QStringLiteral("y420"), QStringLiteral("I420")},
        {QStringLiteral("x420"), QStringLiteral("P010")},
        {QStringLiteral("xf20"), QStringLiteral("P010")},
        {QStringLiteral("dmb1"), QStringLiteral("MJPG")},
        {QStringLiteral("jpeg"), QStringLiteral("MJPG")},
        {QStringLiteral("avc1"), QStringLiteral("H264")},
        {QStringLiteral("hvc1"), QStringLiteral("HEVC")},
    };
    const auto found = names.constFind(fourCharacterText);
    return found == names.constEnd() ? std::nullopt : std::optional(*found);
}

QString deviceType(const QString& deviceType) {
    if (deviceType == CaptureDeviceType::builtInWideAngleCamera) {
        return QStringLiteral("Built-in Wide Angle");
    }
    if (deviceType == CaptureDeviceType::continuityCamera) {
        return QStringLiteral("Continuity Camera");
    }
    if (deviceType == CaptureDeviceType::deskViewCamera) {
        return QStringLiteral("Desk View");
    }
    if (deviceType == CaptureDeviceType::external) {
        return QStringLiteral("External");
    }
    return QString(deviceType).remove(QStringLiteral("AVCaptureDeviceType"));
}

}  // namespace tavrin::CameraText
