#include <gtest/gtest.h>

#include <QSignalSpy>

#include "camera/CameraTestSupport.h"
#include "platform/MediaIO.h"

namespace tavrin {
namespace {

using testing::CameraUnderTest;
using testing::plugCamera;
using testing::rateRange;
using testing::ScopedLocale;
using testing::TestEnvironment;
using testing::videoFormat;
namespace Key = CaptureKeyPath;

QList<CaptureFormat> formats(int count) {
    QList<CaptureFormat> list;
    for (int i = 0; i < count; ++i) {
        list.append(videoFormat(640 + i, 480, "420v", {rateRange(1, 30)}));
    }
    return list;
}

TEST(CameraObservation, TheDiscoveryNamesFormatRateUsageTypeAndTransport) {
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    TestEnvironment env;
    const auto format = videoFormat(1280, 720, "420v", {rateRange(15, 30)});
    const auto [capture, camera] =
        plugCamera(env, {.uniqueID = QStringLiteral("cam"),
                         .deviceType = CaptureDeviceType::builtInWideAngleCamera,
                         .transportType = std::int32_t(fourCC("bltn")),
                         .formats = {format},
                         .activeFormat = format,
                         .activeVideoMinFrameDuration = MediaTime::make(1, 30),
                         .activeVideoMaxFrameDuration = MediaTime::make(1, 15)});
    EXPECT_EQ(env.messages(camera->uuid()),
              QStringList{QString::fromUtf8("Discovered Cam (1280\u00d7720 420v (NV12), 30 fps, "
                                            "idle, type=BuiltInWideAngleCamera, "
                                            "transport='bltn')")});
    EXPECT_EQ(camera->activeFormatSummary()->width, 1280);
    EXPECT_EQ(camera->deviceTypeName(), QStringLiteral("Built-in Wide Angle"));
    EXPECT_EQ(camera->supportedExposureModes(), (QList<int>{1, 2}));
    EXPECT_EQ(camera->supportedFocusModes(), QList<int>{2});
}

TEST(CameraObservation, WithoutACaptureDeviceEverythingIsNeutral) {
    TestEnvironment env;
    env.fake().plugCamera(testing::captureSource(QStringLiteral("v"), QStringLiteral("Virtual")));
    env.settle();
    const auto camera =
        CameraDevice::create(env.context(), env.fake().fakeFramework().cameras().find("v"));
    EXPECT_TRUE(camera->formats().isEmpty());
    EXPECT_FALSE(camera->activeMinFrameDuration().isValid());
    EXPECT_EQ(camera->focusMode(), 2);
    EXPECT_TRUE(camera->supportedExposureModes().isEmpty());
    EXPECT_FALSE(camera->activeFormatSummary());
    EXPECT_EQ(camera->deviceTypeName(), QString());
    auto error = camera->setFocusMode(1);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription(), QStringLiteral("Camera is not available."));
}

TEST(CameraObservation, AnotherProcessStartingTheCameraGivesOneEventOfEachKind) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    QSignalSpy running(camera.get(), &CameraDevice::isRunningSomewhereChanged);
    env.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam"), true);
    env.settle();
    EXPECT_TRUE(camera->isRunningSomewhere());
    EXPECT_TRUE(camera->isInUseByAnotherApplication());
    EXPECT_EQ(running.count(), 1);
    auto lines = env.messages(camera->uuid()).mid(1);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"Cam in use by another app: no \u2192 yes",
                                  "Cam in use: no \u2192 yes"}));
    EXPECT_TRUE(camera->entry().statusDotColor().has_value());
    EXPECT_EQ(camera->entry().status().label, QStringLiteral("In Use"));
}

TEST(CameraObservation, ACameraAlreadyRunningIsDiscoveredInUseWithoutAChangeEvent) {
    TestEnvironment env;
    env.fake().plugCamera(testing::captureSource(QStringLiteral("cam"), QStringLiteral("Cam"), {},
                                                 CaptureDeviceType::external));
    env.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam"), true);
    env.settle();
    const auto camera = CameraDevice::create(
        env.context(), env.fake().fakeFramework().cameras().find(QStringLiteral("cam")));
    env.settle();
    EXPECT_TRUE(camera->isRunningSomewhere());
    EXPECT_TRUE(camera->isInUseByAnotherApplication());
    EXPECT_EQ(env.messages(camera->uuid()),
              QStringList{"Discovered Cam (in use, type=External, transport='usb ')"});
    EXPECT_EQ(camera->entry().status().label, QStringLiteral("In Use"));

    // Stopping it elsewhere is the first change.
    env.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam"), false);
    env.settle();
    EXPECT_FALSE(camera->isRunningSomewhere());
    EXPECT_TRUE(env.messages(camera->uuid()).contains("Cam in use: yes \u2192 no"));
}

