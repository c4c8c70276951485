#include "camera/CameraDevice.h"

#include <QPointer>

#include "app/AppContext.h"
#include "camera/CMIODeviceUsageMonitor.h"
#include "camera/CameraText.h"
#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/EventSource.h"
#include "runtime/TextFormat.h"

namespace tavrin {

namespace {

QList<CameraFormatSummary> summaries(const QList<CaptureFormat>& formats) {
    QList<CameraFormatSummary> summaries;
    for (const auto& format : formats) {
        summaries.append(CameraFormatSummary::make(*format));
    }
    return summaries;
}

bool sameFormats(const QList<CaptureFormat>& a, const QList<CaptureFormat>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameFormat);
}

QList<int> supportedModes(int count, const std::function<bool(int)>& isSupported) {
    QList<int> modes;
    for (int mode = 0; mode < count; ++mode) {
        if (isSupported(mode)) {
            modes.append(mode);
        }
    }
    return modes;
}

}  // namespace

QString ConfigurationError::localizedDescription() const {
    return kind == Kind::lockFailed
               ? QStringLiteral("Could not configure camera: ") + lockError.localizedDescription
               : QStringLiteral("Camera is not available.");
}

CameraDevice::CameraDevice(AppContext& context, std::shared_ptr<SXCamera> camera)
    : CaptureSourceDevice(context, std::move(camera)) {
    QPointer<CameraDevice> self(this);
    auto framework = sxCamera();
    configurationLock_ = std::make_unique<ConfigurationLockController>(
        context.queue(), context.eventLog(), avDevice(), uuid(), [self, framework] {
            return self ? self->localizedName() : framework->localizedName.value();
        });
}

std::shared_ptr<CameraDevice> CameraDevice::create(AppContext& context,
                                                   std::shared_ptr<SXCamera> camera) {
    std::shared_ptr<CameraDevice> device(new CameraDevice(context, camera));
    // Observe first, then read: a change between the two would otherwise never be seen. One that
    // lands after the observation is in place and before the read is read here and told again
    // later, and the second telling finds the value equal and records nothing.
    device->observeCaptureDevice();
    auto& usage = context.cameraUsageMonitor();
    QPointer<CameraDevice> weak(device.get());
    device->cmioSubscriberID_ = usage.subscribe(device->id(), [weak, &context](bool running) {
        context.queue().post([weak, running] {
            if (weak) {
                weak->setIsRunningSomewhere(running);
            }
        });
    });

    device->readAll();
    if (const auto& capture = device->avDevice()) {
        device->supportedExposureModes_ =
            supportedModes(4, [&](int mode) { return capture->isExposureModeSupported(mode); });
        device->supportedFocusModes_ =
            supportedModes(3, [&](int mode) { return capture->isFocusModeSupported(mode); });
        device->supportedWhiteBalanceModes_ =
            supportedModes(3, [&](int mode) { return capture->isWhiteBalanceModeSupported(mode); });
    }
    const bool isInUseByAnotherApplication =
        device->avDevice() && device->avDevice()->isInUseByAnotherApplication();
    const auto mediaDevice = usage.deviceID(device->id());
    const bool isRunningSomewhere = mediaDevice && usage.isRunningSomewhere(*mediaDevice);
    device->initializeUsage(isInUseByAnotherApplication, isRunningSomewhere);
    device->subscribe(camera);

    QStringList parts{CameraText::format(device->activeFormat_),
                      CameraText::frameRate(device->activeMinFrameDuration_), device->usagePart()};
    parts += device->captureDeviceDiscoveryParts();
    device->recordEvent(discoveryMessage(device->localizedName(), parts), EventSource::discovery);
    return device;
}

CameraDevice::~CameraDevice() {
    if (cmioSubscriberID_) {
        context_.cameraUsageMonitor().unsubscribe(id(), *cmioSubscriberID_);
    }
}

DeviceEntry CameraDevice::entry() {
    return DeviceEntry(shared_from_this());
}

std::shared_ptr<SXCamera> CameraDevice::sxCamera() const {
    return std::static_pointer_cast<SXCamera>(sourceObject());
}

void CameraDevice::update(const std::shared_ptr<SXCamera>& camera) {
    adopt(camera);
}

