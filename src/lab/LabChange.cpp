#include "lab/LabChange.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "camera/CameraText.h"
#include "catalogue/DeviceEventLog.h"
#include "catalogue/DeviceStore.h"
#include "runtime/FourCharCode.h"
#include "uvc/UVCControlTable.h"
#include "uvc/UVCControlsModel.h"

namespace tavrin {

namespace {

using Change = std::variant<LabChange, QString>;

std::optional<std::pair<QString, QString>> split(const QString& setting) {
    const auto equals = setting.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        return std::nullopt;
    }
    return std::pair(setting.left(equals).trimmed().toLower(), setting.mid(equals + 1).trimmed());
}

// A mode or colour space by its name (case and spaces don't matter) or by its number.
std::optional<int> named(const QString& text, int count, QString (*name)(int)) {
    const auto simplified = [](QString value) {
        return value.remove(QLatin1Char(' '))
            .remove(QLatin1Char('.'))
            .remove(QLatin1Char('-'))
            .toLower();
    };
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber) {
        return number >= 0 && number < count ? std::optional(number) : std::nullopt;
    }
    for (int value = 0; value < count; ++value) {
        if (simplified(name(value)) == simplified(text)) {
            return value;
        }
    }
    return std::nullopt;
}

QString failureText(const std::optional<ConfigurationError>& error) {
    return error ? error->localizedDescription() : QString();
}

// The result of a camera command: its error, or how to undo it.
LabChange::Result cameraResult(const std::optional<ConfigurationError>& error,
                               std::function<void()> restore) {
    if (error) {
        return failureText(error);
    }
    return AppliedChange{std::move(restore)};
}

Change formatChange(const std::shared_ptr<CameraDevice>& camera, const QString& value) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,5})x(\\d{1,5})(?:@(\\d{1,4}(?:\\.\\d{1,3})?))?(?::(.{4}))?$"));
    const auto match = pattern.match(value);
    if (!match.hasMatch()) {
        return QStringLiteral("format takes WxH@FPS[:FOURCC], such as 1280x720@30:420v");
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    const double fps = match.captured(3).isEmpty() ? 0 : match.captured(3).toDouble();
    const auto code = match.captured(4);
    CaptureFormat chosen;
    for (const auto& format : camera->formats()) {
        if (!format || format->width != width || format->height != height ||
            (!code.isEmpty() && fourCharCodeText(format->mediaSubtype) != code)) {
            continue;
        }
        const bool rateFits =
            fps == 0 || std::any_of(format->frameRateRanges.cbegin(),
                                    format->frameRateRanges.cend(), [fps](const auto& range) {
                                        return fps >= range.minFrameRate - 1e-6 &&
                                               fps <= range.maxFrameRate + 1e-6;
                                    });
        if (rateFits) {
            chosen = format;
            break;
        }
    }
    if (!chosen) {
        QStringList offered;
        for (const auto& format : camera->formats()) {
            if (format) {
                offered.append(CameraText::format(format));
            }
        }
        return QStringLiteral("%1 has no format %2 (it has: %3)")
            .arg(camera->localizedName(), value,
                 offered.isEmpty() ? QStringLiteral("none") : offered.join(QStringLiteral(", ")));
    }
    return LabChange{[camera, chosen, fps]() -> LabChange::Result {
        const auto oldFormat = camera->activeFormat();
        const auto oldDuration = camera->activeMinFrameDuration();
        if (const auto error = camera->setActiveFormat(chosen)) {
            return failureText(error);
        }
        if (fps > 0) {
            const auto duration = MediaTime::make(1000, std::int32_t(std::lround(fps * 1000)));
            if (const auto error = camera->setFrameDuration(duration)) {
                return failureText(error);
            }
        }
        return AppliedChange{[camera, oldFormat, oldDuration] {
            if (oldFormat) {
                camera->setActiveFormat(oldFormat);
            }
            if (oldDuration.isValid()) {
                camera->setFrameDuration(oldDuration);
            }
        }};
    }};
}