TEST(CameraObservation, AChangeRightAfterTheFirstReadsIsNotLost) {
    TestEnvironment env;
    env.fake().plugCamera(testing::captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    const auto capture = env.fake().fakeCaptureDevices().add({.uniqueID = QStringLiteral("cam")});
    env.context().cameraUsageMonitor();  // its own first reads are not the camera's
    env.settle();
    // While the model is being made, right after it has read whether the camera runs, another
    // process starts the camera and locks its exposure; its notifications are all out before
    // creation goes on.
    env.fake().fakeMediaIO().afterNextRead(globalAddress(MediaIOSelector::isRunningSomewhere), [&] {
        env.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam"), true);
        capture->change({Key::exposureMode}, [](auto& d) { d.exposureMode = 0; });
        env.fake().waitForNotifications();
    });
    const auto camera = CameraDevice::create(
        env.context(), env.fake().fakeFramework().cameras().find(QStringLiteral("cam")));
    env.settle();
    EXPECT_TRUE(camera->isRunningSomewhere());
    EXPECT_TRUE(camera->isInUseByAnotherApplication());
    EXPECT_EQ(camera->exposureMode(), 0);
}

TEST(CameraObservation, OnlyAChangeInTheNumberOfFormatsIsLogged) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {.formats = formats(12)});
    QSignalSpy changes(camera.get(), &CameraDevice::formatsChanged);
    capture->change({Key::formats}, [](auto& d) { d.formats = formats(14); });
    env.settle();
    const auto summaryID = camera->formatSummaries().front().id;
    capture->change({Key::formats}, [](auto& d) {
        d.formats = formats(14);
        d.formats[3] = videoFormat(1920, 1080, "yuvs");
    });
    env.settle();
    capture->change({Key::formats}, [](auto&) {});  // a notification without a change
    env.settle();
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(camera->formatSummaries().size(), 14);
    EXPECT_EQ(camera->formatSummaries()[3].width, 1920);
    EXPECT_NE(camera->formatSummaries().front().id, summaryID);
    EXPECT_EQ(env.messages(camera->uuid()).mid(1),
              QStringList{"Cam format list updated: 12 \u2192 14"});
}

TEST(CameraObservation, EachKeyPathGroupIsReReadAndLoggedWithItsSource) {
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    capture->change({Key::activeVideoMinFrameDuration}, [](auto& d) {
        d.activeVideoMinFrameDuration = MediaTime::make(1, 30);
        d.activeVideoMaxFrameDuration = MediaTime::make(2, 60);
    });
    capture->change({Key::activeColorSpace}, [](auto& d) { d.activeColorSpace = 3; });
    capture->change({Key::suspended}, [](auto& d) { d.isSuspended = true; });
    capture->change({Key::centerStageActive}, [](auto& d) { d.isCenterStageActive = true; });
    capture->change({Key::exposureMode}, [](auto& d) { d.exposureMode = 3; });
    capture->change({Key::whiteBalanceMode}, [](auto& d) { d.whiteBalanceMode = 0; });
    capture->change({Key::activeFormat},
                    [](auto& d) { d.activeFormat = videoFormat(1, 2, "jpeg"); });
    env.settle();
    EXPECT_EQ(
        env.messages(camera->uuid()).mid(1),
        (QStringList{QString::fromUtf8("Cam max frame rate: \u2014 \u2192 30 fps"),
                     QString::fromUtf8("Cam min frame rate: \u2014 \u2192 30 fps"),
                     "Cam color space: sRGB \u2192 Apple Log", "Cam suspended: no \u2192 yes",
                     "Cam Center Stage active: no \u2192 yes",
                     "Cam exposure mode: Continuous \u2192 Custom",
                     "Cam white balance mode: Continuous \u2192 Locked",
                     QString::fromUtf8("Cam active format: \u2014 \u2192 1\u00d72 jpeg (MJPG)")}));
    QStringList sources;
    for (const auto& event : env.log().events(camera->uuid()).mid(1)) {
        sources.append(event.source);
    }
    EXPECT_EQ(sources, (QStringList{"Capture", "Capture", "Capture", "Power", "Effects", "Exposure",
                                    "WhiteBalance", "Capture"}));

    // Equal media times and equal formats are no change.
    capture->change({Key::activeVideoMaxFrameDuration},
                    [](auto& d) { d.activeVideoMaxFrameDuration = MediaTime::make(1, 30); });
    capture->change({Key::activeFormat},
                    [](auto& d) { d.activeFormat = videoFormat(1, 2, "jpeg"); });
    env.settle();
    EXPECT_EQ(env.messages(camera->uuid()).size(), 9);
}

