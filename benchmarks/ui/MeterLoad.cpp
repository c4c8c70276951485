// Measures the processor share of a running level meter on a real sound server: the first
// microphone with a format is metered in an on-screen (offscreen platform) meter section for a
// few seconds, and the process's CPU time is compared with the same time spent idle.
// Usage: PULSE_SERVER=... tavrin_meter_load [seconds [source description]]
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "audio/MicrophoneMeter.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/MeterLevelsView.h"
#include "ui/MicrophoneMeterSection.h"
#include "ui/WindowState.h"

using namespace tavrin;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const QString wanted = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = LinuxPlatform::connect(*queue, QString(), std::chrono::seconds(2));
    if (!platform) {
        std::fprintf(stderr, "no sound server answered\n");
        return 1;
    }
    AppContext context(std::move(queue), std::move(platform));
    auto& discovery = context.deviceStore().microphoneDiscovery();
    runFor(500);
    std::shared_ptr<MicrophoneDevice> microphone;
    for (const auto& candidate : discovery.microphones()) {
        if (candidate->activeFormat() && !microphone &&
            (wanted.isEmpty() || candidate->localizedName() == wanted)) {
            microphone = candidate;
        }
    }
    if (!microphone) {
        std::fprintf(stderr, "no microphone with a format\n");
        return 1;
    }
    if (qEnvironmentVariableIsSet("TAVRIN_METER_LOAD_CORE_ONLY")) {
        // The path without pixels: the meter alone, for telling its share from the view's.
        MicrophoneMeter meter(context.queue(), context.platform().audioCapture());
        const double start = cpuSeconds();
        meter.start(microphone->id());
        runFor(seconds * 1000);
        std::printf("meter without view: %.2f %% of one core\n",
                    100 * (cpuSeconds() - start) / seconds);
        return 0;
    }
    WindowState state;
    MicrophoneMeterSection section(
        microphone, state,
        context.platform().deviceFramework().authorizationStatus(SXAuthorizationSource::microphone),
        context.eventLog(), context.queue(), context.platform().audioCapture());
    section.resize(600, 300);
    section.show();
    runFor(500);

    const double idleStart = cpuSeconds();
    runFor(seconds * 1000);
    const double idle = cpuSeconds() - idleStart;

    state.setMicrophoneMeterEnabled(true);
    runFor(1000);  // the session settles and the first buffers arrive
    const int paintsBefore = section.levelsView()->paintCount();
    const double meteringStart = cpuSeconds();
    runFor(seconds * 1000);
    const double metering = cpuSeconds() - meteringStart;
    const int paints = section.levelsView()->paintCount() - paintsBefore;

    const auto& description = *microphone->activeFormat()->streamDescription;
    std::printf("microphone: %s, %.0f Hz, %u channels\n", qPrintable(microphone->localizedName()),
                description.sampleRate, description.channelsPerFrame);
    std::printf("meter state: %d, repaints: %d in %d s\n", int(section.meter().state().kind),
                paints, seconds);
    std::printf("cpu idle: %.2f %% of one core; metering: %.2f %%; meter's share: %.2f %%\n",
                100 * idle / seconds, 100 * metering / seconds, 100 * (metering - idle) / seconds);
    return 0;
}
