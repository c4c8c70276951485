#include "lab/DeviceJson.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <cmath>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "camera/CameraText.h"
#include "catalogue/CaptureTransportType.h"
#include "display/DisplayDevice.h"
#include "lab/DeviceResolver.h"
#include "runtime/FourCharCode.h"

namespace tavrin {

namespace {

template <typename T>
QJsonValue orNull(const std::optional<T>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonArray rectArray(const QRectF& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QJsonArray sizeArray(const QSizeF& size) {
    return {size.width(), size.height()};
}

QJsonValue transportName(const CaptureSourceDevice& device) {
    if (!device.avDevice()) {
        return {};
    }
    const CaptureTransportType transport{device.avDevice()->transportType()};
    return orNull(transport.displayName());
}

QJsonObject cameraFormat(const CaptureDeviceFormat& format) {
    QJsonArray rates;
    for (const auto& range : format.frameRateRanges) {
        rates.append(QJsonArray{range.minFrameRate, range.maxFrameRate});
    }
    QJsonArray spaces;
    for (const int space : format.supportedColorSpaces) {
        spaces.append(CameraText::colorSpace(space));
    }
    return {{QStringLiteral("width"), format.width},
            {QStringLiteral("height"), format.height},
            {QStringLiteral("pixelFormat"), fourCharCodeText(format.mediaSubtype)},
            {QStringLiteral("frameRateRanges"), rates},
            {QStringLiteral("colorSpaces"), spaces}};
}

QJsonArray modeNames(const QList<int>& modes, QString (*name)(int)) {
    QJsonArray names;
    for (const int mode : modes) {
        names.append(name(mode));
    }
    return names;
}

QString lockText(const ConfigurationLockState& state) {
    switch (state.kind) {
        case ConfigurationLockState::Kind::unlocked:
            return QStringLiteral("unlocked");
        case ConfigurationLockState::Kind::lockedWithCountdown:
            return QStringLiteral("lockedWithCountdown");
        case ConfigurationLockState::Kind::lockedIndefinitely:
            return QStringLiteral("lockedIndefinitely");
    }
    return {};
}

QString hogText(const HogModeState& state) {
    switch (state.kind) {
        case HogModeState::Kind::notHogged:
            return QStringLiteral("notHogged");
        case HogModeState::Kind::taking:
            return QStringLiteral("taking");
        case HogModeState::Kind::hoggedWithCountdown:
            return QStringLiteral("hoggedWithCountdown");
        case HogModeState::Kind::hoggedIndefinitely:
            return QStringLiteral("hoggedIndefinitely");
    }
    return {};
}

void addCaptureSource(QJsonObject& object, const CaptureSourceDevice& device) {
    object.insert(QStringLiteral("manufacturer"), device.manufacturer());
    object.insert(QStringLiteral("modelID"), device.modelID());
    object.insert(QStringLiteral("availability"), device.availability().caseName());
    object.insert(QStringLiteral("isVirtual"), device.isVirtual());
    object.insert(QStringLiteral("isRunningSomewhere"), device.isRunningSomewhere());
    object.insert(QStringLiteral("isInUseByAnotherApplication"),
                  device.isInUseByAnotherApplication());
    object.insert(QStringLiteral("hasCaptureDevice"), device.avDevice() != nullptr);
    object.insert(QStringLiteral("deviceType"),
                  device.avDevice()
                      ? QJsonValue(CameraText::deviceType(device.avDevice()->deviceType()))
                      : QJsonValue());
    object.insert(QStringLiteral("transport"), transportName(device));
}

void addCamera(QJsonObject& object, CameraDevice& camera) {
    addCaptureSource(object, camera);
    const auto& device = camera.avDevice();
    object.insert(QStringLiteral("isConnected"), camera.isConnected());
    object.insert(QStringLiteral("isSuspended"), camera.isSuspended());
    const auto position = device ? device->position() : CameraPosition::unspecified;
    object.insert(QStringLiteral("position"),
                  position == CameraPosition::back    ? QJsonValue(QStringLiteral("back"))
                  : position == CameraPosition::front ? QJsonValue(QStringLiteral("front"))
                                                      : QJsonValue());
    QJsonArray formats;
    int activeIndex = -1;
    for (const auto& format : camera.formats()) {
        if (format && sameFormat(format, camera.activeFormat())) {
            activeIndex = int(formats.size());
        }
        formats.append(format ? QJsonValue(cameraFormat(*format)) : QJsonValue());
    }
    object.insert(QStringLiteral("formats"), formats);
    object.insert(
        QStringLiteral("activeFormat"),
        camera.activeFormat() ? QJsonValue(cameraFormat(*camera.activeFormat())) : QJsonValue());
    object.insert(QStringLiteral("activeFormatIndex"),
                  activeIndex >= 0 ? QJsonValue(activeIndex) : QJsonValue());
    const auto& duration = camera.activeMinFrameDuration();
    object.insert(QStringLiteral("frameRate"), duration.isValid() && duration.value > 0
                                                   ? QJsonValue(1.0 / duration.seconds())
                                                   : QJsonValue());
    object.insert(QStringLiteral("colorSpace"),
                  camera.activeFormat()
                      ? QJsonValue(CameraText::colorSpace(camera.activeColorSpace()))
                      : QJsonValue());
    object.insert(
        QStringLiteral("exposure"),
        QJsonObject{{QStringLiteral("mode"), CameraText::exposureMode(camera.exposureMode())},
                    {QStringLiteral("supported"),
                     modeNames(camera.supportedExposureModes(), CameraText::exposureMode)}});
    object.insert(QStringLiteral("focus"),
                  QJsonObject{{QStringLiteral("mode"), CameraText::focusMode(camera.focusMode())},
                              {QStringLiteral("supported"),
                               modeNames(camera.supportedFocusModes(), CameraText::focusMode)}});
    object.insert(
        QStringLiteral("whiteBalance"),
        QJsonObject{
            {QStringLiteral("mode"), CameraText::whiteBalanceMode(camera.whiteBalanceMode())},
            {QStringLiteral("supported"),
             modeNames(camera.supportedWhiteBalanceModes(), CameraText::whiteBalanceMode)}});
    object.insert(
        QStringLiteral("effects"),
        QJsonObject{
            {QStringLiteral("centerStageActive"), camera.isCenterStageActive()},
            {QStringLiteral("portraitEffectActive"), camera.isPortraitEffectActive()},
            {QStringLiteral("studioLightActive"), camera.isStudioLightActive()},
            {QStringLiteral("backgroundReplacementActive"), camera.isBackgroundReplacementActive()},
            {QStringLiteral("canPerformReactionEffects"), camera.canPerformReactionEffects()}});
    object.insert(QStringLiteral("configurationLock"),
                  lockText(camera.configurationLock().state()));
}

void addMicrophone(QJsonObject& object, MicrophoneDevice& microphone) {
    addCaptureSource(object, microphone);
    object.insert(QStringLiteral("isConnected"), microphone.isConnected());
    object.insert(QStringLiteral("isMuted"),
                  microphone.isMuteSupported() ? QJsonValue(microphone.isMuted()) : QJsonValue());
    object.insert(QStringLiteral("isMuteSettable"), microphone.isMuteSettable());
    object.insert(QStringLiteral("volume"),
                  microphone.volume()
                      // A float's own digits, not the binary tail a double would show.
                      ? QJsonValue(std::round(double(*microphone.volume()) * 1e6) / 1e6)
                      : QJsonValue());
    object.insert(QStringLiteral("isVolumeSettable"), microphone.isVolumeSettable());
    object.insert(QStringLiteral("sampleRate"), orNull(microphone.sampleRate()));
    QJsonArray rates;
    for (const double rate : microphone.availableSampleRates()) {
        rates.append(rate);
    }
    object.insert(QStringLiteral("availableSampleRates"), rates);
    object.insert(QStringLiteral("isSampleRateSettable"), microphone.isSampleRateSettable());
    QJsonValue format;
    if (const auto& active = microphone.activeFormat()) {
        QJsonObject description{
            {QStringLiteral("summary"), MicrophoneDevice::formatSummary(active)},
            {QStringLiteral("format"), fourCharCodeText(active->mediaSubtype)}};
        if (const auto& stream = active->streamDescription) {
            description.insert(QStringLiteral("channels"), int(stream->channelsPerFrame));
            description.insert(QStringLiteral("bitsPerChannel"), int(stream->bitsPerChannel));
            description.insert(QStringLiteral("framesPerPacket"), int(stream->framesPerPacket));
        }
        format = description;
    }
    object.insert(QStringLiteral("audioFormat"), format);
    QJsonArray sources;
    for (const auto& source : microphone.inputSources()) {
        sources.append(QJsonObject{{QStringLiteral("id"), source.inputSourceID},
                                   {QStringLiteral("name"), source.localizedName}});
    }
    object.insert(QStringLiteral("inputSources"), sources);
    object.insert(QStringLiteral("activeInputSource"),
                  microphone.activeInputSource()
                      ? QJsonValue(microphone.activeInputSource()->inputSourceID)
                      : QJsonValue());
    object.insert(QStringLiteral("isDefaultInput"), microphone.isDefaultInput());
    object.insert(QStringLiteral("exclusiveAccess"), hogText(microphone.audioHogMode().state()));
    object.insert(QStringLiteral("configurationLock"),
                  lockText(microphone.configurationLock().state()));
}

void addDisplay(QJsonObject& object, const DisplayDevice& display) {
    object.insert(QStringLiteral("displayID"), qint64(display.id()));
    object.insert(QStringLiteral("availability"), display.availability().caseName());
    object.insert(QStringLiteral("isMain"), display.isMain());
    object.insert(QStringLiteral("isBuiltIn"), display.isBuiltIn());
    object.insert(QStringLiteral("frame"), rectArray(display.frame()));
    object.insert(
        QStringLiteral("visibleFrame"),
        display.visibleFrame() ? QJsonValue(rectArray(*display.visibleFrame())) : QJsonValue());
    object.insert(QStringLiteral("backingPixelSize"), sizeArray(display.backingPixelSize()));
    object.insert(QStringLiteral("nativePixelSize"),
                  display.nativePixelSize() ? QJsonValue(sizeArray(*display.nativePixelSize()))
                                            : QJsonValue());
    object.insert(QStringLiteral("refreshRate"), orNull(display.refreshRate()));
    object.insert(QStringLiteral("backingScaleFactor"), orNull(display.backingScaleFactor()));
    object.insert(QStringLiteral("colorSpace"), orNull(display.colorSpaceName()));
    object.insert(QStringLiteral("modeCount"), display.modeCount());
    object.insert(QStringLiteral("mirrorOf"),
                  display.mirrorOfID() ? QJsonValue(qint64(*display.mirrorOfID())) : QJsonValue());
    object.insert(QStringLiteral("rotation"), display.rotation());
    object.insert(QStringLiteral("physicalSizeMillimetres"), sizeArray(display.physicalSize()));
    object.insert(QStringLiteral("maxPotentialEDRHeadroom"),
                  orNull(display.maxPotentialEDRHeadroom()));
    object.insert(QStringLiteral("currentEDRHeadroom"), orNull(display.currentEDRHeadroom()));
    object.insert(QStringLiteral("bitsPerSample"), orNull(display.bitsPerSample()));
}

}  // namespace

QJsonObject DeviceJson::deviceList(const DeviceResolver& devices) {
    QJsonArray list;
    for (const auto& entry : devices.entries()) {
        list.append(device(entry, devices.indexInKind(entry)));
    }
    return {{QStringLiteral("version"), schemaVersion}, {QStringLiteral("devices"), list}};
}

QJsonObject DeviceJson::device(const DeviceEntry& entry, int index) {
    const auto status = entry.status();
    QJsonObject object{
        {QStringLiteral("kind"), DeviceEntry::kindNoun(entry.kind())},
        {QStringLiteral("index"), index},
        {QStringLiteral("id"), DeviceResolver::uniqueID(entry)},
        {QStringLiteral("name"), entry.localizedName()},
        {QStringLiteral("isAvailable"), entry.isAvailable()},
        {QStringLiteral("status"), status.label},
        {QStringLiteral("isActive"), status.isActive},
        {QStringLiteral("subtitle"), orNull(entry.subtitle())},
    };
    if (const auto camera = entry.camera()) {
        addCamera(object, *camera);
    } else if (const auto microphone = entry.microphone()) {
        addMicrophone(object, *microphone);
    } else if (const auto display = entry.display()) {
        addDisplay(object, *display);
    }
    return object;
}

QString DeviceJson::timeText(std::chrono::system_clock::time_point time) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(milliseconds, QTimeZone::utc())
        .toString(Qt::ISODateWithMs);
}

QJsonObject DeviceJson::event(const DeviceEvent& event, const DeviceEntry& entry) {
    return {{QStringLiteral("time"), timeText(event.timestamp)},
            {QStringLiteral("deviceID"), DeviceResolver::uniqueID(entry)},
            {QStringLiteral("device"), entry.localizedName()},
            {QStringLiteral("kind"), DeviceEntry::kindNoun(entry.kind())},
            {QStringLiteral("source"), event.source},
            {QStringLiteral("message"), event.message}};
}

QByteArray DeviceJson::line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

}  // namespace tavrin
