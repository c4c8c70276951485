#include <gtest/gtest.h>

#include <QSignalSpy>

#include "camera/VideoEffectsObserver.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::TestEnvironment;

TEST(VideoEffectsObserver, FollowsTheSystemSettingsOnTheMainThread) {
    TestEnvironment env;
    auto& capture = env.fake().fakeCaptureDevices();
    auto& observer = env.context().videoEffects();
    EXPECT_EQ(observer.keyPaths().size(), 7);
    QSignalSpy centerStage(&observer, &VideoEffectsObserver::isCenterStageEnabledChanged);
    QSignalSpy portrait(&observer, &VideoEffectsObserver::isPortraitEffectEnabledChanged);
    capture.setVideoEffectSettings({.isCenterStageEnabled = true,
                                    .centerStageControlMode = CenterStageControlMode::cooperative});
    EXPECT_FALSE(observer.isCenterStageEnabled());
    env.settle();
    EXPECT_TRUE(observer.isCenterStageEnabled());
    EXPECT_EQ(observer.centerStageControlMode(), CenterStageControlMode::cooperative);
    EXPECT_EQ(centerStage.count(), 1);
    EXPECT_EQ(portrait.count(), 0);
}

TEST(VideoEffectsObserver, WithoutBackgroundReplacementSixKeyPathsAndTheFlagStaysOff) {
    TestEnvironment env;
    auto& capture = env.fake().fakeCaptureDevices();
    capture.setSupportsBackgroundReplacement(false);
    capture.setVideoEffectSettings({.isBackgroundReplacementEnabled = true});
    VideoEffectsObserver observer(env.queue(), capture);
    EXPECT_EQ(observer.keyPaths().size(), 6);
    EXPECT_EQ(capture.videoEffectObserverCount(), 6u);
    capture.setVideoEffectSettings(
        {.isStudioLightEnabled = true, .isBackgroundReplacementEnabled = false});
    env.settle();
    EXPECT_TRUE(observer.isStudioLightEnabled());
    EXPECT_FALSE(observer.isBackgroundReplacementEnabled());
}

TEST(VideoEffectsObserver, AChangeRightAfterTheFirstReadIsNotLost) {
    TestEnvironment env;
    auto& capture = env.fake().fakeCaptureDevices();
    // The user switches the portrait effect on just after the observer has read the settings;
    // the notification is out before the observer goes on.
    capture.afterNextSettingsRead([&] {
        capture.setVideoEffectSettings({.isPortraitEffectEnabled = true});
        env.fake().waitForNotifications();
    });
    VideoEffectsObserver observer(env.queue(), capture);
    env.settle();
    EXPECT_TRUE(observer.isPortraitEffectEnabled());
}

TEST(VideoEffectsObserver, ANotificationAfterTheObserverIsGoneDoesNothing) {
    TestEnvironment env;
    auto& capture = env.fake().fakeCaptureDevices();
    auto observer = std::make_unique<VideoEffectsObserver>(env.queue(), capture);
    capture.setVideoEffectSettings({.reactionEffectsEnabled = true});
    env.fake().waitForNotifications();
    observer.reset();
    env.settle();
    EXPECT_EQ(capture.videoEffectObserverCount(), 0u);
}

}  // namespace
}  // namespace tavrin
