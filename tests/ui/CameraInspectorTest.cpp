#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "camera/CameraTestSupport.h"
#include "support/UvcFixtures.h"
#include "ui/CameraInspectorView.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/UVCInspectorSection.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::rateRange;
using testing::UiTestEnvironment;
using testing::videoFormat;

bool shown(QWidget* widget, QWidget* in) {
    return widget && widget->isVisibleTo(in);
}

class CameraInspectorTest : public ::testing::Test {
protected:
    testing::CameraUnderTest plug(FakeCaptureDeviceState state) {
        return testing::plugCamera(env_, std::move(state));
    }
    std::unique_ptr<CameraInspectorView> inspect(const std::shared_ptr<CameraDevice>& camera) {
        return std::make_unique<CameraInspectorView>(env_.context(), state_, camera);
    }
    static FakeCaptureDeviceState withFormats(QList<CaptureFormat> formats) {
        FakeCaptureDeviceState state;
        state.deviceType = CaptureDeviceType::external;
        state.formats = formats;
        state.activeFormat = formats.first();
        return state;
    }

    UiTestEnvironment env_;
    WindowState state_;
};

TEST_F(CameraInspectorTest, ACameraWithoutACaptureDeviceShowsOnlyWhatTheFrameworkTells) {
    env_.fake().plugCamera(
        testing::captureSource(QStringLiteral("no-device"), QStringLiteral("Ghost")));
    env_.settle();
    auto camera = CameraDevice::create(
        env_.context(), env_.fake().fakeFramework().cameras().find(QStringLiteral("no-device")));
    env_.settle();
    auto view = inspect(camera);
    for (const auto* label : {"Connected", "Suspended", "Device Type", "Position", "Transport",
                              "Frame Rate", "Color Space"}) {
        EXPECT_FALSE(shown(view->row(QString::fromLatin1(label)), view.get())) << label;
    }
    EXPECT_TRUE(shown(view->row(QStringLiteral("Format")), view.get()));
    EXPECT_FALSE(view->formatPicker()->isEnabled());
    EXPECT_EQ(view->row(QStringLiteral("Virtual"))->text(), QStringLiteral("No"));
    EXPECT_FALSE(view->makePreferredButton()->isEnabled());
    EXPECT_EQ(view->uvcSection(), nullptr);
}

TEST_F(CameraInspectorTest, PositionTransportAndFormatRowsFollowTheCaptureDevice) {
    auto state = withFormats({videoFormat(1280, 720, "420v", {rateRange(30, 30)}),
                              videoFormat(1920, 1080, "yuvs", {rateRange(5, 30)})});
    state.transportType = std::int32_t(fourCC("usb "));
    auto [capture, camera] = plug(state);
    auto view = inspect(camera);
    EXPECT_FALSE(shown(view->row(QStringLiteral("Position")), view.get()));
    EXPECT_EQ(view->formatPicker()->itemText(0), QStringLiteral("1280 × 720 · 420v (NV12)"));
    EXPECT_EQ(view->formatPicker()->currentIndex(), 0);

    capture->change({QStringLiteral("activeFormat")}, [](FakeCaptureDeviceState& s) {
        s.position = CameraPosition::front;
        s.activeFormat = s.formats[1];
    });
    env_.settle();
    EXPECT_EQ(view->formatPicker()->currentIndex(), 1);
    EXPECT_TRUE(view->frameRateRow()->isEnabled());
}

TEST_F(CameraInspectorTest, ASingleFixedRateIsADisabledSliderAndOneColourSpaceIsText) {
    auto format = std::const_pointer_cast<CaptureDeviceFormat>(
        videoFormat(640, 480, "420v", {rateRange(30, 30)}));
    format->supportedColorSpaces = {1};
    auto state = withFormats({format});
    state.activeColorSpace = 1;
    state.activeVideoMinFrameDuration = MediaTime::make(1, 30);
    auto [capture, camera] = plug(state);
    auto view = inspect(camera);
    EXPECT_TRUE(shown(view->frameRateRow(), view.get()));
    EXPECT_FALSE(view->frameRateRow()->isEnabled());
    EXPECT_EQ(view->frameRateRow()->readout(), QStringLiteral("30 fps"));
    EXPECT_FALSE(shown(view->colorSpacePicker(), view.get()));
    EXPECT_TRUE(view->row(QStringLiteral("Color Space"))->findChildren<QLabel*>().last()->text() ==
                QStringLiteral("P3-D65"));
}

