// How long the main thread is held while a webcam takes seconds to answer each UVC request: the
// camera inspector over the Linux platform and the fake V4L2 tree, with a delay on every control
// ioctl, a brightness edit every 200 ms, and a timer that records the longest gap between its
// ticks on the main thread. Not a Google Benchmark: it runs for wall-clock seconds.
//
//   tavrin_uvc_hung_camera [SECONDS] [DELAY_MS]    (defaults 20 and 2000)

#include <linux/videodev2.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/CameraInspectorView.h"
#include "ui/InspectorSliderRow.h"
#include "ui/UVCInspectorSection.h"
#include "ui/WindowState.h"

using namespace tavrin;
using namespace std::chrono_literals;

int main(int argc, char** argv) {
    // It measures the main thread, not the screen: it runs headless unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int delayMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 2000;
    const auto nodes =
        FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"));
    if (!nodes) {
        std::fprintf(stderr, "no fixture\n");
        return 1;
    }
    auto fake = std::make_shared<FakeV4L2System>(*nodes);
    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = LinuxPlatform::connect(*queue, QStringLiteral("unix:/nonexistent/tavrin"), 0ms,
                                           {fake, std::nullopt});
    AppContext context(std::move(queue), std::move(platform));
    WindowState state;
    std::unique_ptr<CameraInspectorView> view;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    int edits = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        ++ticks;
        if (!view) {
            const auto& cameras = context.deviceStore().cameraDiscovery().cameras();
            if (!cameras.isEmpty()) {
                // Slow from here on: the cameras are listed.
                fake->setSimulatedRequestDelay(std::chrono::milliseconds(delayMs));
                view = std::make_unique<CameraInspectorView>(context, state, cameras.first());
                view->show();
            }
        }
        if (view && view->uvcSection() && ticks % 40 == 0) {
            if (auto* slider = view->uvcSection()->slider(UVCControlID::brightness)) {
                emit slider->valueEdited(100 + edits++ % 50);
            }
        }
        if (now > seconds * 1000) {
            application.quit();
        }
    });
    ticker.start(5);
    application.exec();
    std::printf(
        "%d s with %d ms per control request: longest main-thread gap %lld ms over %d "
        "ticks of 5 ms; UVC sections %s; %d edits; brightness on the device %d\n",
        seconds, delayMs, longestGap, ticks,
        view && view->uvcSection() && !view->uvcSection()->sections().isEmpty() ? "shown"
                                                                                : "not yet probed",
        edits, fake->controlValue(QStringLiteral("video0"), V4L2_CID_BRIGHTNESS).value_or(-1));
    std::fflush(stdout);
    std::_Exit(0);  // the camera's thread may still be in a 2 s request
}
