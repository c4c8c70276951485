#include <QThread>
#include <atomic>
#include <mutex>

#include "audio/MicrophoneMeter.h"
#include "contract/SoundServerContract.h"
#include "runtime/FourCharCode.h"

namespace tavrin::testing {
namespace {

class MicrophoneContract : public SoundServerContract {};

TAVRIN_SOUND_SERVER_CONTRACT(MicrophoneContract);

TEST_P(MicrophoneContract, SourceBecomesAMicrophoneWithAnLpcmFormat) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Listing"));
    ASSERT_TRUE(microphone);

    EXPECT_EQ(microphone->localizedName(), QStringLiteral("Contract Listing"));
    EXPECT_TRUE(microphone->isVirtual());
    EXPECT_EQ(microphone->availability(), SXAvailability::available());
    ASSERT_TRUE(microphone->avDevice());
    EXPECT_EQ(microphone->avDevice()->deviceType(), CaptureDeviceType::microphone);
    const auto& format = microphone->activeFormat();
    ASSERT_TRUE(format);
    ASSERT_TRUE(format->streamDescription);
    EXPECT_EQ(format->mediaSubtype, fourCC("lpcm"));
    EXPECT_GT(format->streamDescription->sampleRate, 0);
    EXPECT_GT(format->streamDescription->channelsPerFrame, 0u);
}

TEST_P(MicrophoneContract, SourceThatGoesAndComesBackKeepsItsModel) {
    const auto model = addMicrophone(QStringLiteral("Contract Replug"));
    ASSERT_TRUE(model);
    const auto uuid = model->uuid();

    ASSERT_TRUE(driver_->removeSource(source_));
    ASSERT_TRUE(waitFor([&] {
        return model->availability() == SXAvailability::notConnected() && !model->isConnected();
    }));
    ASSERT_TRUE(driver_->addSource(source_, QStringLiteral("Contract Replug")));
    ASSERT_TRUE(waitFor([&] {
        return model->availability() == SXAvailability::available() && model->isConnected();
    }));

    EXPECT_EQ(microphone(), model);
    EXPECT_EQ(microphone()->uuid(), uuid);
    // The model works with the returned source: a volume change is logged again.
    ASSERT_TRUE(driver_->setVolumePercent(source_, 30));
    EXPECT_TRUE(
        waitFor([&] { return model->volume() && std::abs(*model->volume() - 0.3f) < 0.005f; }));
}

TEST_P(MicrophoneContract, CaptureSessionHandsOverDescribedBuffersOffTheMainThread) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Capture"));
    ASSERT_TRUE(microphone);
    auto session = context_->platform().audioCapture().makeSession();
    std::mutex mutex;
    std::optional<AudioStreamDescription> description;
    std::uint32_t frames = 0;
    std::atomic<bool> calledOnMain = false;
    session->setBufferHandler([&](const AudioSampleBuffer& buffer) {
        std::lock_guard lock(mutex);
        description = buffer.streamDescription;
        frames = buffer.frameLength;
        calledOnMain = calledOnMain || context_->queue().isMainThread();
    });
    ASSERT_TRUE(session->addInput(source_));
    session->startRunning();
    ASSERT_TRUE(session->isRunning());

    ASSERT_TRUE(waitFor([&] {
        driver_->produceAudio();
        std::lock_guard lock(mutex);
        return description.has_value();
    }));
    session.reset();  // waits for a delivery in progress

    EXPECT_FALSE(calledOnMain);
    EXPECT_GT(frames, 0u);
    EXPECT_EQ(description->formatID, fourCC("lpcm"));
    EXPECT_EQ(description->bitsPerChannel, 32u);
    EXPECT_EQ(description->channelsPerFrame,
              microphone->activeFormat()->streamDescription->channelsPerFrame);
    EXPECT_EQ(description->sampleRate, microphone->activeFormat()->streamDescription->sampleRate);
}

// The servers' test sources are silent, so levels arrive without counting as audio there.
TEST_P(MicrophoneContract, MeterMeasuresTheSource) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Meter"));
    ASSERT_TRUE(microphone);
    MicrophoneMeter meter(context_->queue(), context_->platform().audioCapture());

    meter.start(source_);
    EXPECT_TRUE(waitFor([&] {
        driver_->produceAudio();
        return meter.state().kind != MicrophoneMeterState::Kind::missingAudio;
    }));
    EXPECT_EQ(meter.state().levels.size(),
              qsizetype(microphone->activeFormat()->streamDescription->channelsPerFrame));
    meter.stop();
}

// A sound server has no configuration lock: taking one fails with a reason the log shows, and
// choosing an input source goes ahead without one.
TEST_P(MicrophoneContract, InputSourcesAreChosenWithoutAConfigurationLock) {
    const auto microphone = addMicrophone(QStringLiteral("Contract Lock"));
    ASSERT_TRUE(microphone);
    ASSERT_TRUE(microphone->avDevice());
    EXPECT_FALSE(microphone->avDevice()->hasConfigurationLock());

    microphone->configurationLock().lock();
    EXPECT_TRUE(waitFor([&] {
        return countContaining(microphone->uuid(), QStringLiteral("no configuration lock")) == 1;
    }));
    EXPECT_EQ(microphone->configurationLock().state().kind, ConfigurationLockState::Kind::unlocked);

    // Null sources of the real servers have no ports, so there the list is empty.
    for (const auto& source : microphone->inputSources()) {
        microphone->setActiveInputSource(source);
        EXPECT_TRUE(waitFor([&] { return microphone->activeInputSource() == source; }));
    }
    microphone->setActiveInputSource(CaptureInputSource{QStringLiteral("nowhere"), QString()});
    settleBriefly();
    EXPECT_EQ(countContaining(microphone->uuid(), QStringLiteral("Failed to lock")), 1);
}

// A source whose description changes is renamed in place and sorted again.
TEST_P(MicrophoneContract, RenamedSourceIsSortedAgain) {
    const auto model = addMicrophone(QStringLiteral("Contract Rename B"));
    ASSERT_TRUE(model);
    const auto other = source_ + QStringLiteral("_other");
    ASSERT_TRUE(driver_->addSource(other, QStringLiteral("Contract Rename C")));
    auto& discovery = context_->deviceStore().microphoneDiscovery();
    auto position = [&](const QString& id) {
        const auto microphones = discovery.microphones();
        for (qsizetype index = 0; index < microphones.size(); ++index) {
            if (microphones[index]->id() == id) {
                return index;
            }
        }
        return qsizetype(-1);
    };
    ASSERT_TRUE(waitFor([&] { return position(other) > position(source_); }));
    const auto uuid = model->uuid();

    ASSERT_TRUE(driver_->renameSource(source_, QStringLiteral("Contract Rename D")));
    EXPECT_TRUE(waitFor([&] {
        return model->localizedName() == QStringLiteral("Contract Rename D") &&
               position(source_) > position(other);
    }));
    EXPECT_EQ(microphone(), model);
    EXPECT_EQ(model->uuid(), uuid);
    driver_->removeSource(other);
}

}  // namespace
}  // namespace tavrin::testing
