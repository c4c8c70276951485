#include <gtest/gtest.h>

#include <QSignalSpy>

#include "audio/AudioHogModeController.h"
#include "runtime/CurrentProcess.h"
#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using Kind = HogModeState::Kind;
using Operation = FakeFault::Operation;
using testing::TestEnvironment;

class AudioHogModeControllerTest : public ::testing::Test {
protected:
    AudioHogModeControllerTest()
        : device_(hardware().addDevice({.uid = QStringLiteral("mic")})),
          controller_(std::make_unique<AudioHogModeController>(env_.context(),
                                                               QStringLiteral("mic"), uuid_)) {
        controller_->setDeviceName([] { return QStringLiteral("USB Mic"); });
    }

    FakeAudioHardware& hardware() { return env_.fake().fakeAudioHardware(); }
    QStringList messages() {
        env_.queue().runUntilIdle();
        return env_.messages(uuid_);
    }

    TestEnvironment env_;
    const QUuid uuid_ = QUuid::createUuid();
    const ObjectID device_;
    std::unique_ptr<AudioHogModeController> controller_;
};

TEST_F(AudioHogModeControllerTest, TakingCountsDownTenSecondsThenReleasesOnce) {
    QSignalSpy changes(controller_.get(), &AudioHogModeController::stateChanged);
    controller_->take();
    EXPECT_EQ(controller_->state(), HogModeState::hoggedWithCountdown(10));
    EXPECT_EQ(hardware().hogModeOwner(device_), currentProcessID());

    env_.queue().advance(1s);
    EXPECT_EQ(controller_->state(), HogModeState::hoggedWithCountdown(9));
    env_.queue().advance(8999ms);
    EXPECT_EQ(controller_->state(), HogModeState::hoggedWithCountdown(1));
    env_.queue().advance(1ms);
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    env_.queue().advance(30s);

    EXPECT_EQ(changes.count(), 11);  // taken, nine ticks, released
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
    EXPECT_EQ(messages(), (QStringList{"Took exclusive access to USB Mic (auto-releases in 10 s)",
                                       "Auto-released exclusive access to USB Mic"}));
    EXPECT_EQ(env_.log().events(uuid_).last().source, QStringLiteral("Usage"));
    EXPECT_EQ(env_.queue().activeTimerCount(), 0u);
}

TEST_F(AudioHogModeControllerTest, ReleasingDuringTheCountdownStopsIt) {
    controller_->take();
    env_.queue().advance(3s);
    controller_->release();
    controller_->release();  // nothing more in notHogged
    env_.queue().advance(20s);
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
    EXPECT_EQ(messages(), (QStringList{"Took exclusive access to USB Mic (auto-releases in 10 s)",
                                       "Released exclusive access to USB Mic"}));
}

TEST_F(AudioHogModeControllerTest, KeepingHoldsUntilReleased) {
    controller_->keepIndefinitely();  // notHogged: nothing
    controller_->take();
    controller_->keepIndefinitely();
    controller_->keepIndefinitely();  // already indefinite: nothing
    env_.queue().advance(60s);
    EXPECT_EQ(controller_->state(), HogModeState::hoggedIndefinitely());
    EXPECT_EQ(hardware().hogModeOwner(device_), currentProcessID());
    controller_->release();
    EXPECT_EQ(messages(),
              (QStringList{"Took exclusive access to USB Mic (auto-releases in 10 s)",
                           "Cancelled USB Mic auto-release; exclusive access held indefinitely",
                           "Released exclusive access to USB Mic"}));
}

TEST_F(AudioHogModeControllerTest, AnotherOwnerOrAFailingCallMeansOneFailureEvent) {
    const QString failure =
        QStringLiteral("Failed to take exclusive access to USB Mic; another process may own it");
    hardware().setHogModeOwner(device_, 4242);
    controller_->take();
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(hardware().hogModeOwner(device_), 4242);
    hardware().setHogModeOwner(device_, -1);

    hardware().addFault({.operation = Operation::get,
                         .address = globalAddress(AudioSelector::hogMode),
                         .times = 1});
    controller_->take();
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    // The set went through before the read-back failed: the device is not left held.
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
    hardware().addFault({.operation = Operation::set,
                         .address = globalAddress(AudioSelector::hogMode),
                         .times = 1});
    controller_->take();
    EXPECT_EQ(messages(), (QStringList{failure, failure, failure}));
}

