#include <benchmark/benchmark.h>

#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/V4L2Cameras.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin {
namespace {

// What the cameras add to a cold start: discovery of the fixture's four cameras (three USB
// webcams and a vivid-like device, with their metadata and output nodes) over the fake device,
// through to the device framework's first complete list on the main thread.
void coldStartWithFourCameras(benchmark::State& state) {
    const auto nodes =
        FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/v4l2-cameras.json"));
    if (!nodes) {
        state.SkipWithError("the camera fixture can't be read");
        return;
    }
    for (auto _ : state) {
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        auto cameras =
            std::make_unique<V4L2Cameras>(*queue, std::make_unique<FakeV4L2System>(*nodes), 1);
        qsizetype listed = 0;
        auto subscription = cameras->deviceFramework().cameraUpdates(
            false, [&](const DeviceList<SXCamera>& list) { listed = list.size(); });
        cameras->start(std::chrono::seconds(5));
        queue->runUntilIdle();
        state.PauseTiming();  // tearing down is no part of the start
        if (listed != 4) {
            state.SkipWithError("the fixture's cameras were not listed");
        }
        subscription.cancel();
        cameras.reset();
        queue.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(coldStartWithFourCameras)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavrin
