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

// A sound server has no configuration lock; taking one fails with a reason the log shows.
TEST_P(MicrophoneContract, ConfigurationLockIsRefusedWithAReasonOnRealServers) {
    if (driver_->kind() == QLatin1String("fake")) {
        GTEST_SKIP() << "the fake plays the OS whose devices have a configuration lock";
    }
    const auto microphone = addMicrophone(QStringLiteral("Contract Lock"));
    ASSERT_TRUE(microphone);

    microphone->setActiveInputSource(CaptureInputSource{QStringLiteral("any"), QString()});
    EXPECT_TRUE(waitFor([&] {
        return countContaining(microphone->uuid(), QStringLiteral("has no configuration lock")) ==
               1;
    }));
}

}  // namespace
}  // namespace tavrin::testing
