#pragma once

#include <QHash>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/fake/FakeAudioCapture.h"
#include "platform/fake/FakeAudioHardware.h"
#include "platform/fake/FakeCaptureDeviceService.h"
#include "platform/fake/FakeDeviceFramework.h"
#include "platform/fake/FakeFixture.h"
#include "platform/fake/FakeMediaIO.h"
#include "platform/fake/FakeProcessNameService.h"
#include "platform/fake/FakeSymbolCatalog.h"
#include "platform/fake/FakeUvcCamera.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/Mutex.h"

namespace tavrin {

// The in-memory platform of the tests and the demo: seeded from a fixture, changed by mutators
// from any thread, calling back through its own notification thread.
class FakePlatform final : public Platform {
public:
    explicit FakePlatform(MainThreadQueue& queue, const FakeFixture& fixture = {});
    ~FakePlatform() override;

    DeviceFramework& deviceFramework() override { return framework_; }
    CaptureDeviceService& captureDevices() override { return captureDevices_; }
    const SymbolCatalog& symbols() const override { return symbols_; }
    ObjectPropertyService& audioHardware() override { return audioHardware_; }
    ProcessNameService& processNames() override { return processNames_; }
    std::shared_ptr<UsbService> usb() override { return usb_; }
    ObjectPropertyService& mediaIO() override { return mediaIO_; }
    AudioCaptureService& audioCapture() override { return audioCapture_; }
    DisplayServices& displayServices() override { return displayServices_; }

    FakeDeviceFramework& fakeFramework() { return framework_; }
    FakeCaptureDeviceService& fakeCaptureDevices() { return captureDevices_; }
    FakeAudioHardware& fakeAudioHardware() { return audioHardware_; }
    FakeProcessNameService& fakeProcessNames() { return processNames_; }
    FakeUsbService& fakeUsb() { return *usb_; }
    FakeMediaIO& fakeMediaIO() { return mediaIO_; }
    FakeAudioCaptureService& fakeAudioCapture() { return audioCapture_; }
    FakeDisplayServices& fakeDisplayServices() { return displayServices_; }
    NotificationThread& notifications() { return *notifications_; }

    // Blocks until every callback queued on the notification thread has been posted to the
    // main thread (tests then run the main-thread queue).
    void waitForNotifications() { notifications_->waitUntilIdle(); }

    // A camera or microphone appears: its capture device first, then a new framework object.
    void plugCamera(const FakeCaptureSourceSpec& spec);
    void plugMicrophone(const FakeCaptureSourceSpec& spec);
    void plugDisplay(const FakeDisplaySpec& spec);
    // The device leaves the framework's list and the capture service.
    void unplugCamera(const QString& id);
    void unplugMicrophone(const QString& id);
    void unplugDisplay(DisplayID id);
    // Plugs a device of the fixture (or plugged earlier) again, as a new framework object.
    bool replug(FakeDeviceKind kind, const QString& id);

    // Another process starts or stops capturing from a camera: the media I/O device runs and
    // the capture device reports being in use by another application.
    void setCameraInUseByAnotherProcess(const QString& id, bool inUse);

    void setAvailability(FakeDeviceKind kind, const QString& id, const SXAvailability& value);
    void setLocalizedName(FakeDeviceKind kind, const QString& id, const QString& name);

    // Runs the fixture's timed scenario on the main-thread queue's clock.
    void startScenario(const QList<FakeScenarioStep>& steps);

private:
    void plugCaptureSource(FakeDeviceKind kind, const FakeCaptureSourceSpec& spec);
    void unplugCaptureSource(FakeDeviceKind kind, const QString& id);
    void runStep(const FakeScenarioStep& step);
    std::optional<ObjectID> audioDeviceID(const QString& uid);
    template <typename Mutate>
    void change(FakeDeviceKind kind, const QString& id, Mutate mutate);

    // Destroyed last of all callbacks' targets: the destructor stops it first.
    std::unique_ptr<NotificationThread> notifications_;
    MainThreadQueue& queue_;
    FakeDeviceFramework framework_;
    FakeCaptureDeviceService captureDevices_;
    FakeSymbolCatalog symbols_;
    FakeAudioHardware audioHardware_;
    FakeProcessNameService processNames_;
    std::shared_ptr<FakeUsbService> usb_ = std::make_shared<FakeUsbService>();
    FakeMediaIO mediaIO_;
    FakeAudioCaptureService audioCapture_;
    FakeDisplayServices displayServices_;
    // Every device plugged so far, for replugging; mutators may come from any thread.
    struct KnownDevices {
        QHash<QString, FakeCaptureSourceSpec> cameras;
        QHash<QString, FakeCaptureSourceSpec> microphones;
        QHash<DisplayID, FakeDisplaySpec> displays;
    };
    Mutex<KnownDevices> known_;
    std::vector<TimerHandle> scenarioTimers_;
};

}  // namespace tavrin
