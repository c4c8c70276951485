#include <benchmark/benchmark.h>

#include <linux/videodev2.h>

#include <fcntl.h>

#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/V4L2Mapping.h"
#include "platform/linux/V4L2PreviewStream.h"

namespace tavrin {
namespace {

// The preview's CPU per 1280×720 YUYV frame: dequeue, libv4lconvert to RGB24, queue again. The
// fake device answers at once (an interval of 1/1000 s), so what is measured is the pipeline,
// plus the fake's own filling of each frame, which makes the figure an upper bound.
void previewFrame1280x720Yuyv(benchmark::State& state) {
    FakeV4L2NodeSpec node;
    node.name = QStringLiteral("video0");
    node.driver = QStringLiteral("fake");
    node.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    node.pixelFormat = V4L2_PIX_FMT_YUYV;
    node.width = 1280;
    node.height = 720;
    node.interval = {1, 1000};
    node.formats = {FakeV4L2Format{
        V4L2_PIX_FMT_YUYV, QStringLiteral("YUYV"), {FakeV4L2Size{1280, 720, {}, {{1, 1000}}}}}};
    FakeV4L2System system({node});
    const int fd = system.open(QStringLiteral("/dev/video0"), O_RDWR);
    V4L2PreviewStream stream(system, fd);
    if (stream.start()) {
        state.SkipWithError("the stream didn't start");
        return;
    }
    std::int64_t frames = 0;
    for (auto _ : state) {
        auto result = stream.step(100);
        if (std::holds_alternative<PreviewFrame>(result)) {
            ++frames;
        }
        benchmark::DoNotOptimize(result);
    }
    state.counters["frames"] = double(frames);
}
BENCHMARK(previewFrame1280x720Yuyv)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrin
