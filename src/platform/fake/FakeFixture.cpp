#include "platform/fake/FakeFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "runtime/FourCharCode.h"

namespace tavrin {

namespace {

// Reads one JSON object, remembering where it is for the error message. The first problem wins.
class Reader {
public:
    Reader(const QJsonObject& object, QString path, QString* error)
        : object_(object), path_(std::move(path)), error_(error) {}

    bool failed() const { return !error_->isEmpty(); }

    QString string(const char* key, bool required, QString fallback = {}) {
        const auto value = object_.value(QLatin1String(key));
        if (value.isUndefined() && !required) {
            return fallback;
        }
        if (!value.isString() || (required && value.toString().isEmpty())) {
            fail(key, "expected a non-empty string");
            return fallback;
        }
        return value.toString();
    }

    bool boolean(const char* key, bool fallback) {
        const auto value = object_.value(QLatin1String(key));
        if (value.isUndefined()) {
            return fallback;
        }
        if (!value.isBool()) {
            fail(key, "expected true or false");
            return fallback;
        }
        return value.toBool();
    }

    // A whole number within [minimum, maximum].
    std::optional<double> integer(const char* key, double minimum, double maximum) {
        return integer(key, minimum, maximum, true);
    }
    // The same, or nothing without complaint when the key is absent.
    std::optional<double> optionalInteger(const char* key, double minimum, double maximum) {
        return integer(key, minimum, maximum, false);
    }
    std::optional<double> integer(const char* key, double minimum, double maximum, bool required) {
        const auto value = object_.value(QLatin1String(key));
        if (value.isUndefined() && !required) {
            return std::nullopt;
        }
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || !std::isfinite(number) || number != std::trunc(number) ||
            number < minimum || number > maximum) {
            fail(key, "expected a whole number in range");
            return std::nullopt;
        }
        return number;
    }

    std::optional<QRectF> rectangle(const char* key, bool required) {
        const auto value = object_.value(QLatin1String(key));
        if (value.isUndefined() && !required) {
            return std::nullopt;
        }
        const auto array = value.toArray();
        bool ok = value.isArray() && array.size() == 4;
        for (const auto& element : array) {
            ok = ok && element.isDouble() && std::isfinite(element.toDouble());
        }
        if (!ok) {
            fail(key, "expected [x, y, width, height]");
            return std::nullopt;
        }
        return QRectF(array[0].toDouble(), array[1].toDouble(), array[2].toDouble(),
                      array[3].toDouble());
    }

    std::int32_t transportType(const char* key) {
        const auto value = object_.value(QLatin1String(key));
        if (value.isString()) {
            if (const auto code = fourCharCodeFromText(value.toString())) {
                return std::int32_t(*code);
            }
        } else if (value.isDouble()) {
            const double number = value.toDouble();
            if (number == std::trunc(number) && number >= INT32_MIN && number <= INT32_MAX) {
                return std::int32_t(number);
            }
        } else if (value.isUndefined()) {
            return 0;
        }
        fail(key, "expected a four-character code or a 32-bit number");
        return 0;
    }

    QJsonArray array(const char* key) {
        const auto value = object_.value(QLatin1String(key));
        if (!value.isUndefined() && !value.isArray()) {
            fail(key, "expected an array");
        }
        return value.toArray();
    }

    Reader child(const QJsonValue& value, const QString& path) {
        if (!value.isObject() && !failed()) {
            *error_ = path + QStringLiteral(": expected an object");
        }
        return Reader(value.toObject(), path, error_);
    }

    const QJsonObject& object() const { return object_; }
    const QString& path() const { return path_; }

