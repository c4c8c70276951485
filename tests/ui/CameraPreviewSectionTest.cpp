#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <thread>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "catalogue/CameraDiscovery.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakePlatform.h"
#include "ui/CameraPreviewSection.h"
#include "ui/CameraPreviewView.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

using namespace tavrin;
using namespace std::chrono_literals;
using Content = CameraPreviewSection::Content;

namespace {

class CameraPreviewSectionTest : public ::testing::Test {
protected:
    CameraPreviewSectionTest() {
        auto spec =
            tavrin::testing::captureSource(QStringLiteral("cam"), QStringLiteral("Desk Cam"), {},
                                           QStringLiteral("AVCaptureDeviceTypeExternal"));
        auto format = std::make_shared<CaptureDeviceFormat>();
        format->width = 160;
        format->height = 90;
        format->frameRateRanges = {{30, 30, MediaTime::make(1, 30), MediaTime::make(1, 30)}};
        spec.captureDevice->formats = {format};
        env_.context().deviceStore();
        env_.fake().plugCamera(spec);
        env_.settleAll();
        camera_ = env_.context().deviceStore().cameraDiscovery().cameras().first();
    }

    std::unique_ptr<CameraPreviewSection> section(WindowState& state) {
        auto made = std::make_unique<CameraPreviewSection>(
            camera_, state,
            env_.fake().fakeFramework().authorizationStatus(SXAuthorizationSource::camera),
            env_.context().eventLog(), env_.fake().deviceFramework());
        made->resize(480, 270);
        made->show();
        env_.settleAll();
        return made;
    }

    // Real frames come from the fake's own thread.
    void waitForFrames(const CameraPreviewSection& view, int count) {
        for (int wait = 0; wait < 400 && view.pictureView()->framesShown() < count; ++wait) {
            std::this_thread::sleep_for(5ms);
            env_.settleAll();
        }
    }

    int streamStarts() { return env_.fake().fakeFramework().previews().streamStarts("cam"); }

    tavrin::testing::UiTestEnvironment env_;
    std::shared_ptr<CameraDevice> camera_;
};

TEST_F(CameraPreviewSectionTest, ANewWindowIsOffAndEnableCameraStartsOnePreviewAndLogsIt) {
    WindowState state;
    auto view = section(state);
    EXPECT_EQ(view->content(), Content::off);
    EXPECT_FALSE(view->isPreviewRunning());
    EXPECT_EQ(streamStarts(), 0);
    EXPECT_EQ(view->enableButton()->text(), QStringLiteral("Enable Camera"));

    QTest::mouseClick(view->enableButton(), Qt::LeftButton);
    env_.settleAll();
    EXPECT_EQ(view->content(), Content::preview);
    EXPECT_TRUE(view->isPreviewRunning());
    EXPECT_EQ(streamStarts(), 1);
    QList<DeviceEvent> events;
    for (const auto& event : env_.context().eventLog().events(camera_->uuid())) {
        if (event.source == QStringLiteral("App")) {
            events.append(event);
        }
    }
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().message, QStringLiteral("Desk Cam preview started"));
    EXPECT_EQ(events.first().source, QStringLiteral("App"));
    waitForFrames(*view, 1);
    EXPECT_EQ(view->pictureView()->frameSize(), QSize(160, 90));

    // Mirroring flips the picture of the same stream.
    state.setCameraPreviewMirrored(true);
    EXPECT_TRUE(view->pictureView()->isMirrored());
    EXPECT_TRUE(view->isPreviewRunning());
    EXPECT_EQ(streamStarts(), 1);

    state.setCameraPreviewEnabled(false);
    EXPECT_FALSE(view->isPreviewRunning());
    EXPECT_EQ(env_.fake().fakeFramework().previews().previewCount("cam"), 0);
}

TEST_F(CameraPreviewSectionTest, WithoutAccessOnlyTheRequestShowsWhateverTheSwitchSays) {
    auto& authorization =
        env_.fake().fakeFramework().fakeAuthorization(SXAuthorizationSource::camera);
    authorization.setAuthorized(false);
    env_.settleAll();
    WindowState state;
    state.setCameraPreviewEnabled(true);
    auto view = section(state);
    EXPECT_EQ(view->content(), Content::access);
    EXPECT_FALSE(view->isPreviewRunning());
    QTest::mouseClick(view->allowButton(), Qt::LeftButton);
    EXPECT_EQ(authorization.requestCount(), 1);
    authorization.setAuthorized(true);
    env_.settleAll();
    EXPECT_EQ(view->content(), Content::preview);
    EXPECT_TRUE(view->isPreviewRunning());
}

TEST_F(CameraPreviewSectionTest, TwoWindowsPreviewOneCameraAndAHiddenSectionLetsGo) {
    WindowState first;
    WindowState second;
    first.setCameraPreviewEnabled(true);
    second.setCameraPreviewEnabled(true);
    auto one = section(first);
    auto two = section(second);
    EXPECT_EQ(env_.fake().fakeFramework().previews().previewCount("cam"), 2);
    waitForFrames(*one, 1);
    waitForFrames(*two, 1);
    EXPECT_GT(one->pictureView()->framesShown(), 0);
    EXPECT_GT(two->pictureView()->framesShown(), 0);
    two->hide();
    EXPECT_EQ(env_.fake().fakeFramework().previews().previewCount("cam"), 1);
    one.reset();
    EXPECT_EQ(env_.fake().fakeFramework().previews().previewCount("cam"), 0);
}

TEST_F(CameraPreviewSectionTest, FramesThatDontMatchAreDrawnOrSkippedNeverReadPast) {
    CameraPreviewView view;
    view.resize(320, 180);
    view.show();
    PreviewFrame empty;
    view.setFrame(empty);
    PreviewFrame lying;
    lying.size = QSize(4000, 4000);
    lying.bytesPerLine = 16000;
    lying.pixels = QByteArray(64, '\0');
    view.setFrame(lying);
    EXPECT_EQ(view.framesSkipped(), 2);
    EXPECT_FALSE(view.hasFrame());

    // A frame of another size than the format's is simply drawn at its own size.
    PreviewFrame odd;
    odd.size = QSize(7, 3);
    odd.layout = PreviewFrame::Layout::rgb24;
    odd.bytesPerLine = 21;
    odd.pixels = QByteArray(63, '\x7f');
    view.setFrame(odd);
    EXPECT_TRUE(view.hasFrame());
    QImage image(view.size(), QImage::Format_ARGB32);
    view.render(&image);

    EXPECT_EQ(CameraPreviewView::fittedRect({1920, 1080}, {0, 0, 400, 400}),
              QRectF(0, 87.5, 400, 225));
    EXPECT_TRUE(CameraPreviewView::fittedRect({0, 0}, {0, 0, 400, 400}).isNull());
}

}  // namespace