TEST(CameraObservation, EachModeIsReReadOnItsOwnNotificationInArrivalOrder) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    QSignalSpy exposure(camera.get(), &CameraDevice::exposureModeChanged);
    // Both modes change, but only focus has been told so far.
    capture->change({Key::focusMode}, [](auto& d) {
        d.focusMode = 1;
        d.exposureMode = 0;
    });
    env.settle();
    EXPECT_EQ(camera->focusMode(), 1);
    EXPECT_EQ(camera->exposureMode(), 2);
    EXPECT_EQ(exposure.count(), 0);
    EXPECT_EQ(env.messages(camera->uuid()).mid(1),
              QStringList{"Cam focus mode: Continuous → Auto"});

    // Notifications told in the order white balance, exposure: logged in that order.
    capture->change({Key::whiteBalanceMode, Key::exposureMode},
                    [](auto& d) { d.whiteBalanceMode = 1; });
    env.settle();
    EXPECT_EQ(env.messages(camera->uuid()).mid(2),
              (QStringList{"Cam white balance mode: Continuous → Auto",
                           "Cam exposure mode: Continuous → Locked"}));
    EXPECT_EQ(exposure.count(), 1);
    QStringList sources;
    for (const auto& event : env.log().events(camera->uuid()).mid(1)) {
        sources.append(event.source);
    }
    EXPECT_EQ(sources, (QStringList{"Focus", "WhiteBalance", "Exposure"}));
}

TEST(CameraObservation, ConnectionEffectAndFocusChangesAreLoggedWithTheirSources) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    // One at a time: the five effect flags are re-read together, in their own order.
    const std::vector<std::pair<QString, std::function<void(FakeCaptureDeviceState&)>>> changes{
        {Key::connected, [](auto& d) { d.isConnected = false; }},
        {Key::portraitEffectActive, [](auto& d) { d.isPortraitEffectActive = true; }},
        {Key::canPerformReactionEffects, [](auto& d) { d.canPerformReactionEffects = true; }},
        {Key::backgroundReplacementActive, [](auto& d) { d.isBackgroundReplacementActive = true; }},
        {Key::focusMode, [](auto& d) { d.focusMode = 0; }},
    };
    for (const auto& [keyPath, edit] : changes) {
        capture->change({keyPath}, edit);
        env.settle();
    }
    EXPECT_EQ(
        env.messages(camera->uuid()).mid(1),
        (QStringList{"Cam connected: yes \u2192 no", "Cam Portrait Effect active: no \u2192 yes",
                     "Cam reactions available: no \u2192 yes",
                     "Cam Background Replace active: no \u2192 yes",
                     "Cam focus mode: Continuous \u2192 Locked"}));
    QStringList sources;
    for (const auto& event : env.log().events(camera->uuid()).mid(1)) {
        sources.append(event.source);
    }
    EXPECT_EQ(sources, (QStringList{"Usage", "Effects", "Effects", "Effects", "Focus"}));
}

TEST(CameraObservation, BackgroundReplacementIsFollowedOnlyWhereTheSystemHasIt) {
    for (const bool supported : {false, true}) {
        TestEnvironment env;
        env.fake().fakeCaptureDevices().setSupportsBackgroundReplacement(supported);
        const auto [capture, camera] = plugCamera(env, {.isBackgroundReplacementActive = true});
        EXPECT_EQ(camera->isBackgroundReplacementActive(), supported);
        capture->change({Key::backgroundReplacementActive},
                        [](auto& d) { d.isBackgroundReplacementActive = false; });
        capture->change({Key::studioLightActive}, [](auto& d) { d.isStudioLightActive = true; });
        env.settle();
        EXPECT_FALSE(camera->isBackgroundReplacementActive());
        EXPECT_EQ(env.messages(camera->uuid()).size(), supported ? 3 : 2) << supported;
    }
}

TEST(CameraObservation, NotificationsAfterTheCameraIsGoneDoNothing) {
    TestEnvironment env;
    auto [capture, camera] = plugCamera(env, {});
    const auto uuid = camera->uuid();
    capture->change({Key::suspended}, [](auto& d) { d.isSuspended = true; });
    env.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam"), true);
    env.fake().waitForNotifications();  // posted, not yet run
    camera.reset();
    env.settle();
    EXPECT_EQ(env.messages(uuid).size(), 1);
    EXPECT_EQ(capture->observerCount(), 0u);
    EXPECT_FALSE(env.context().cameraUsageMonitor().hasSubscribers(QStringLiteral("cam")));
}

}  // namespace
}  // namespace tavrin
