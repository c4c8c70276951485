#include <atomic>

#include "audio/AudioCaptureClient.h"
#include "audio/AudioPropertyListener.h"
#include "contract/SoundServerContract.h"
#include "platform/AudioHardware.h"
#include "platform/linux/PulseAudioHardware.h"
#include "runtime/CurrentProcess.h"

namespace tavrin::testing {
namespace {

using namespace AudioSelector;

class AudioHardwareContract : public SoundServerContract {
protected:
    bool hasClient(ObjectID device, std::int32_t pid) {
        for (const auto& client :
             audioCaptureClients(context_->platform().audioHardware(),
                                 context_->platform().processNames(), device)) {
            if (client.pid == pid) {
                return true;
            }
        }
        return false;
    }

    std::optional<std::int32_t> hogModeOwner(ObjectID device) {
        return readProperty<std::int32_t>(context_->platform().audioHardware(), device,
                                          globalAddress(hogMode));
    }
};

TAVRIN_SOUND_SERVER_CONTRACT(AudioHardwareContract);

TEST_P(AudioHardwareContract, VolumeChangedOutsideFiresTheListenerOffTheMainThreadAndLogsOnce) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Volume"));
    ASSERT_TRUE(microphone);
    const auto device = deviceObject();
    ASSERT_TRUE(device);
    std::atomic<int> calls = 0;
    std::atomic<bool> calledOnMain = false;
    const auto listener = AudioPropertyListener::registered(
        context_->platform().audioHardware(), *device, inputAddress(volumeScalar),
        [&](const auto&) {
            ++calls;
            calledOnMain = calledOnMain || context_->queue().isMainThread();
        });
    ASSERT_TRUE(listener);

    ASSERT_TRUE(driver_->setVolumePercent(source_, 65));
    ASSERT_TRUE(waitFor([&] { return countContaining(microphone->uuid(), " volume: ") == 1; }));
    settleBriefly();

    EXPECT_EQ(countContaining(microphone->uuid(), " volume: "), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(calledOnMain);
    ASSERT_TRUE(microphone->volume());
    EXPECT_NEAR(*microphone->volume(), 0.65, 0.005);
}

TEST_P(AudioHardwareContract, CommandsReachTheServerAndComeBackAsEvents) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Commands"));
    ASSERT_TRUE(microphone);
    ASSERT_TRUE(microphone->isVolumeSettable());
    ASSERT_TRUE(microphone->isMuteSettable());

    microphone->setVolume(0.4f);
    microphone->setMuted(true);
    ASSERT_TRUE(waitFor([&] {
        return microphone->isMuted() && microphone->volume() &&
               std::abs(*microphone->volume() - 0.4f) < 0.005f;
    }));
    EXPECT_EQ(countContaining(microphone->uuid(), " muted: no \u2192 yes"), 1);
    EXPECT_EQ(countContaining(microphone->uuid(), QStringLiteral("Failed")), 0);
}

TEST_P(AudioHardwareContract, DefaultInputFollowsTheServer) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Default"));
    ASSERT_TRUE(microphone);
    const auto other = source_ + QStringLiteral("_other");
    ASSERT_TRUE(driver_->addSource(other, QStringLiteral("Contract Other")));

    ASSERT_TRUE(driver_->setDefaultSource(other));
    ASSERT_TRUE(waitFor([&] { return !microphone->isDefaultInput(); }));
    ASSERT_TRUE(driver_->setDefaultSource(source_));
    ASSERT_TRUE(waitFor([&] { return microphone->isDefaultInput(); }));
    EXPECT_GE(countContaining(microphone->uuid(), " default input: no \u2192 yes"), 1);
    driver_->removeSource(other);
}

TEST_P(AudioHardwareContract, RecorderIsACaptureClientWhileItRecords) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Clients"));
    ASSERT_TRUE(microphone);
    const auto device = deviceObject();
    ASSERT_TRUE(device);

    auto recorder = driver_->startRecorder(source_);
    ASSERT_TRUE(recorder);
    const auto pid = recorder->pid();
    ASSERT_TRUE(waitFor([&] { return hasClient(*device, pid); }));
    ASSERT_TRUE(waitFor([&] { return microphone->isRunningSomewhere(); }));

    recorder->stop();
    EXPECT_TRUE(waitFor([&] { return !hasClient(*device, pid); }));
    EXPECT_TRUE(waitFor([&] { return !microphone->isRunningSomewhere(); }));
}