// The first values, which record nothing. Without a capture device every value keeps its
// neutral start: no formats, invalid durations, colour space 0, flags off, modes continuous.
void CameraDevice::readAll() {
    if (!avDevice()) {
        return;
    }
    const auto& capture = *avDevice();
    activeFormat_ = capture.activeFormat();
    formats_ = capture.formats();
    formatSummaries_ = summaries(formats_);
    activeMinFrameDuration_ = capture.activeVideoMinFrameDuration();
    activeMaxFrameDuration_ = capture.activeVideoMaxFrameDuration();
    activeColorSpace_ = capture.activeColorSpace();
    isConnected_ = capture.isConnected();
    isSuspended_ = capture.isSuspended();
    isCenterStageActive_ = capture.isCenterStageActive();
    isPortraitEffectActive_ = capture.isPortraitEffectActive();
    isStudioLightActive_ = capture.isStudioLightActive();
    if (context_.platform().captureDevices().supportsBackgroundReplacement()) {
        isBackgroundReplacementActive_ = capture.isBackgroundReplacementActive();
    }
    canPerformReactionEffects_ = capture.canPerformReactionEffects();
    exposureMode_ = capture.exposureMode();
    focusMode_ = capture.focusMode();
    whiteBalanceMode_ = capture.whiteBalanceMode();
}

void CameraDevice::observeCaptureDevice() {
    if (!avDevice()) {
        return;
    }
    namespace Key = CaptureKeyPath;
    const std::vector<std::pair<QString, void (CameraDevice::*)()>> groups{
        {Key::activeFormat, &CameraDevice::readActiveFormat},
        {Key::activeVideoMinFrameDuration, &CameraDevice::readFrameDurations},
        {Key::activeVideoMaxFrameDuration, &CameraDevice::readFrameDurations},
        {Key::activeColorSpace, &CameraDevice::readColorSpace},
        {Key::formats, &CameraDevice::readFormats},
        {Key::connected, &CameraDevice::readConnection},
        {Key::suspended, &CameraDevice::readConnection},
        {Key::inUseByAnotherApplication, &CameraDevice::readConnection},
        {Key::centerStageActive, &CameraDevice::readEffects},
        {Key::portraitEffectActive, &CameraDevice::readEffects},
        {Key::studioLightActive, &CameraDevice::readEffects},
        {Key::backgroundReplacementActive, &CameraDevice::readEffects},
        {Key::canPerformReactionEffects, &CameraDevice::readEffects},
        {Key::exposureMode, &CameraDevice::readExposureMode},
        {Key::focusMode, &CameraDevice::readFocusMode},
        {Key::whiteBalanceMode, &CameraDevice::readWhiteBalanceMode},
    };
    const bool hasBackgroundReplacement =
        context_.platform().captureDevices().supportsBackgroundReplacement();
    for (const auto& [keyPath, reread] : groups) {
        if (keyPath != Key::backgroundReplacementActive || hasBackgroundReplacement) {
            observeKeyPath(keyPath, [this, reread = reread] { (this->*reread)(); });
        }
    }
}

void CameraDevice::assignFlag(bool& field, bool value, void (CameraDevice::*signal)(),
                              const QString& label, const QString& source) {
    assignLogged(field, value, signal, label, yesNoText, source);
}

void CameraDevice::readActiveFormat() {
    assignLogged(activeFormat_, avDevice()->activeFormat(), &CameraDevice::activeFormatChanged,
                 QStringLiteral("active format"), CameraText::format, EventSource::capture,
                 sameFormat);
}

void CameraDevice::readFrameDurations() {
    const auto& capture = *avDevice();
    assignLogged(activeMinFrameDuration_, capture.activeVideoMinFrameDuration(),
                 &CameraDevice::activeFrameDurationsChanged, QStringLiteral("max frame rate"),
                 CameraText::frameRate, EventSource::capture);
    assignLogged(activeMaxFrameDuration_, capture.activeVideoMaxFrameDuration(),
                 &CameraDevice::activeFrameDurationsChanged, QStringLiteral("min frame rate"),
                 CameraText::frameRate, EventSource::capture);
}