Change cameraSetting(const std::shared_ptr<CameraDevice>& camera, const QString& name,
                     const QString& value) {
    if (!camera->avDevice()) {
        return camera->localizedName() + QStringLiteral(" has no capture device to configure");
    }
    if (name == QLatin1String("format")) {
        return formatChange(camera, value);
    }
    if (name == QLatin1String("colorspace")) {
        const auto space = named(value, 4, CameraText::colorSpace);
        if (!space) {
            return QStringLiteral("unknown colour space \"%1\"").arg(value);
        }
        return LabChange{[camera, space = *space]() -> LabChange::Result {
            const int old = camera->activeColorSpace();
            return cameraResult(camera->setActiveColorSpace(space),
                                [camera, old] { camera->setActiveColorSpace(old); });
        }};
    }
    using Setter = std::optional<ConfigurationError> (CameraDevice::*)(int);
    struct ModeSetting {
        const char* name;
        int count;
        QString (*text)(int);
        int (CameraDevice::*current)() const;
        Setter set;
    };
    static const std::array<ModeSetting, 3> modes{{
        {"exposure", 4, CameraText::exposureMode, &CameraDevice::exposureMode,
         &CameraDevice::setExposureMode},
        {"focus", 3, CameraText::focusMode, &CameraDevice::focusMode, &CameraDevice::setFocusMode},
        {"whitebalance", 3, CameraText::whiteBalanceMode, &CameraDevice::whiteBalanceMode,
         &CameraDevice::setWhiteBalanceMode},
    }};
    for (const auto& mode : modes) {
        if (name != QLatin1String(mode.name)) {
            continue;
        }
        const auto chosen = named(value, mode.count, mode.text);
        if (!chosen) {
            return QStringLiteral("unknown %1 mode \"%2\"").arg(QLatin1String(mode.name), value);
        }
        return LabChange{[camera, mode, chosen = *chosen]() -> LabChange::Result {
            const int old = ((*camera).*mode.current)();
            return cameraResult(((*camera).*mode.set)(chosen),
                                [camera, mode, old] { ((*camera).*mode.set)(old); });
        }};
    }
    return QStringLiteral(
               "a camera takes format=, colorspace=, exposure=, focus= or "
               "whitebalance=, not \"%1\"")
        .arg(name);
}

// Runs a microphone command; its failure is a "Failed ..." line in the device's log, which the
// runner looks for after the command.
Change microphoneCommand(std::function<void()> command, std::function<void()> restore) {
    return LabChange{
        [command = std::move(command), restore = std::move(restore)]() -> LabChange::Result {
            command();
            return AppliedChange{restore};
        }};
}

Change microphoneSetting(AppContext& context, const std::shared_ptr<MicrophoneDevice>& microphone,
                         const QString& name, const QString& value) {
    const auto& deviceName = microphone->localizedName();
    if (name == QLatin1String("volume")) {
        bool isNumber = false;
        const double volume = value.toDouble(&isNumber);
        if (!isNumber || !(volume >= 0 && volume <= 1)) {
            return QStringLiteral("volume takes a number from 0 to 1");
        }
        if (!microphone->isVolumeSettable()) {
            return deviceName + QStringLiteral("'s volume can't be set");
        }
        const auto old = microphone->volume();
        return microphoneCommand([microphone, volume] { microphone->setVolume(float(volume)); },
                                 [microphone, old] {
                                     if (old) {
                                         microphone->setVolume(*old);
                                     }
                                 });
    }
    if (name == QLatin1String("mute")) {
        const auto lower = value.toLower();
        if (lower != QLatin1String("on") && lower != QLatin1String("off")) {
            return QStringLiteral("mute takes on or off");
        }
        if (!microphone->isMuteSettable()) {
            return deviceName + QStringLiteral(" can't be muted from here");
        }
        const bool muted = lower == QLatin1String("on");
        const bool old = microphone->isMuted();
        return microphoneCommand([microphone, muted] { microphone->setMuted(muted); },
                                 [microphone, old] { microphone->setMuted(old); });
    }
    if (name == QLatin1String("rate")) {
        bool isNumber = false;
        const double rate = value.toDouble(&isNumber);
        if (!isNumber || !(rate > 0 && rate <= 10'000'000)) {
            return QStringLiteral("rate takes a sample rate in hertz");
        }
        if (!microphone->isSampleRateSettable()) {
            return deviceName + QStringLiteral("'s sample rate can't be set");
        }
        const auto old = microphone->sampleRate();
        return microphoneCommand([microphone, rate] { microphone->setSampleRate(rate); },
                                 [microphone, old] {
                                     if (old) {
                                         microphone->setSampleRate(*old);
                                     }
                                 });
    }
    if (name == QLatin1String("input")) {
        for (const auto& source : microphone->inputSources()) {
            if (source.inputSourceID == value ||
                source.localizedName.compare(value, Qt::CaseInsensitive) == 0) {
                const auto old = microphone->activeInputSource();
                return microphoneCommand(
                    [microphone, source] { microphone->setActiveInputSource(source); },
                    [microphone, old] {
                        if (old) {
                            microphone->setActiveInputSource(*old);
                        }
                    });
            }
        }
        return QStringLiteral("%1 has no input source \"%2\"").arg(deviceName, value);
    }
    if (name == QLatin1String("default")) {
        std::shared_ptr<MicrophoneDevice> previous;
        for (const auto& other : context.deviceStore().microphoneDiscovery().microphones()) {
            if (other->isDefaultInput()) {
                previous = other;
            }
        }
        return microphoneCommand([microphone] { microphone->makeDefaultInput(); },
                                 [previous] {
                                     if (previous) {
                                         previous->makeDefaultInput();
                                     }
                                 });
    }
    return QStringLiteral(
               "a microphone takes volume=, mute=, rate=, input= or default, not "
               "\"%1\"")
        .arg(name);
}

