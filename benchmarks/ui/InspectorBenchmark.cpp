#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeUvcWebcam.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "ui/CameraInspectorView.h"
#include "ui/DeviceHosts.h"
#include "ui/InspectorView.h"
#include "ui/UVCInspectorSection.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

// A USB webcam with every UVC control and 40 formats: 10 sizes in 4 pixel formats.
FakeCaptureSourceSpec webcamWithFortyFormats() {
    FakeCaptureSourceSpec spec;
    spec.id = QStringLiteral("0x1420000046d0825");
    spec.values.localizedName = QStringLiteral("Bench Webcam");
    spec.values.manufacturer = QStringLiteral("Bench");
    FakeCaptureDeviceSpec device{CaptureDeviceType::external, std::int32_t(fourCC("usb "))};
    const int sizes[][2] = {{160, 120}, {320, 240}, {424, 240},  {640, 360},  {640, 480},
                            {800, 600}, {960, 540}, {1280, 720}, {1600, 896}, {1920, 1080}};
    const FourCharCode codes[] = {fourCC("420v"), fourCC("420f"), fourCC("yuvs"), fourCC("2vuy")};
    for (const auto code : codes) {
        for (const auto& size : sizes) {
            auto format = std::make_shared<CaptureDeviceFormat>();
            format->mediaSubtype = code;
            format->width = size[0];
            format->height = size[1];
            format->frameRateRanges = {{5, 30, MediaTime::make(1, 30), MediaTime::make(1, 5)}};
            format->supportedColorSpaces = {0, 1};
            format->isCenterStageSupported = true;
            device.formats.append(format);
        }
    }
    device.activeFormat = 27;
    spec.captureDevice = device;
    return spec;
}

// Selecting the camera in a window's inspector pane after a microphone: the new inspector is
// built, laid out and painted once. The microphone's inspector is built between iterations and
// not timed.
void cameraInspectorOnSelection(benchmark::State& state) {
    auto queue = std::make_unique<VirtualMainThreadQueue>();
    auto& virtualQueue = *queue;
    auto platform = std::make_unique<FakePlatform>(virtualQueue);
    auto& fake = *platform;
    AppContext context(std::move(queue), std::move(platform));
    auto& store = context.deviceStore();
    fake.fakeUsb().plug(makeFakeWebcam(0x14200000));
    fake.plugCamera(webcamWithFortyFormats());
    FakeCaptureSourceSpec microphone;
    microphone.id = QStringLiteral("bench-mic");
    microphone.values.localizedName = QStringLiteral("Bench Mic");
    fake.plugMicrophone(microphone);
    do {
        fake.waitForNotifications();
    } while (virtualQueue.runUntilIdle());
    const auto camera = store.cameraDiscovery().cameras().first();
    const auto other = store.microphoneDiscovery().microphones().first()->uuid();

    WindowState window;
    InspectorHost host(context, window);
    host.resize(300, 900);
    host.show();
    window.setSelection(other);
    QApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        window.setSelection(camera->uuid());
        host.repaint();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);

        auto* view = host.inspector() ? host.inspector()->cameraView() : nullptr;
        if (!view || !view->uvcSection() || view->uvcSection()->sections().size() != 6) {
            state.SkipWithError("the camera's inspector lacks its UVC sections");
            break;
        }
        window.setSelection(other);
        QApplication::processEvents();
    }
}
BENCHMARK(cameraInspectorOnSelection)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

}  // namespace
}  // namespace tavrin
