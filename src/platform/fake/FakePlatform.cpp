#include "platform/fake/FakePlatform.h"

#include "platform/fake/FakeUvcWebcam.h"

namespace tavrin {

FakePlatform::FakePlatform(MainThreadQueue& queue, const FakeFixture& fixture)
    : notifications_(std::make_unique<NotificationThread>()),
      queue_(queue),
      framework_(queue, *notifications_, fixture.isCameraAuthorized,
                 fixture.isMicrophoneAuthorized),
      captureDevices_(*notifications_),
      symbols_(fixture.symbols),
      audioHardware_(*notifications_),
      mediaIO_(*notifications_),
      displayServices_(queue, *notifications_) {
    // The test picture follows the camera's active format and frame rate as they change.
    framework_.previews().setFormatLookup([devices = &captureDevices_](const QString& id)
                                              -> std::optional<FakeCameraPreviews::StreamFormat> {
        const auto device = devices->fakeDevice(id);
        if (!device || !device->isConnected()) {
            return std::nullopt;
        }
        const auto format = device->activeFormat();
        FakeCameraPreviews::StreamFormat stream;
        stream.size = format ? QSize(format->width, format->height) : QSize(640, 480);
        const auto duration = device->activeVideoMinFrameDuration();
        if (duration.isValid() && duration.value > 0) {
            stream.framesPerSecond = 1.0 / duration.seconds();
        }
        return stream;
    });
    // A completed configuration moves the framework's displays to their new origins.
    displayServices_.setOnArrangementChanged([this](const QHash<DisplayID, QPointF>& origins) {
        for (auto it = origins.cbegin(); it != origins.cend(); ++it) {
            framework_.displays().change(it.key(), [origin = it.value()](SXDisplay& display) {
                auto frame = display.frame.value();
                frame.moveTopLeft(origin);
                display.frame.send(frame);
                display.isMain.send(origin == QPointF(0, 0));
            });
        }
    });
    displayServices_.setOnPrimaryChanged([this](DisplayID primary) {
        const auto known = known_.withLock([](const KnownDevices& devices) { return devices; });
        for (auto it = known.displays.cbegin(); it != known.displays.cend(); ++it) {
            framework_.displays().change(it.key(),
                                         [isMain = it.key() == primary](SXDisplay& display) {
                                             display.isMain.send(isMain);
                                         });
        }
    });
    for (const auto& camera : fixture.cameras) {
        // The USB side of a webcam stays plugged for the run; only its capture device comes
        // and goes with the scenario.
        if (camera.uvcLocationID) {
            usb_->plug(makeFakeWebcam(*camera.uvcLocationID));
        }
        plugCamera(camera);
    }
    for (const auto& microphone : fixture.microphones) {
        plugMicrophone(microphone);
    }
    for (const auto& display : fixture.displays) {
        plugDisplay(display);
    }
}

FakePlatform::~FakePlatform() {
    // The picture threads read the capture devices, which go before the framework does.
    framework_.previews().stopAll();
    scenarioTimers_.clear();
    // Deliver what is in flight and stop, before the objects its callbacks name go away.
    notifications_.reset();
}

void FakePlatform::plugCamera(const FakeCaptureSourceSpec& spec) {
    plugCaptureSource(FakeDeviceKind::camera, spec);
}

void FakePlatform::plugMicrophone(const FakeCaptureSourceSpec& spec) {
    plugCaptureSource(FakeDeviceKind::microphone, spec);
}

void FakePlatform::plugCaptureSource(FakeDeviceKind kind, const FakeCaptureSourceSpec& spec) {
    if (spec.captureDevice) {
        FakeCaptureDeviceState device;
        device.uniqueID = spec.id;
        device.deviceType = spec.captureDevice->deviceType;
        device.transportType = spec.captureDevice->transportType;
        device.position = spec.captureDevice->position;
        device.formats = spec.captureDevice->formats;
        if (spec.captureDevice->activeFormat < device.formats.size()) {
            device.activeFormat = device.formats[spec.captureDevice->activeFormat];
            if (!device.activeFormat->frameRateRanges.isEmpty()) {
                const auto& range = device.activeFormat->frameRateRanges.first();
                device.activeVideoMinFrameDuration = range.minFrameDuration;
                device.activeVideoMaxFrameDuration = range.minFrameDuration;
            }
        }
        device.activeColorSpace = spec.captureDevice->activeColorSpace;
        captureDevices_.add(device);
    }
    known_.withLock([&](KnownDevices& known) {
        (kind == FakeDeviceKind::camera ? known.cameras : known.microphones).insert(spec.id, spec);
    });
    if (kind == FakeDeviceKind::camera) {
        mediaIO_.addDevice(spec.id);
        framework_.setDeskView(spec.id, spec.isDeskView);
        framework_.cameras().plug(std::make_shared<SXCamera>(spec.id, spec.values));
    } else {
        std::uint32_t channels = 2;
        if (spec.captureDevice && spec.captureDevice->activeFormat >= 0 &&
            spec.captureDevice->activeFormat < spec.captureDevice->formats.size()) {
            const auto& format = spec.captureDevice->formats[spec.captureDevice->activeFormat];
            if (format->streamDescription && format->streamDescription->channelsPerFrame > 0) {
                channels = std::min<std::uint32_t>(format->streamDescription->channelsPerFrame, 64);
            }
        }
        audioCapture_.addDevice(spec.id, channels);
        if (spec.audioDevice && !audioDeviceID(spec.id)) {
            audioHardware_.addDevice(*spec.audioDevice);
        }
        framework_.microphones().plug(std::make_shared<SXMicrophone>(spec.id, spec.values));
    }
}

std::optional<ObjectID> FakePlatform::audioDeviceID(const QString& uid) {
    const auto device = readProperty<std::uint32_t>(
        audioHardware_, systemObjectID, globalAddress(AudioSelector::translateUIDToDevice), uid);
    return device && *device != unknownObjectID ? std::optional<ObjectID>(*device) : std::nullopt;
}

void FakePlatform::plugDisplay(const FakeDisplaySpec& spec) {
    known_.withLock([&](KnownDevices& known) { known.displays.insert(spec.id, spec); });
    displayServices_.setDisplay(
        spec.id, spec.hardware.value_or(FakeDisplaySpec::hardwareFor(spec.values.frame, 1, false)));
    framework_.displays().plug(std::make_shared<SXDisplay>(spec.id, spec.values));
}

void FakePlatform::unplugCamera(const QString& id) {
    unplugCaptureSource(FakeDeviceKind::camera, id);
}

void FakePlatform::unplugMicrophone(const QString& id) {
    unplugCaptureSource(FakeDeviceKind::microphone, id);
}

void FakePlatform::unplugCaptureSource(FakeDeviceKind kind, const QString& id) {
    captureDevices_.remove(id);
    if (kind == FakeDeviceKind::camera) {
        mediaIO_.removeDevice(id);
        framework_.cameras().unplug(id);
    } else {
        audioCapture_.removeDevice(id);
        if (const auto device = audioDeviceID(id)) {
            audioHardware_.removeDevice(*device);
        }
        framework_.microphones().unplug(id);
    }
}

void FakePlatform::unplugDisplay(DisplayID id) {
    framework_.displays().unplug(id);
}

bool FakePlatform::replug(FakeDeviceKind kind, const QString& id) {
    const auto known = known_.withLock([](const KnownDevices& devices) { return devices; });
    switch (kind) {
        case FakeDeviceKind::camera:
            if (known.cameras.contains(id)) {
                plugCamera(known.cameras.value(id));
                return true;
            }
            return false;
        case FakeDeviceKind::microphone:
            if (known.microphones.contains(id)) {
                plugMicrophone(known.microphones.value(id));
                return true;
            }
            return false;
        case FakeDeviceKind::display:
            if (known.displays.contains(DisplayID(id.toUInt()))) {
                plugDisplay(known.displays.value(DisplayID(id.toUInt())));
                return true;
            }
            return false;
    }
    return false;
}

void FakePlatform::setCameraInUseByAnotherProcess(const QString& id, bool inUse) {
    mediaIO_.setRunningSomewhere(id, inUse);
    if (const auto device = captureDevices_.fakeDevice(id)) {
        device->change(
            {CaptureKeyPath::inUseByAnotherApplication},
            [inUse](FakeCaptureDeviceState& state) { state.isInUseByAnotherApplication = inUse; });
    }
}

template <typename Mutate>
void FakePlatform::change(FakeDeviceKind kind, const QString& id, Mutate mutate) {
    switch (kind) {
        case FakeDeviceKind::camera:
            framework_.cameras().change(id, mutate);
            break;
        case FakeDeviceKind::microphone:
            framework_.microphones().change(id, mutate);
            break;
        case FakeDeviceKind::display:
            framework_.displays().change(DisplayID(id.toUInt()), mutate);
            break;
    }
}

void FakePlatform::setAvailability(FakeDeviceKind kind, const QString& id,
                                   const SXAvailability& value) {
    change(kind, id, [value](auto& device) { device.availability.send(value); });
}

void FakePlatform::setLocalizedName(FakeDeviceKind kind, const QString& id, const QString& name) {
    change(kind, id, [name](auto& device) { device.localizedName.send(name); });
}

void FakePlatform::startScenario(const QList<FakeScenarioStep>& steps) {
    for (const auto& step : steps) {
        scenarioTimers_.push_back(queue_.schedule(step.at, [this, step] { runStep(step); }));
    }
}

void FakePlatform::runStep(const FakeScenarioStep& step) {
    using Action = FakeScenarioStep::Action;
    switch (step.action) {
        case Action::unplug:
            if (step.kind == FakeDeviceKind::display) {
                unplugDisplay(DisplayID(step.deviceID.toUInt()));
            } else {
                unplugCaptureSource(step.kind, step.deviceID);
            }
            break;
        case Action::replug:
            replug(step.kind, step.deviceID);
            break;
        case Action::setAvailability:
            setAvailability(step.kind, step.deviceID, SXAvailability::fromRawValue(step.value));
            break;
        case Action::setName:
            setLocalizedName(step.kind, step.deviceID, step.value);
            break;
        case Action::setMuted:
            if (const auto device = audioDeviceID(step.deviceID)) {
                audioHardware_.changeProperty(*device, inputAddress(AudioSelector::mute),
                                              std::uint32_t(step.value == QStringLiteral("yes")));
            }
            break;
        case Action::startUsing:
        case Action::stopUsing:
            setCameraInUseByAnotherProcess(step.deviceID, step.action == Action::startUsing);
            break;
    }
}

}  // namespace tavrin