TEST_F(CameraInspectorTest, CenterStageAloneShowsItsSwitchAndStateOnly) {
    auto format = std::const_pointer_cast<CaptureDeviceFormat>(videoFormat(1920, 1080, "420v"));
    format->isCenterStageSupported = true;
    auto [capture, camera] = plug(withFormats({format}));
    auto view = inspect(camera);
    ASSERT_TRUE(shown(view->section(QStringLiteral("Video Effects")), view.get()));
    QStringList rows;
    for (auto* row :
         view->section(QStringLiteral("Video Effects"))->findChildren<InspectorRow*>()) {
        if (row->isVisibleTo(view.get())) {
            rows.append(row->label());
        }
    }
    EXPECT_EQ(rows, (QStringList{"Center Stage", "Active"}));

    // The user alone controls it: switching shares control first, then turns it on.
    view->centerStageSwitch()->click();
    env_.settleAll();
    const auto settings = env_.fake().fakeCaptureDevices().videoEffectSettings();
    EXPECT_EQ(settings.centerStageControlMode, CenterStageControlMode::cooperative);
    EXPECT_TRUE(settings.isCenterStageEnabled);
    EXPECT_TRUE(view->centerStageSwitch()->isChecked());
}

TEST_F(CameraInspectorTest, EffectRowsJoinTheSystemSettingAndTheCamerasStateLive) {
    auto format = std::const_pointer_cast<CaptureDeviceFormat>(videoFormat(1920, 1080, "420v"));
    format->isPortraitEffectSupported = true;
    format->reactionEffectsSupported = true;
    auto state = withFormats({format});
    state.isPortraitEffectActive = true;
    auto [capture, camera] = plug(state);
    auto view = inspect(camera);
    EXPECT_FALSE(shown(view->row(QStringLiteral("Center Stage")), view.get()));
    EXPECT_FALSE(shown(view->row(QStringLiteral("Studio Light")), view.get()));
    EXPECT_EQ(view->effectText(QStringLiteral("Portrait Effect")),
              QStringLiteral("Disabled · Active"));
    EXPECT_EQ(view->row(QStringLiteral("Reactions"))->text(), QStringLiteral("Off"));

    env_.fake().fakeCaptureDevices().setVideoEffectSettings(
        {.isPortraitEffectEnabled = true, .reactionEffectsEnabled = true});
    env_.settleAll();
    EXPECT_EQ(view->effectText(QStringLiteral("Portrait Effect")),
              QStringLiteral("Enabled · Active"));
    EXPECT_EQ(view->row(QStringLiteral("Reactions"))->text(), QStringLiteral("On"));
}

TEST_F(CameraInspectorTest, NoEffectsNoSection) {
    auto [capture, camera] = plug(withFormats({videoFormat(640, 480, "420v")}));
    auto view = inspect(camera);
    EXPECT_FALSE(shown(view->section(QStringLiteral("Video Effects")), view.get()));
}

TEST_F(CameraInspectorTest, AFormatChosenWithTheKeyboardReachesTheCamera) {
    auto [capture, camera] =
        plug(withFormats({videoFormat(1280, 720, "420v"), videoFormat(1920, 1080, "420v")}));
    auto view = inspect(camera);
    view->show();
    QTest::keyClick(view->formatPicker(), Qt::Key_Down);
    env_.settleAll();
    ASSERT_TRUE(capture->activeFormat());
    EXPECT_EQ(capture->activeFormat()->width, 1920);
    EXPECT_EQ(view->formatPicker()->currentIndex(), 1);
    EXPECT_FALSE(view->alert());
}

TEST_F(CameraInspectorTest, AFailedFormatChangeAlertsOnceAndOKClearsIt) {
    auto [capture, camera] =
        plug(withFormats({videoFormat(1280, 720, "420v"), videoFormat(1920, 1080, "420v")}));
    auto view = inspect(camera);
    view->show();
    capture->setLockedByAnotherProcess(true);
    emit view->formatPicker()->activated(1);
    emit view->formatPicker()->activated(1);
    ASSERT_TRUE(view->alert());
    EXPECT_EQ(view->findChildren<QMessageBox*>().size(), 1);
    EXPECT_EQ(view->alert()->text(), QStringLiteral("Camera configuration failed"));
    ASSERT_TRUE(view->configurationError());
    EXPECT_TRUE(
        view->configurationError()->startsWith(QStringLiteral("Could not configure camera: ")));
    EXPECT_EQ(view->alert()->informativeText(), *view->configurationError());
    EXPECT_EQ(view->formatPicker()->currentIndex(), 0);  // back to what the camera has

    view->alert()->button(QMessageBox::Ok)->click();
    QApplication::processEvents();
    EXPECT_FALSE(view->configurationError());
}