TEST_F(AudioHogModeControllerTest, AnAnswerThatComesLaterCompletesTheTake) {
    hardware().setAnswersHogModeLater(true);
    QSignalSpy changes(controller_.get(), &AudioHogModeController::stateChanged);
    controller_->take();
    controller_->take();  // already asked
    EXPECT_EQ(controller_->state(), HogModeState::taking());
    EXPECT_EQ(hardware().pendingHogModeRequests(), 1);
    EXPECT_TRUE(messages().isEmpty());

    hardware().answerHogModeRequests(true);
    env_.settle();
    EXPECT_EQ(controller_->state(), HogModeState::hoggedWithCountdown(10));
    EXPECT_EQ(changes.count(), 2);
    // Ticks count from the answer; the answer's deadline is gone.
    env_.queue().advance(10s);
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(messages(), (QStringList{"Took exclusive access to USB Mic (auto-releases in 10 s)",
                                       "Auto-released exclusive access to USB Mic"}));
    EXPECT_EQ(hardware().listenerCount(device_, globalAddress(AudioSelector::hogMode)), 0u);
}

// The server grants the request right after the read-back saw nobody owning the device, before
// the controller could have registered for the answer had it waited until then.
TEST_F(AudioHogModeControllerTest, AnAnswerRightAfterTheReadBackIsNotMissed) {
    hardware().setAnswersHogModeLater(true);
    hardware().afterNextRead(globalAddress(AudioSelector::hogMode), [&] {
        hardware().answerHogModeRequests(true);
        env_.fake().waitForNotifications();
    });
    controller_->take();
    env_.settle();
    EXPECT_EQ(controller_->state(), HogModeState::hoggedWithCountdown(10));
    env_.queue().advance(AudioHogModeController::answerTimeout);
    EXPECT_EQ(hardware().hogModeOwner(device_), currentProcessID());
}

TEST_F(AudioHogModeControllerTest, ARefusalOrNoAnswerFailsTheTakeAndWithdrawsIt) {
    const QString failure =
        QStringLiteral("Failed to take exclusive access to USB Mic; another process may own it");
    hardware().setAnswersHogModeLater(true);
    controller_->take();
    hardware().answerHogModeRequests(false);
    env_.settle();
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(messages(), QStringList{failure});

    // Nobody answers: the request is withdrawn, so a late grant can't leave a hold behind.
    controller_->take();
    env_.queue().advance(AudioHogModeController::answerTimeout);
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(hardware().pendingHogModeRequests(), 0);
    hardware().answerHogModeRequests(true);
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
    EXPECT_EQ(messages(), (QStringList{failure, failure}));

    // The user gives up first.
    controller_->take();
    controller_->release();
    EXPECT_EQ(hardware().pendingHogModeRequests(), 0);
    env_.queue().advance(AudioHogModeController::answerTimeout);
    EXPECT_EQ(messages().last(), QStringLiteral("Released exclusive access to USB Mic"));
    EXPECT_EQ(messages().size(), 3);
}

TEST_F(AudioHogModeControllerTest, AnUnresolvableDeviceMakesTakeSilentAndReleaseLocal) {
    controller_->take();
    hardware().removeDevice(device_);
    EXPECT_FALSE(controller_->isDeviceResolvable());
    controller_->release();
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    controller_->take();
    EXPECT_EQ(controller_->state(), HogModeState::notHogged());
    EXPECT_EQ(messages(), (QStringList{"Took exclusive access to USB Mic (auto-releases in 10 s)",
                                       "Released exclusive access to USB Mic"}));
}

TEST_F(AudioHogModeControllerTest, GoingAwayGivesAccessBackAndStopsTheCountdown) {
    controller_->take();
    controller_.reset();
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
    env_.queue().advance(20s);
    EXPECT_EQ(messages().size(), 1);
}

TEST(AudioHogModeController, NamesTheDeviceGenericallyUntilToldOtherwise) {
    TestEnvironment env;
    env.fake().fakeAudioHardware().addDevice({.uid = QStringLiteral("mic")});
    const auto uuid = QUuid::createUuid();
    AudioHogModeController controller(env.context(), QStringLiteral("mic"), uuid);
    controller.take();
    env.queue().runUntilIdle();
    EXPECT_EQ(env.messages(uuid),
              QStringList{"Took exclusive access to device (auto-releases in 10 s)"});
}

}  // namespace
}  // namespace tavrin