void CameraDevice::readColorSpace() {
    assignLogged(activeColorSpace_, avDevice()->activeColorSpace(),
                 &CameraDevice::activeColorSpaceChanged, QStringLiteral("color space"),
                 CameraText::colorSpace, EventSource::capture);
}

// Only a change in the number of formats is worth a line in the log.
void CameraDevice::readFormats() {
    const auto formats = avDevice()->formats();
    if (sameFormats(formats_, formats)) {
        return;
    }
    const auto oldCount = formats_.size();
    formats_ = formats;
    formatSummaries_ = summaries(formats_);
    emit formatsChanged();
    if (oldCount != formats_.size()) {
        recordEvent(localizedName() + QStringLiteral(" format list updated: ") +
                        QString::number(oldCount) + QStringLiteral(" \u2192 ") +
                        QString::number(formats_.size()),
                    EventSource::capture);
    }
}

void CameraDevice::readConnection() {
    const auto& capture = *avDevice();
    assignFlag(isConnected_, capture.isConnected(), &CameraDevice::isConnectedChanged,
               QStringLiteral("connected"), EventSource::usage);
    assignFlag(isSuspended_, capture.isSuspended(), &CameraDevice::isSuspendedChanged,
               QStringLiteral("suspended"), EventSource::power);
    setIsInUseByAnotherApplication(capture.isInUseByAnotherApplication());
}

void CameraDevice::readEffects() {
    const auto& capture = *avDevice();
    const auto changed = &CameraDevice::effectsChanged;
    assignFlag(isCenterStageActive_, capture.isCenterStageActive(), changed,
               QStringLiteral("Center Stage active"), EventSource::effects);
    assignFlag(isPortraitEffectActive_, capture.isPortraitEffectActive(), changed,
               QStringLiteral("Portrait Effect active"), EventSource::effects);
    assignFlag(isStudioLightActive_, capture.isStudioLightActive(), changed,
               QStringLiteral("Studio Light active"), EventSource::effects);
    if (context_.platform().captureDevices().supportsBackgroundReplacement()) {
        assignFlag(isBackgroundReplacementActive_, capture.isBackgroundReplacementActive(), changed,
                   QStringLiteral("Background Replace active"), EventSource::effects);
    }
    assignFlag(canPerformReactionEffects_, capture.canPerformReactionEffects(), changed,
               QStringLiteral("reactions available"), EventSource::effects);
}

// Each mode is its own group: a notification for one mode must not log another mode's change
// ahead of that mode's own notification.
void CameraDevice::readExposureMode() {
    assignLogged(exposureMode_, avDevice()->exposureMode(), &CameraDevice::exposureModeChanged,
                 QStringLiteral("exposure mode"), CameraText::exposureMode, EventSource::exposure);
}

void CameraDevice::readFocusMode() {
    assignLogged(focusMode_, avDevice()->focusMode(), &CameraDevice::focusModeChanged,
                 QStringLiteral("focus mode"), CameraText::focusMode, EventSource::focus);
}

void CameraDevice::readWhiteBalanceMode() {
    assignLogged(whiteBalanceMode_, avDevice()->whiteBalanceMode(),
                 &CameraDevice::whiteBalanceModeChanged, QStringLiteral("white balance mode"),
                 CameraText::whiteBalanceMode, EventSource::whiteBalance);
}

QList<LoggedValue> CameraDevice::loggedValues() const {
    auto values = CaptureSourceDevice::loggedValues();
    if (!avDevice()) {
        return values;
    }
    values += {
        {QStringLiteral("active format"), CameraText::format(activeFormat_), EventSource::capture},
        {QStringLiteral("max frame rate"), CameraText::frameRate(activeMinFrameDuration_),
         EventSource::capture},
        {QStringLiteral("min frame rate"), CameraText::frameRate(activeMaxFrameDuration_),
         EventSource::capture},
        {QStringLiteral("color space"), CameraText::colorSpace(activeColorSpace_),
         EventSource::capture},
        {QStringLiteral("connected"), yesNoText(isConnected_), EventSource::usage},
        {QStringLiteral("suspended"), yesNoText(isSuspended_), EventSource::power},
        {QStringLiteral("Center Stage active"), yesNoText(isCenterStageActive_),
         EventSource::effects},
        {QStringLiteral("Portrait Effect active"), yesNoText(isPortraitEffectActive_),
         EventSource::effects},
        {QStringLiteral("Studio Light active"), yesNoText(isStudioLightActive_),
         EventSource::effects},
        {QStringLiteral("Background Replace active"), yesNoText(isBackgroundReplacementActive_),
         EventSource::effects},
        {QStringLiteral("reactions available"), yesNoText(canPerformReactionEffects_),
         EventSource::effects},
        {QStringLiteral("exposure mode"), CameraText::exposureMode(exposureMode_),
         EventSource::exposure},
        {QStringLiteral("focus mode"), CameraText::focusMode(focusMode_), EventSource::focus},
        {QStringLiteral("white balance mode"), CameraText::whiteBalanceMode(whiteBalanceMode_),
         EventSource::whiteBalance},
    };
    return values;
}