const std::array<std::pair<UVCControlID, const char*>, 17> uvcNames{{
    {UVCControlID::brightness, "brightness"},
    {UVCControlID::contrast, "contrast"},
    {UVCControlID::saturation, "saturation"},
    {UVCControlID::sharpness, "sharpness"},
    {UVCControlID::hue, "hue"},
    {UVCControlID::hueAuto, "hue-auto"},
    {UVCControlID::gamma, "gamma"},
    {UVCControlID::gain, "gain"},
    {UVCControlID::backlightCompensation, "backlight-compensation"},
    {UVCControlID::aeMode, "ae-mode"},
    {UVCControlID::exposureTime, "exposure-time"},
    {UVCControlID::focusAuto, "focus-auto"},
    {UVCControlID::focusAbsolute, "focus"},
    {UVCControlID::whiteBalanceAuto, "white-balance-auto"},
    {UVCControlID::whiteBalanceTemperature, "white-balance-temperature"},
    {UVCControlID::zoomAbsolute, "zoom"},
    {UVCControlID::powerLineFrequency, "power-line-frequency"},
}};

bool isToggle(UVCControlID id) {
    return id == UVCControlID::hueAuto || id == UVCControlID::focusAuto ||
           id == UVCControlID::whiteBalanceAuto;
}

// How long the lab waits for a camera's answer to a batch of UVC requests.
constexpr std::chrono::seconds uvcAnswerTimeout{5};

// Asks the camera's thread and waits for its answer: the lab has no window to keep responsive.
// Absent when the controller isn't open or doesn't answer in time.
template <typename Result>
std::optional<Result> askUVC(UVCSession& session, std::function<Result(UVCController&)> batch) {
    return session.call<Result>(std::move(batch), uvcAnswerTimeout);
}

// Writes through the controls model as the section's slider, switch or picker does. The write
// is queued on the camera's thread, behind the model's probe and ahead of any later read.
void writeUVC(MainThreadQueue& queue, const std::shared_ptr<UVCSession>& session, UVCControlID id,
              std::int64_t value) {
    UVCControlsModel model(queue, session);
    if (isToggle(id)) {
        model.setToggle(id, value != 0);
    } else if (!UVCControlsModel::choices(id).isEmpty()) {
        model.choose(id, value);
    } else {
        model.setSliderValue(id, double(value));
    }
}

}  // namespace

QStringList LabChange::uvcControlNames() {
    QStringList names;
    for (const auto& [id, name] : uvcNames) {
        names.append(QString::fromLatin1(name));
    }
    return names;
}

