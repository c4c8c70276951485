#include <gtest/gtest.h>

#include <thread>

#include "platform/PreviewFrameMailbox.h"
#include "platform/fake/FakeCameraPreviews.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

PreviewFrame frameOf(QSize size, quint64 sequence) {
    return FakeCameraPreviews::testPicture(size, 30, sequence);
}

TEST(PreviewFrameMailbox, AStalledMainThreadHoldsOneFrameAndOneDeliveryWhateverArrives) {
    VirtualMainThreadQueue queue;
    std::vector<quint64> shown;
    auto mailbox = PreviewFrameMailbox::make(
        queue, [&](const PreviewFrame& frame) { shown.push_back(frame.sequence); });
    // Two seconds of 1080p at 60 frames per second while the main thread doesn't run: memory
    // stays at one waiting frame, and the queue at one delivery.
    std::thread producer([&] {
        for (quint64 sequence = 0; sequence < 120; ++sequence) {
            mailbox->deliver(frameOf({1920, 1080}, sequence));
        }
    });
    producer.join();
    EXPECT_EQ(queue.pendingTaskCount(), 1u);
    EXPECT_EQ(mailbox->droppedFrames(), 119u);
    queue.runUntilIdle();
    EXPECT_EQ(shown, std::vector<quint64>{119});

    mailbox->deliver(frameOf({64, 48}, 120));
    mailbox->close();
    mailbox->fail(QStringLiteral("gone"));
    queue.runUntilIdle();
    EXPECT_EQ(shown.size(), 1u);  // nothing after close
}

TEST(PreviewFrameMailbox, AFrameIsDrawableOnlyWhenItsPixelsCoverItsSizeAndStride) {
    auto frame = frameOf({64, 48}, 0);
    EXPECT_TRUE(frame.isDrawable());
    auto shortRows = frame;
    shortRows.bytesPerLine = 64 * 4 - 1;
    EXPECT_FALSE(shortRows.isDrawable());
    auto truncated = frame;
    truncated.pixels.chop(1);
    EXPECT_FALSE(truncated.isDrawable());
    EXPECT_FALSE(PreviewFrame{}.isDrawable());
    auto rgb = frame;
    rgb.layout = PreviewFrame::Layout::rgb24;
    rgb.bytesPerLine = 64 * 3;
    rgb.pixels.truncate(64 * 3 * 48);
    EXPECT_TRUE(rgb.isDrawable());
    auto negative = frame;
    negative.size = QSize(-4, 48);
    EXPECT_FALSE(negative.isDrawable());
}

TEST(FakeCameraPreviews, TwoPreviewsShareOneStreamAtTheActiveFormatAndTheLastOneStopsIt) {
    testing::TestEnvironment env;
    auto spec = testing::captureSource(QStringLiteral("cam"), QStringLiteral("Cam"), {},
                                       QStringLiteral("AVCaptureDeviceTypeExternal"));
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->width = 320;
    format->height = 180;
    format->frameRateRanges = {{60, 60, MediaTime::make(1, 60), MediaTime::make(1, 60)}};
    spec.captureDevice->formats = {format};
    env.fake().plugCamera(spec);
    env.settle();

    auto& previews = env.fake().fakeFramework().previews();
    std::vector<QSize> first;
    int second = 0;
    QString failure;
    auto one = env.fake().deviceFramework().startCameraPreview(
        {QStringLiteral("cam")}, [&](const PreviewFrame& frame) { first.push_back(frame.size); },
        [&](const QString& reason) { failure = reason; });
    auto two = env.fake().deviceFramework().startCameraPreview(
        {QStringLiteral("cam")}, [&](const PreviewFrame&) { ++second; }, {});
    EXPECT_EQ(previews.streamStarts(QStringLiteral("cam")), 1);
    EXPECT_EQ(previews.previewCount(QStringLiteral("cam")), 2);
    for (int wait = 0; wait < 200 && (first.empty() || second == 0); ++wait) {
        std::this_thread::sleep_for(5ms);
        env.queue().runUntilIdle();
    }
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), QSize(320, 180));
    EXPECT_GT(second, 0);

    one.cancel();
    EXPECT_EQ(previews.previewCount(QStringLiteral("cam")), 1);
    two.cancel();
    EXPECT_EQ(previews.previewCount(QStringLiteral("cam")), 0);

    // A camera that goes while previewed ends its stream with a reason.
    auto three = env.fake().deviceFramework().startCameraPreview(
        {QStringLiteral("cam")}, [](const PreviewFrame&) {},
        [&](const QString& reason) { failure = reason; });
    EXPECT_EQ(previews.streamStarts(QStringLiteral("cam")), 2);
    env.fake().unplugCamera(QStringLiteral("cam"));
    for (int wait = 0; wait < 200 && failure.isEmpty(); ++wait) {
        std::this_thread::sleep_for(5ms);
        env.queue().runUntilIdle();
    }
    EXPECT_FALSE(failure.isEmpty());
}

}  // namespace
}  // namespace tavrin