    void fail(const char* key, const char* what) {
        if (!failed()) {
            *error_ = path_ + QLatin1Char('.') + QLatin1String(key) + QStringLiteral(": ") +
                      QLatin1String(what);
        }
    }

private:
    QJsonObject object_;
    QString path_;
    QString* error_;
};

QString indexPath(const QString& path, const char* key, qsizetype index) {
    return QStringLiteral("%1.%2[%3]").arg(path, QLatin1String(key)).arg(index);
}

SXAvailability availabilityOf(Reader& reader) {
    return SXAvailability::fromRawValue(
        reader.string("availability", false, QStringLiteral("available")));
}

// A capture device's formats: [{"size": [w, h], "pixelFormat": "420v", "fps": [min, max],
// "colorSpaces": [0, 1], "centerStage": true}, ...].
QList<CaptureFormat> readFormats(Reader& device) {
    QList<CaptureFormat> formats;
    const auto array = device.array("formats");
    for (qsizetype index = 0; index < array.size() && !device.failed(); ++index) {
        auto reader = device.child(array[index], indexPath(device.path(), "formats", index));
        auto format = std::make_shared<CaptureDeviceFormat>();
        const auto size = reader.object().value(QStringLiteral("size")).toArray();
        if (size.size() != 2 || !size[0].isDouble() || !size[1].isDouble()) {
            reader.fail("size", "expected [width, height]");
            break;
        }
        format->width = size[0].toInt();
        format->height = size[1].toInt();
        const auto code = fourCharCodeFromText(reader.string("pixelFormat", true));
        if (!code) {
            reader.fail("pixelFormat", "expected a four-character code");
            break;
        }
        format->mediaSubtype = *code;
        const auto fps = reader.object().value(QStringLiteral("fps")).toArray();
        if (fps.size() == 2 && fps[0].toDouble() > 0 && fps[1].toDouble() >= fps[0].toDouble()) {
            const double minimum = fps[0].toDouble();
            const double maximum = fps[1].toDouble();
            format->frameRateRanges = {
                {minimum, maximum, MediaTime::make(1000, std::int32_t(std::lround(maximum * 1000))),
                 MediaTime::make(1000, std::int32_t(std::lround(minimum * 1000)))}};
        }
        for (const auto& space : reader.array("colorSpaces")) {
            format->supportedColorSpaces.append(space.toInt());
        }
        format->isCenterStageSupported = reader.boolean("centerStage", false);
        formats.append(format);
    }
    return formats;
}

QList<FakeCaptureSourceSpec> readCaptureSources(Reader& root, const char* key) {
    QList<FakeCaptureSourceSpec> sources;
    const auto array = root.array(key);
    for (qsizetype index = 0; index < array.size() && !root.failed(); ++index) {
        auto reader = root.child(array[index], indexPath(root.path(), key, index));
        FakeCaptureSourceSpec spec;
        spec.id = reader.string("id", true);
        spec.values.localizedName = reader.string("name", true);
        spec.values.manufacturer = reader.string("manufacturer", false);
        spec.values.modelID = reader.string("modelID", false);
        spec.values.isVirtual = reader.boolean("isVirtual", false);
        spec.values.availability = availabilityOf(reader);
        spec.isDeskView = reader.boolean("deskView", false);
        const auto capture = reader.object().value(QStringLiteral("captureDevice"));
        if (!capture.isUndefined() && !capture.isNull()) {
            auto captureReader =
                reader.child(capture, reader.path() + QStringLiteral(".captureDevice"));
            spec.captureDevice =
                FakeCaptureDeviceSpec{captureReader.string("deviceType", true),
                                      captureReader.transportType("transportType")};
            spec.captureDevice->position =
                CameraPosition(captureReader.optionalInteger("position", 0, 2).value_or(0));
            spec.captureDevice->formats = readFormats(captureReader);
            // A microphone's one format: {"sampleRate": 48000, "channels": 1, "bits": 24}.
            const auto audioFormat = captureReader.object().value(QStringLiteral("audioFormat"));
            if (!audioFormat.isUndefined()) {
                auto formatReader = captureReader.child(
                    audioFormat, captureReader.path() + QStringLiteral(".audioFormat"));
                const auto rate = formatReader.integer("sampleRate", 8000, 768000);
                const auto channels = formatReader.integer("channels", 1, 64);
                const auto bits = formatReader.integer("bits", 8, 32);
                if (rate && channels && bits) {
                    auto format = std::make_shared<CaptureDeviceFormat>();
                    format->mediaSubtype = linearPCMFormat;
                    format->streamDescription = interleavedLinearPCM(
                        *rate, std::uint32_t(*channels), std::uint32_t(*bits), false);
                    spec.captureDevice->formats = {format};
                }
            }
            spec.captureDevice->activeFormat = int(
                captureReader
                    .optionalInteger("activeFormat", 0,
                                     std::max<qsizetype>(0, spec.captureDevice->formats.size() - 1))
                    .value_or(0));
            spec.captureDevice->activeColorSpace =
                int(captureReader.optionalInteger("activeColorSpace", 0, 3).value_or(0));
        }
        const auto location = reader.string("uvcLocationID", false);
        if (!location.isEmpty()) {
            bool ok = false;
            const auto value = location.toLongLong(&ok, 16);
            if (ok && value > 0 && value <= UINT32_MAX) {
                spec.uvcLocationID = value;
            } else {
                reader.fail("uvcLocationID", "expected a hexadecimal USB location");
            }
        }
        const auto audio = reader.object().value(QStringLiteral("audioDevice"));
        if (!audio.isUndefined() && !audio.isNull()) {
            auto audioReader = reader.child(audio, reader.path() + QStringLiteral(".audioDevice"));
            FakeAudioDeviceSpec device;
            device.uid = spec.id;
            device.isRunningSomewhere = audioReader.boolean("isRunningSomewhere", false);
            device.isMuted = audioReader.boolean("isMuted", false);
            if (const auto volume = audioReader.integer("volumePercent", 0, 100)) {
                device.volume = float(*volume / 100.0);
            }
            spec.audioDevice = device;
        }
        sources.append(spec);
    }
    return sources;
}

QList<FakeDisplaySpec> readDisplays(Reader& root) {
    QList<FakeDisplaySpec> displays;
    const auto array = root.array("displays");
    for (qsizetype index = 0; index < array.size() && !root.failed(); ++index) {
        auto reader = root.child(array[index], indexPath(root.path(), "displays", index));
        FakeDisplaySpec spec;
        spec.id = DisplayID(reader.integer("id", 1, UINT32_MAX).value_or(0));
        spec.values.localizedName = reader.string("name", true);
        spec.values.symbolName = reader.string("symbolName", false);
        spec.values.frame = reader.rectangle("frame", true).value_or(QRectF());
        spec.values.visibleFrame = reader.rectangle("visibleFrame", false);
        spec.values.isMain = reader.boolean("isMain", false);
        spec.values.availability = availabilityOf(reader);
        const bool builtIn = reader.boolean("builtIn", false);
        const auto scale = reader.object().contains(QStringLiteral("scale"))
                               ? reader.integer("scale", 1, 4).value_or(1)
                               : 1.0;
        spec.hardware = FakeDisplaySpec::hardwareFor(spec.values.frame, scale, builtIn);
        displays.append(spec);
    }
    return displays;
}

template <typename Enum, std::size_t Count>
std::optional<Enum> lookup(const QString& text,
                           const std::pair<const char*, Enum> (&table)[Count]) {
    for (const auto& [name, value] : table) {
        if (text == QLatin1String(name)) {
            return value;
        }
    }
    return std::nullopt;
}

QList<FakeScenarioStep> readScenario(Reader& root) {
    static const std::pair<const char*, FakeScenarioStep::Action> actions[] = {
        {"unplug", FakeScenarioStep::Action::unplug},
        {"replug", FakeScenarioStep::Action::replug},
        {"setAvailability", FakeScenarioStep::Action::setAvailability},
        {"setName", FakeScenarioStep::Action::setName},
        {"startUsing", FakeScenarioStep::Action::startUsing},
        {"stopUsing", FakeScenarioStep::Action::stopUsing},
        {"setMuted", FakeScenarioStep::Action::setMuted},
    };
    static const std::pair<const char*, FakeDeviceKind> kinds[] = {
        {"camera", FakeDeviceKind::camera},
        {"microphone", FakeDeviceKind::microphone},
        {"display", FakeDeviceKind::display},
    };
    QList<FakeScenarioStep> steps;
    const auto array = root.array("scenario");
    for (qsizetype index = 0; index < array.size() && !root.failed(); ++index) {
        auto reader = root.child(array[index], indexPath(root.path(), "scenario", index));
        FakeScenarioStep step;
        step.at = std::chrono::milliseconds(
            qint64(reader.integer("atMs", 0, 24.0 * 3600 * 1000).value_or(0)));
        const auto action = lookup(reader.string("action", true), actions);
        const auto kind = lookup(reader.string("kind", true), kinds);
        step.deviceID = reader.string("id", true);
        step.value = reader.string("value", false);
        if (!action) {
            reader.fail("action", "unknown action");
        }
        if (!kind) {
            reader.fail("kind", "expected camera, microphone or display");
        }
        if (reader.failed()) {
            break;
        }
        step.action = *action;
        step.kind = *kind;
        steps.append(step);
    }
    return steps;
}

}  // namespace

