#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "platform/fake/FakeCameraPreviews.h"
#include "ui/CameraPreviewView.h"
#include "ui/MeterLevelsView.h"

namespace tavrin {
namespace {

// One frame of an eight-channel meter: new levels in, every bar, the scale and the readouts
// painted into an image the size of the view.
void BM_MeterPaintEightChannels(benchmark::State& state) {
    MeterLevelsView view;
    QList<ChannelLevel> levels(8);
    view.setLevels(levels, true);
    view.resize(view.sizeHint());
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    int frame = 0;
    for (auto _ : state) {
        for (qsizetype channel = 0; channel < levels.size(); ++channel) {
            const double level = double((frame + channel * 7) % 100) / 100;
            levels[channel] = {level, level, level};
        }
        ++frame;
        view.setLevels(levels, true);
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_MeterPaintEightChannels)->Unit(benchmark::kMicrosecond);

// A 1920 × 1080 frame from delivery to pixels: handed to the view, then fitted into a
// 720-point-wide picture and drawn, mirrored or not.
void BM_PreviewFrame1080p(benchmark::State& state) {
    CameraPreviewView view;
    view.resize(720, 405);
    view.setMirrored(state.range(0) != 0);
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    const auto frame = FakeCameraPreviews::testPicture({1920, 1080}, 30, 42);
    for (auto _ : state) {
        view.setFrame(frame);
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PreviewFrame1080p)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Drawing the fake's test picture itself, which its producer thread pays per frame.
void BM_FakeTestPicture1080p(benchmark::State& state) {
    quint64 sequence = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FakeCameraPreviews::testPicture({1920, 1080}, 30, sequence++));
    }
}
BENCHMARK(BM_FakeTestPicture1080p)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrin
