#include <gtest/gtest.h>

#include "camera/CameraTestSupport.h"

namespace tavrin {
namespace {

using testing::plugCamera;
using testing::rateRange;
using testing::TestEnvironment;
using testing::videoFormat;

TEST(CameraConfiguration, CommandsLockChangeAndUnlock) {
    TestEnvironment env;
    const auto format = videoFormat(1920, 1080, "420v", {rateRange(1, 30)});
    const auto [capture, camera] = plugCamera(env, {.formats = {format}});
    EXPECT_FALSE(camera->setActiveFormat(format));
    EXPECT_FALSE(camera->setFrameDuration(MediaTime::make(1, 30)));
    EXPECT_FALSE(camera->setActiveColorSpace(1));
    EXPECT_FALSE(camera->setExposureMode(1));
    EXPECT_FALSE(camera->setFocusMode(0));
    EXPECT_FALSE(camera->setWhiteBalanceMode(7));  // not checked against the supported list
    EXPECT_EQ(capture->lockCount(), 6);
    EXPECT_FALSE(capture->isLockedByUs());
    EXPECT_EQ(capture->refusedSetCount(), 0);
    env.settle();
    EXPECT_EQ(camera->activeMinFrameDuration(), MediaTime::make(1, 30));
    EXPECT_EQ(camera->activeMaxFrameDuration(), MediaTime::make(1, 30));
    EXPECT_EQ(camera->whiteBalanceMode(), 7);
    EXPECT_TRUE(sameFormat(camera->activeFormat(), format));
    EXPECT_EQ(env.messages(camera->uuid()).size(), 1 + 7);  // min and max rate are two events
}

TEST(CameraConfiguration, AnotherHolderMakesTheCommandFailAndChangesNothing) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    capture->setLockedByAnotherProcess(true);
    const auto error = camera->setFocusMode(0);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, ConfigurationError::Kind::lockFailed);
    EXPECT_TRUE(
        error->localizedDescription().startsWith(QStringLiteral("Could not configure camera: ")));
    env.settle();
    EXPECT_EQ(capture->state().focusMode, 2);
    EXPECT_EQ(camera->configurationLock().state(), ConfigurationLockState::unlocked());
}

TEST(CameraConfiguration, WhileTheControllerHoldsTheLockCommandsUseIt) {
    TestEnvironment env;
    const auto [capture, camera] = plugCamera(env, {});
    camera->configurationLock().lock();
    EXPECT_FALSE(camera->setExposureMode(1));
    EXPECT_EQ(capture->lockCount(), 1);
    EXPECT_TRUE(capture->isLockedByUs());
    EXPECT_EQ(capture->state().exposureMode, 1);
    EXPECT_TRUE(camera->configurationLock().state().isLocked());
    env.settle();
    EXPECT_EQ(env.messages(camera->uuid()).last(),
              QStringLiteral("Cam exposure mode: Continuous \u2192 Auto"));
}

}  // namespace
}  // namespace tavrin