std::variant<LabChange, QString> LabChange::setting(AppContext& context, const DeviceEntry& entry,
                                                    const QString& setting) {
    if (const auto microphone = entry.microphone();
        microphone && setting.trimmed().toLower() == QLatin1String("default")) {
        return microphoneSetting(context, microphone, QStringLiteral("default"), {});
    }
    const auto parts = split(setting);
    if (!parts) {
        return QStringLiteral("\"%1\" is not NAME=VALUE").arg(setting);
    }
    if (const auto camera = entry.camera()) {
        return cameraSetting(camera, parts->first, parts->second);
    }
    if (const auto microphone = entry.microphone()) {
        return microphoneSetting(context, microphone, parts->first, parts->second);
    }
    return QStringLiteral(
        "set changes cameras and microphones; use move or make-main for a "
        "display");
}

std::variant<LabChange, QString> LabChange::uvcControl(AppContext& context,
                                                       const DeviceEntry& entry,
                                                       const QString& setting) {
    const auto camera = entry.camera();
    if (!camera) {
        return QStringLiteral("uvc takes a camera");
    }
    const auto parts = split(setting);
    if (!parts) {
        return QStringLiteral("\"%1\" is not NAME=VALUE").arg(setting);
    }
    std::optional<UVCControlID> id;
    for (const auto& [candidate, name] : uvcNames) {
        if (parts->first == QLatin1String(name)) {
            id = candidate;
        }
    }
    if (!id) {
        return QStringLiteral("unknown UVC control \"%1\" (tavrin uvc CAMERA --list names them)")
            .arg(parts->first);
    }
    const auto& text = parts->second;
    std::optional<std::int64_t> value;
    if (isToggle(*id)) {
        const auto lower = text.toLower();
        if (lower == QLatin1String("on") || lower == QLatin1String("off")) {
            value = lower == QLatin1String("on") ? 1 : 0;
        }
    } else {
        for (const auto& choice : UVCControlsModel::choices(*id)) {
            if (choice.label.compare(text, Qt::CaseInsensitive) == 0) {
                value = choice.value;
            }
        }
        bool isNumber = false;
        const auto number = text.toLongLong(&isNumber);
        if (!value && isNumber) {
            value = number;
        }
    }
    if (!value) {
        return QStringLiteral("\"%1\" is not a value for %2").arg(text, parts->first);
    }
    const auto session = camera->uvcController();
    const auto control =
        session ? askUVC<std::optional<UVCControl>>(
                      *session,
                      [id = *id](UVCController& controller) {
                          const auto& spec = uvcControlSpec(id);
                          return controller.control(spec.unit, spec.selector, spec.byteCount);
                      })
                : std::nullopt;
    if (!control) {
        return camera->localizedName() + QStringLiteral(" has no UVC controls");
    }
    if (!*control) {
        return QStringLiteral("%1 has no %2 control").arg(camera->localizedName(), parts->first);
    }
    if (!(*control)->supportsSet) {
        return QStringLiteral("%1's %2 can't be set").arg(camera->localizedName(), parts->first);
    }
    return LabChange{[&queue = context.queue(), camera, session, control = **control, id = *id,
                      value = *value, name = parts->first]() -> LabChange::Result {
        auto read = [&] {
            return askUVC<std::optional<std::int64_t>>(
                       *session,
                       [control](UVCController&) { return UVCController::currentValue(control); })
                .value_or(std::nullopt);
        };
        const auto old = read();
        if (!old) {
            return QStringLiteral("%1 did not answer for %2").arg(camera->localizedName(), name);
        }
        // Written through the controls model as the section's slider, switch or picker does;
        // the read after it waits behind the write on the camera's thread.
        writeUVC(queue, session, id, value);
        const auto now = read();
        if (now != control.clamped(value)) {
            return QStringLiteral("%1 kept %2 at %3")
                .arg(camera->localizedName(), name,
                     now ? QString::number(*now) : QStringLiteral("no value"));
        }
        // Putting the old value back waits for the camera (bounded), so that the lab doesn't
        // end with the write still queued.
        return AppliedChange{[&queue, session, id, old = *old] {
            writeUVC(queue, session, id, old);
            session->waitUntilIdle(uvcAnswerTimeout);
        }};
    }};
}

}  // namespace tavrin