std::optional<FakeFixture> FakeFixture::parse(const QByteArray& json, QString* error) {
    QString message;
    QJsonParseError parseError;
    const auto document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        message = parseError.error != QJsonParseError::NoError
                      ? QStringLiteral("fixture: %1 at offset %2")
                            .arg(parseError.errorString())
                            .arg(parseError.offset)
                      : QStringLiteral("fixture: expected an object");
        if (error) {
            *error = message;
        }
        return std::nullopt;
    }

    Reader root(document.object(), QStringLiteral("fixture"), &message);
    FakeFixture fixture;
    fixture.cameras = readCaptureSources(root, "cameras");
    fixture.microphones = readCaptureSources(root, "microphones");
    fixture.displays = readDisplays(root);
    for (const auto& symbol : root.array("symbols")) {
        fixture.symbols.append(symbol.toString());
    }
    auto authorization =
        root.child(document.object().value(QStringLiteral("authorization")).toObject(),
                   QStringLiteral("fixture.authorization"));
    fixture.isCameraAuthorized = authorization.boolean("camera", true);
    fixture.isMicrophoneAuthorized = authorization.boolean("microphone", true);
    fixture.scenario = readScenario(root);

    if (!message.isEmpty()) {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    }
    return fixture;
}

FakeDisplayHardware FakeDisplaySpec::hardwareFor(const QRectF& frame, double scale, bool builtIn) {
    FakeDisplayHardware hardware;
    const DisplayMode mode{frame.width() * scale, frame.height() * scale, builtIn ? 120.0 : 60.0,
                           DisplayMode::nativeFlag};
    hardware.currentMode = mode;
    hardware.allModes = QList<DisplayMode>{
        DisplayMode{mode.pixelWidth / 2, mode.pixelHeight / 2, mode.refreshRate, 0}, mode};
    hardware.pixelsWide = mode.pixelWidth;
    hardware.pixelsHigh = mode.pixelHeight;
    hardware.physicalSize = QSizeF(frame.width() * 0.2, frame.height() * 0.2);
    hardware.isBuiltin = builtIn;
    hardware.screen = ScreenInfo{
        0, scale, QStringLiteral("sRGB IEC61966-2.1"), builtIn ? 16.0 : 1.0, 1.0, builtIn ? 10 : 8};
    return hardware;
}

FakeFixture FakeFixture::demo() {
    QFile file(QStringLiteral(":/fake/demo.json"));
    QString error;
    std::optional<FakeFixture> fixture;
    if (file.open(QIODevice::ReadOnly)) {
        fixture = parse(file.readAll(), &error);
    }
    // The demo ships inside the binary and is covered by a test, so this only guards a broken
    // build: an empty platform is still a working one.
    return fixture.value_or(FakeFixture{});
}

}  // namespace tavrin