TEST_F(CameraInspectorTest, OpenedByListsTheProcessesWithTheCameraOpenWhileShown) {
    using namespace std::chrono_literals;
    auto [capture, camera] = plug(withFormats({videoFormat(640, 480, "yuvs", {})}));
    auto view = inspect(camera);
    view->show();
    auto* section = view->section(QStringLiteral("Opened By"));
    EXPECT_FALSE(section->isVisibleTo(view.get()));

    capture->change({}, [](FakeCaptureDeviceState& s) {
        s.openedBy = {{4242, QStringLiteral("v4l2-ctl")}};
    });
    env_.queue().advance(1s);
    EXPECT_TRUE(section->isVisibleTo(view.get()));
    const auto rows = section->findChildren<InspectorRow*>();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]->label(), QStringLiteral("v4l2-ctl"));
    const auto values = rows[0]->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const QLabel* label) {
        return label->text() == QLatin1String("PID 4242");
    }));

    capture->change({}, [](FakeCaptureDeviceState& s) { s.openedBy.clear(); });
    env_.queue().advance(1s);
    EXPECT_FALSE(section->isVisibleTo(view.get()));
    EXPECT_TRUE(view->openers().isEmpty());
    const auto timersWithView = env_.queue().activeTimerCount();
    view.reset();
    EXPECT_EQ(env_.queue().activeTimerCount(), timersWithView - 1);
}

TEST_F(CameraInspectorTest, MakeUserPreferredChoosesThisCameraAndThenDisables) {
    auto [capture, camera] = plug(withFormats({videoFormat(640, 480, "420v")}));
    auto view = inspect(camera);
    EXPECT_EQ(view->row(QStringLiteral("User Preferred"))->text(), QStringLiteral("No"));
    QTest::mouseClick(view->makePreferredButton(), Qt::LeftButton);
    env_.settleAll();
    EXPECT_EQ(env_.fake().fakeCaptureDevices().userPreferredCamera(), QStringLiteral("cam"));
    EXPECT_EQ(view->row(QStringLiteral("User Preferred"))->text(), QStringLiteral("Yes"));
    EXPECT_FALSE(view->makePreferredButton()->isEnabled());

    env_.fake().fakeCaptureDevices().setPreferredCameras(QStringLiteral("other"),
                                                         QStringLiteral("cam"));
    env_.settleAll();
    EXPECT_EQ(view->row(QStringLiteral("User Preferred"))->text(), QStringLiteral("No"));
    EXPECT_EQ(view->row(QStringLiteral("System Preferred"))->text(), QStringLiteral("Yes"));
}

class CameraUVCTest : public ::testing::Test {
protected:
    UiTestEnvironment env_;
    WindowState state_;
};

TEST_F(CameraUVCTest, AVanishingCameraStopsTheRefreshAndKeepsTheLastValues) {
    auto webcam = testing::fullWebcam();
    env_.fake().fakeUsb().plug(webcam);
    FakeCaptureDeviceState state;
    state.uniqueID = QString::fromLatin1(testing::webcamUniqueID);
    state.deviceType = CaptureDeviceType::external;
    auto [capture, camera] = testing::plugCamera(env_, state);
    auto view = std::make_unique<CameraInspectorView>(env_.context(), state_, camera);
    view->show();
    // The section comes once the camera's thread has opened the controller, and shows through
    // Qt's event loop.
    auto settle = [&] {
        for (int round = 0; round < 3; ++round) {
            testing::settleUVC(env_.queue(), *camera->uvcController());
            env_.settleAll();
        }
    };
    settle();
    ASSERT_NE(view->uvcSection(), nullptr);
    auto* brightness = view->uvcSection()->slider(UVCControlID::brightness);
    EXPECT_EQ(brightness->readout(), QStringLiteral("128"));
    const int before = webcam->requestCount();
    env_.queue().advance(1s);
    settle();
    ASSERT_GT(webcam->requestCount(), before);  // the refresh runs while the camera is there

    env_.fake().setAvailability(FakeDeviceKind::camera, state.uniqueID,
                                SXAvailability::notConnected());
    env_.settleAll();
    settle();
    const int requests = webcam->requestCount();
    env_.queue().advance(3s);
    settle();
    EXPECT_EQ(webcam->requestCount(), requests);
    EXPECT_EQ(brightness->readout(), QStringLiteral("128"));
    view.reset();
    env_.queue().advance(2s);
}

}  // namespace
}  // namespace tavrin
