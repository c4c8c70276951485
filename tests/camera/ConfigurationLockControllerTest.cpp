#include <gtest/gtest.h>

#include <QSignalSpy>

#include "camera/ConfigurationLockController.h"
#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::TestEnvironment;

class ConfigurationLockControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<ConfigurationLockController> make(std::shared_ptr<CaptureDevice> device) {
        return std::make_unique<ConfigurationLockController>(
            env_.queue(), env_.log(), std::move(device), uuid_, [this] { return name_; });
    }
    QStringList messages() {
        env_.queue().runUntilIdle();
        return env_.messages(uuid_);
    }

    TestEnvironment env_;
    const QUuid uuid_ = QUuid::createUuid();
    QString name_ = QStringLiteral("Cam");
    std::shared_ptr<FakeCaptureDevice> device_ =
        env_.fake().fakeCaptureDevices().add({.uniqueID = QStringLiteral("cam")});
    std::unique_ptr<ConfigurationLockController> controller_ = make(device_);
};

TEST_F(ConfigurationLockControllerTest, CountsDownTenSecondsThenUnlocksOnce) {
    QSignalSpy changes(controller_.get(), &ConfigurationLockController::stateChanged);
    controller_->lock();
    EXPECT_EQ(controller_->state(), ConfigurationLockState::lockedWithCountdown(10));
    EXPECT_TRUE(device_->isLockedByUs());
    env_.queue().advance(3s);
    EXPECT_EQ(controller_->state(), ConfigurationLockState::lockedWithCountdown(7));
    name_ = QStringLiteral("Renamed");  // the name at the time of writing
    env_.queue().advance(7s);
    EXPECT_EQ(controller_->state(), ConfigurationLockState::unlocked());
    EXPECT_FALSE(device_->isLockedByUs());
    env_.queue().advance(1min);
    EXPECT_EQ(changes.count(), 11);
    EXPECT_EQ(messages(), (QStringList{"Locked Cam configuration (auto-unlocks in 10 s)",
                                       "Auto-unlocked Renamed configuration"}));
    EXPECT_EQ(env_.log().events(uuid_).last().source, QStringLiteral("Configuration"));
}

TEST_F(ConfigurationLockControllerTest, KeepingAtSevenHoldsUntilUnlocked) {
    controller_->lock();
    env_.queue().advance(3s);
    controller_->keepLocked();
    env_.queue().advance(1min);
    EXPECT_EQ(controller_->state(), ConfigurationLockState::lockedIndefinitely());
    EXPECT_TRUE(device_->isLockedByUs());
    controller_->unlock();
    EXPECT_EQ(messages(), (QStringList{"Locked Cam configuration (auto-unlocks in 10 s)",
                                       "Cancelled Cam auto-unlock; configuration held indefinitely",
                                       "Unlocked Cam configuration"}));
}

TEST_F(ConfigurationLockControllerTest, UnlockingDuringTheCountdownEndsIt) {
    controller_->lock();
    env_.queue().advance(2s);
    controller_->unlock();
    env_.queue().advance(1min);
    EXPECT_EQ(messages(), (QStringList{"Locked Cam configuration (auto-unlocks in 10 s)",
                                       "Unlocked Cam configuration"}));
}

TEST_F(ConfigurationLockControllerTest, ActionsThatDontFitRecordNothing) {
    controller_->keepLocked();
    controller_->unlock();
    controller_->lock();
    controller_->lock();
    controller_->keepLocked();
    controller_->keepLocked();
    EXPECT_EQ(device_->lockCount(), 1);
    EXPECT_EQ(messages().size(), 2);
}

TEST_F(ConfigurationLockControllerTest, AnotherHolderMakesOneFailureEventAndNothingElse) {
    device_->setLockedByAnotherProcess(true);
    controller_->lock();
    EXPECT_EQ(controller_->state(), ConfigurationLockState::unlocked());
    EXPECT_FALSE(device_->isLockedByUs());
    const auto lines = messages();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Failed to lock Cam configuration: ")));
    EXPECT_EQ(env_.queue().activeTimerCount(), 0u);
}

TEST_F(ConfigurationLockControllerTest, WithoutADeviceItNeverLocks) {
    auto controller = make(nullptr);
    controller->lock();
    EXPECT_EQ(controller->state(), ConfigurationLockState::unlocked());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ConfigurationLockControllerTest, GoingAwayUnlocksAndStopsTheCountdown) {
    controller_->lock();
    controller_.reset();
    EXPECT_FALSE(device_->isLockedByUs());
    env_.queue().advance(1min);
    EXPECT_EQ(messages().size(), 1);
}

}  // namespace
}  // namespace tavrin
