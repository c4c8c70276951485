#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/CaptureDevice.h"
#include "platform/CaptureDeviceFormat.h"
#include "platform/SXCaptureSource.h"
#include "platform/SXDisplay.h"
#include "platform/fake/FakeAudioHardware.h"
#include "platform/fake/FakeDisplayServices.h"

namespace tavrin {

struct FakeCaptureDeviceSpec {
    QString deviceType;
    std::int32_t transportType = 0;
    CameraPosition position = CameraPosition::unspecified;
    QList<CaptureFormat> formats;
    int activeFormat = 0;  // an index into `formats`
    int activeColorSpace = 0;
};

struct FakeCaptureSourceSpec {
    QString id;
    SXCaptureSource::Values values;
    bool isDeskView = false;
    // Absent when the framework lists a device that the capture service doesn't know.
    std::optional<FakeCaptureDeviceSpec> captureDevice;
    // For a microphone: the audio device of the same UID, when the audio hardware has one.
    std::optional<FakeAudioDeviceSpec> audioDevice;
    // For a camera: the USB location of a UVC webcam behind it, plugged with the fixture.
    std::optional<std::int64_t> uvcLocationID;
};

struct FakeDisplaySpec {
    DisplayID id = 0;
    SXDisplay::Values values;
    // Absent: a plain display at the frame's size, 60 Hz, scale 1, in the screen list.
    std::optional<FakeDisplayHardware> hardware;

    // The display services' view of a display described only by its frame and scale.
    static FakeDisplayHardware hardwareFor(const QRectF& frame, double scale, bool builtIn);
};

enum class FakeDeviceKind { camera, microphone, display };

// One timed change of the demo scenario.
struct FakeScenarioStep {
    enum class Action { unplug, replug, setAvailability, setName, startUsing, stopUsing, setMuted };

    std::chrono::milliseconds at{0};
    Action action = Action::unplug;
    FakeDeviceKind kind = FakeDeviceKind::camera;
    QString deviceID;  // a display's ID in decimal
    QString value;
};

// The seed of the fake platform: its devices, symbols, authorization and a timed scenario.
struct FakeFixture {
    QList<FakeCaptureSourceSpec> cameras;
    QList<FakeCaptureSourceSpec> microphones;
    QList<FakeDisplaySpec> displays;
    QStringList symbols;
    bool isCameraAuthorized = true;
    bool isMicrophoneAuthorized = true;
    QList<FakeScenarioStep> scenario;

    // Parses a fixture file. Anything malformed gives no fixture and a message naming the place.
    static std::optional<FakeFixture> parse(const QByteArray& json, QString* error);

    // The fixture built into the application for the demo.
    static FakeFixture demo();
};

}  // namespace tavrin