std::optional<CameraFormatSummary> CameraDevice::activeFormatSummary() const {
    if (!activeFormat_) {
        return std::nullopt;
    }
    for (qsizetype index = 0; index < formats_.size(); ++index) {
        if (sameFormat(formats_[index], activeFormat_)) {
            return index < formatSummaries_.size() ? std::optional(formatSummaries_[index])
                                                   : std::nullopt;
        }
    }
    return std::nullopt;
}

QString CameraDevice::deviceTypeName() const {
    return avDevice() ? CameraText::deviceType(avDevice()->deviceType()) : QString();
}

std::shared_ptr<UVCSession> CameraDevice::uvcController() {
    if (!uvcController_) {
        std::shared_ptr<UVCSession> session;
        if (avDevice()) {
            session = UVCSession::forCamera(context_.queue(), context_.platform().usb(),
                                            avDevice()->uniqueID());
            // A camera that goes closes its UVC handles at once; if it comes back, the next
            // request opens new ones.
            connect(this, &CameraDevice::isConnectedChanged, this, [this] {
                if (!isConnected_ && uvcController_ && *uvcController_) {
                    (*uvcController_)->run([](UVCController& controller) {
                        controller.noteDeviceGone();
                    });
                }
            });
            session->whenOpened([self = QPointer(this)](bool open) {
                if (self && open && !self->hasUVCController_) {
                    self->hasUVCController_ = true;
                    emit self->hasUVCControllerChanged();
                }
            });
        }
        uvcController_ = std::move(session);
    }
    return *uvcController_;
}

std::optional<ConfigurationError> CameraDevice::configure(
    const std::function<void(CaptureDevice&)>& change) {
    if (!avDevice()) {
        return ConfigurationError{ConfigurationError::Kind::deviceUnavailable, {}};
    }
    auto& capture = *avDevice();
    if (configurationLock_->state().isLocked()) {
        change(capture);  // the controller already holds the lock
        return std::nullopt;
    }
    if (const auto error = capture.lockForConfiguration()) {
        return ConfigurationError{ConfigurationError::Kind::lockFailed, *error};
    }
    change(capture);
    capture.unlockForConfiguration();
    return std::nullopt;
}

std::optional<ConfigurationError> CameraDevice::setActiveFormat(const CaptureFormat& format) {
    return configure([&](CaptureDevice& capture) { capture.setActiveFormat(format); });
}

std::optional<ConfigurationError> CameraDevice::setFrameDuration(const MediaTime& duration) {
    return configure([&](CaptureDevice& capture) {
        capture.setActiveVideoMinFrameDuration(duration);
        capture.setActiveVideoMaxFrameDuration(duration);
    });
}

std::optional<ConfigurationError> CameraDevice::setActiveColorSpace(int colorSpace) {
    return configure([&](CaptureDevice& capture) { capture.setActiveColorSpace(colorSpace); });
}

std::optional<ConfigurationError> CameraDevice::setExposureMode(int mode) {
    return configure([&](CaptureDevice& capture) { capture.setExposureMode(mode); });
}

std::optional<ConfigurationError> CameraDevice::setFocusMode(int mode) {
    return configure([&](CaptureDevice& capture) { capture.setFocusMode(mode); });
}

std::optional<ConfigurationError> CameraDevice::setWhiteBalanceMode(int mode) {
    return configure([&](CaptureDevice& capture) { capture.setWhiteBalanceMode(mode); });
}

}  // namespace tavrin