TEST_P(AudioHardwareContract, ExclusiveAccessShutsOutOtherRecordersUntilReleased) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Exclusive"));
    ASSERT_TRUE(microphone);
    const auto device = deviceObject();
    ASSERT_TRUE(device);
    auto& exclusive = microphone->audioHogMode();

    const auto asked = std::chrono::steady_clock::now();
    exclusive.take();
    // The server answers later; the main thread never waits for it.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
    if (!driver_->grantsExclusiveAccess()) {
        // Nothing is pretended: the failure is in the log and nothing is held.
        EXPECT_EQ(exclusive.state().kind, HogModeState::Kind::notHogged);
        EXPECT_TRUE(waitFor([&] {
            return countContaining(microphone->uuid(),
                                   QStringLiteral("Failed to take exclusive access")) == 1;
        }));
        EXPECT_EQ(hogModeOwner(*device), -1);
        return;
    }
    ASSERT_TRUE(
        waitFor([&] { return exclusive.state().kind == HogModeState::Kind::hoggedWithCountdown; }));
    EXPECT_EQ(hogModeOwner(*device), currentProcessID());
    EXPECT_TRUE(driver_->startRecorder(source_)->hasFailed());

    exclusive.release();
    EXPECT_EQ(hogModeOwner(*device), -1);
    auto admitted = driver_->startRecorder(source_);
    const auto pid = admitted->pid();
    EXPECT_TRUE(waitFor([&] { return hasClient(*device, pid); }));
}

// Exclusive use asked by another client shows as that client's ownership; on plain PulseAudio
// nobody owns a source, whatever a stream asks.
TEST_P(AudioHardwareContract, AnotherClientsExclusiveUseNamesItsProcess) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Owner"));
    ASSERT_TRUE(microphone);
    const auto device = deviceObject();
    ASSERT_TRUE(device);

    auto recorder = driver_->startRecorder(source_, /*exclusive=*/true);
    const auto pid = recorder->pid();
    ASSERT_TRUE(waitFor([&] { return hasClient(*device, pid); }));
    const std::int32_t expected = driver_->grantsExclusiveAccess() ? pid : -1;
    EXPECT_TRUE(waitFor([&] { return hogModeOwner(*device) == expected; }));

    recorder->stop();
    EXPECT_TRUE(waitFor([&] { return hogModeOwner(*device) == -1; }));
}

// PipeWire links a stream exclusively only to a source nobody records from; a refused request
// must not look held. Only PipeWire refuses, so only PipeWire runs this.
class PipeWireExclusiveContract : public AudioHardwareContract {};

TEST_P(PipeWireExclusiveContract, ExclusiveAccessIsNotPretendedWhileAnotherRecorderRecords) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Busy"));
    ASSERT_TRUE(microphone);
    const auto device = deviceObject();
    ASSERT_TRUE(device);
    auto recorder = driver_->startRecorder(source_);
    const auto pid = recorder->pid();
    ASSERT_TRUE(waitFor([&] { return hasClient(*device, pid); }));

    const auto asked = std::chrono::steady_clock::now();
    microphone->audioHogMode().take();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));

    // PipeWire fails the refused stream at once; the failure doesn't wait for a time-out.
    EXPECT_TRUE(waitFor(
        [&] {
            return countContaining(microphone->uuid(),
                                   QStringLiteral("Failed to take exclusive access")) == 1;
        },
        PulseAudioHardware::answerTimeout));
    EXPECT_EQ(microphone->audioHogMode().state().kind, HogModeState::Kind::notHogged);
    EXPECT_EQ(hogModeOwner(*device), -1);
    EXPECT_FALSE(recorder->hasFailed());
}

INSTANTIATE_TEST_SUITE_P(Servers, PipeWireExclusiveContract, ::testing::Values("pipewire"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tavrin::testing
