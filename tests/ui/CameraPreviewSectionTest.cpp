#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>
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

    // A frame of another size than the format's is drawn at its own aspect, each row read from
    // its own stride: a red, a green and a blue row, each followed by padding that is never
    // shown.
    PreviewFrame odd;
    odd.size = QSize(7, 3);
    odd.layout = PreviewFrame::Layout::rgb24;
    odd.bytesPerLine = 24;
    const QList<QRgb> rows{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (const auto row : rows) {
        for (int x = 0; x < 7; ++x) {
            odd.pixels.append(char(qRed(row))).append(char(qGreen(row))).append(char(qBlue(row)));
        }
        odd.pixels.append(3, '\xff');
    }
    view.setFrame(odd);
    EXPECT_TRUE(view.hasFrame());
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRectF picture = CameraPreviewView::fittedRect({7, 3}, QRectF(view.rect()));
    const int column = int(picture.left() + picture.width() / 14);  // the first pixel's middle
    for (int row = 0; row < 3; ++row) {
        const QColor seen =
            image.pixel(column, int(picture.top() + picture.height() * (row * 2 + 1) / 6));
        const QColor wanted = QColor(rows[row]);
        EXPECT_LE(std::abs(seen.red() - wanted.red()) + std::abs(seen.green() - wanted.green()) +
                      std::abs(seen.blue() - wanted.blue()),
                  24)
            << "row " << row << ": " << seen.name().toStdString();
    }
    // The picture keeps its aspect: the bands above and below it stay unpainted.
    EXPECT_EQ(qAlpha(image.pixel(view.width() / 2, int(picture.top()) - 2)), 0);
    EXPECT_EQ(qAlpha(image.pixel(view.width() / 2, int(picture.bottom()) + 2)), 0);

    EXPECT_EQ(CameraPreviewView::fittedRect({1920, 1080}, {0, 0, 400, 400}),
              QRectF(0, 87.5, 400, 225));
    EXPECT_TRUE(CameraPreviewView::fittedRect({0, 0}, {0, 0, 400, 400}).isNull());
}

TEST_F(CameraPreviewSectionTest, APreviewRunsOnlyWhileItCanBeSeenAndComesBackByItself) {
    WindowState state;
    state.setCameraPreviewEnabled(true);
    auto view = section(state);
    ASSERT_TRUE(view->isPreviewRunning());
    view->setWindowState(Qt::WindowMinimized);
    env_.settleAll();
    EXPECT_FALSE(view->isPreviewRunning());
    view->setWindowState(Qt::WindowNoState);
    env_.settleAll();
    EXPECT_TRUE(view->isPreviewRunning());
    EXPECT_EQ(streamStarts(), 2);
}

}  // namespace

namespace {

// In a page that scrolls, the picture's height follows its width, and the width follows the
// scroll bar, which shows or not by the height. At some page heights each answer undid the
// other without end, until the stack ran out: the picture must settle at every height.
TEST_F(CameraPreviewSectionTest, InAScrollingPageThePictureSettlesAtEveryHeight) {
    WindowState state;
    QScrollArea page;
    page.setWidgetResizable(true);
    page.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    auto view = section(state);
    auto* picture = view.release();
    column->addWidget(picture);
    column->addStretch(1);
    page.setWidget(content);
    page.resize(640, 400);
    page.show();
    env_.settleAll();
    for (int height = 200; height <= 520; ++height) {
        page.resize(640, height);
        env_.settleAll();
        const int settled = picture->height();
        env_.settleAll();
        ASSERT_EQ(picture->height(), settled) << "at a page height of " << height;
    }
}

}  // namespace
