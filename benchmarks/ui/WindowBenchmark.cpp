#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "ui/AppDelegate.h"
#include "ui/MainSplitController.h"
#include "ui/MainWindowController.h"
#include "ui/SidebarModel.h"
#include "ui/SidebarViewController.h"
#include "ui/WindowState.h"
#include "ui/WindowTab.h"

namespace tavrin {
namespace {

int listedDevices(SidebarModel& model) {
    int count = 0;
    for (int section = 0; section < model.rowCount(); ++section) {
        count += model.rowCount(model.index(section, 0));
    }
    return count;
}

// From an empty process state to the first window shown with every demo device in its sidebar:
// the platform, the context, the store, the window, and the event loop turns until the lists
// arrived. (Loading the libraries before main is measured apart, with the console program.)
void firstWindowWithTheDemoListed(benchmark::State& state) {
    const int expected = 8;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto queue = std::make_unique<QtMainThreadQueue>();
        auto platform = std::make_unique<FakePlatform>(*queue, FakeFixture::demo());
        AppContext context(std::move(queue), std::move(platform));
        AppDelegate delegate(context);
        auto* window = delegate.openWindow();
        auto& model = *window->currentTab()->split().sidebar()->model();
        while (listedDevices(model) < expected && timer.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (listedDevices(model) < expected) {
            state.SkipWithError("the demo devices never arrived");
        }
    }
}
BENCHMARK(firstWindowWithTheDemoListed)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

FakeCaptureSourceSpec microphoneSpec(int index) {
    FakeCaptureSourceSpec spec;
    spec.id = QStringLiteral("bench-mic-%1").arg(index);
    spec.values.localizedName = QStringLiteral("Bench Mic %1").arg(index, 3, 10, QLatin1Char('0'));
    spec.values.manufacturer = QStringLiteral("Bench");
    return spec;
}

// The sidebar's own work for one change: 100 devices are added one by one, then unplugged one by
// one (the store keeps their models, now not connected), on top of `range(0)` devices already
// listed. Each iteration is one change; only the sidebar's deferred rebuild is timed.
void sidebarUpdatePerChange(benchmark::State& state) {
    const int base = int(state.range(0));
    const int changes = 100;
    auto queue = std::make_unique<VirtualMainThreadQueue>();
    auto& virtualQueue = *queue;
    auto platform = std::make_unique<FakePlatform>(virtualQueue);
    auto& fake = *platform;
    AppContext context(std::move(queue), std::move(platform));
    auto settle = [&] {
        do {
            fake.waitForNotifications();
        } while (virtualQueue.runUntilIdle());
    };
    auto& store = context.deviceStore();
    for (int index = 0; index < base; ++index) {
        fake.plugMicrophone(microphoneSpec(index));
    }
    settle();
    WindowState windowState;
    SidebarViewController sidebar(store, context.platform().symbols(), windowState);
    sidebar.resize(260, 800);
    sidebar.show();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int device = base + step % changes;
        if (step < changes) {
            fake.plugMicrophone(microphoneSpec(device));
        } else {
            fake.unplugMicrophone(microphoneSpec(device).id);
        }
        ++step;
        settle();
        state.ResumeTiming();
        QApplication::sendPostedEvents();  // the sidebar's one deferred rebuild
    }
    state.counters["devices"] = double(listedDevices(*sidebar.model()));
}
BENCHMARK(sidebarUpdatePerChange)->Arg(0)->Arg(500)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavrin
