#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>

#include "audio/AudioLevels.h"
#include "audio/MicrophoneMeter.h"
#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using Kind = MicrophoneMeterState::Kind;
using testing::TestEnvironment;
using Session = FakeAudioCaptureSession;

QList<ChannelLevel> levelsOf(const AudioSampleBuffer& buffer) {
    const auto view = PcmBuffer::wrap(buffer);
    return view ? channelLevels(*view) : QList<ChannelLevel>{{-1, -1, -1}};
}

TEST(AudioLevels, NormalisesOnASixtyDecibelScale) {
    EXPECT_EQ(normalisedLevel(1.0f), 1);
    EXPECT_EQ(normalisedLevel(2.0f), 1);
    EXPECT_NEAR(normalisedLevel(0.01f), 1.0 / 3, 1e-6);
    EXPECT_EQ(normalisedLevel(0.0005f), 0);
    EXPECT_EQ(normalisedLevel(0.0f), 0);
    EXPECT_EQ(normalisedLevel(-0.5f), 0);
    EXPECT_EQ(normalisedLevel(NAN), 0);
    EXPECT_EQ(normalisedLevel(INFINITY), 0);
}

TEST(AudioLevels, MeasuresEverySampleTypeAndLayout) {
    const auto full = levelsOf(Session::constant(1.0f));
    ASSERT_EQ(full.size(), 2);
    EXPECT_EQ(full[0], (ChannelLevel{1, 1, 0}));
    EXPECT_NEAR(levelsOf(Session::constant(0.01f))[1].average, 1.0 / 3, 1e-4);
    EXPECT_EQ(levelsOf(Session::constant(0.0005f))[0].peak, 0);
    EXPECT_EQ(levelsOf(Session::int16Constant(32767))[1], (ChannelLevel{1, 1, 0}));
    EXPECT_EQ(levelsOf(Session::int32Constant(INT32_MIN))[0].peak, 1);
    // A sine's RMS sits 3 dB under its peak.
    const auto sine = levelsOf(Session::sine(1.0f, 1000, 1, 4800));
    EXPECT_NEAR(sine[0].peak, 1, 1e-3);
    EXPECT_NEAR(sine[0].average, (60 - 3.0103) / 60, 1e-3);

    // Channels are kept apart, interleaved (three channels: the strided path) or not.
    auto threeChannels = Session::constant(0, 3, 64);
    auto* samples = reinterpret_cast<float*>(threeChannels.channelData[0].data());
    for (int frame = 0; frame < 64; ++frame) {
        samples[frame * 3 + 1] = 1.0f;
    }
    const auto three = levelsOf(threeChannels);
    EXPECT_EQ(three[0].peak, 0);
    EXPECT_EQ(three[1].peak, 1);
    AudioSampleBuffer planar{Session::floatDescription(48000, 2, false),
                             AudioSampleBuffer::SampleType::float32,
                             false,
                             3,
                             {QByteArray(12, '\0'), QByteArray(12, '\0')}};
    reinterpret_cast<float*>(planar.channelData[1].data())[2] = 1.0f;
    const auto separate = levelsOf(planar);
    EXPECT_EQ(separate[0].peak, 0);
    EXPECT_EQ(separate[1].peak, 1);
}

TEST(AudioLevels, BuffersThatCantBeReadSafelyAreDroppedOrEmpty) {
    auto zeroFrames = Session::constant(1.0f, 2, 0);
    EXPECT_TRUE(levelsOf(zeroFrames).isEmpty());
    auto zeroChannels = Session::constant(1.0f, 2, 16);
    zeroChannels.streamDescription->channelsPerFrame = 0;
    EXPECT_TRUE(levelsOf(zeroChannels).isEmpty());
    auto shortData = Session::constant(1.0f, 2, 16);
    shortData.frameLength = 17;
    EXPECT_FALSE(PcmBuffer::wrap(shortData));
    auto moreChannels = Session::constant(1.0f, 2, 16);
    moreChannels.streamDescription->channelsPerFrame = 3;
    EXPECT_FALSE(PcmBuffer::wrap(moreChannels));
    auto missingPlane = Session::constant(1.0f, 2, 16);
    missingPlane.isInterleaved = false;
    EXPECT_FALSE(PcmBuffer::wrap(missingPlane));
    auto noDescription = Session::constant(1.0f);
    noDescription.streamDescription.reset();
    EXPECT_FALSE(PcmBuffer::wrap(noDescription));
    auto noData = Session::constant(1.0f);
    noData.sampleType = AudioSampleBuffer::SampleType::none;
    EXPECT_TRUE(levelsOf(noData).isEmpty());
    PcmBuffer zeroStride{AudioSampleBuffer::SampleType::float32, 1, 4, 0, {nullptr}};
    EXPECT_TRUE(channelLevels(zeroStride).isEmpty());

    const auto nan = levelsOf(Session::constant(NAN, 1, 16));
    EXPECT_EQ(nan[0].average, 0);
    const auto infinite = levelsOf(Session::constant(INFINITY, 1, 16));
    EXPECT_EQ(infinite[0], (ChannelLevel{0, 0, 0}));
}

TEST(AudioLevels, SizesWhoseByteCountOverflowsAreRefused) {
    // 2^31 frames of 2^31 four-byte samples: 2^64 bytes, which wraps to 0 unchecked and would
    // let 16 bytes of data pass for it.
    auto huge = Session::constant(1.0f, 2, 2);
    huge.streamDescription->channelsPerFrame = 0x80000000u;
    huge.frameLength = 0x80000000u;
    EXPECT_FALSE(PcmBuffer::wrap(huge));
    // The sample count fits in 64 bits; its bytes don't.
    auto over = Session::constant(1.0f, 2, 2);
    over.streamDescription->channelsPerFrame = 0x40000001u;
    over.frameLength = 0xFFFFFFFFu;
    EXPECT_FALSE(PcmBuffer::wrap(over));
    auto large = Session::constant(1.0f, 2, 2);
    large.frameLength = 0xFFFFFFFFu;  // fits, but is far more than the data holds
    EXPECT_FALSE(PcmBuffer::wrap(large));
}

TEST(AudioLevels, TheFastPathAgreesWithThePlainFormula) {
    for (const auto& buffer :
         {Session::sine(0.7f, 440, 2, 4096), Session::sine(0.1f, 50, 1, 1001),
          Session::int16Constant(-1234, 2, 4096), Session::int32Constant(123456789, 1, 77),
          Session::sine(0.3f, 440, 3, 999)}) {
        const auto view = *PcmBuffer::wrap(buffer);
        const auto fast = channelLevels(view);
        const auto plain = channelLevelsNaive(view);
        ASSERT_EQ(fast.size(), plain.size());
        for (qsizetype channel = 0; channel < fast.size(); ++channel) {
            EXPECT_NEAR(fast[channel].average, plain[channel].average, 1e-5);
            EXPECT_NEAR(fast[channel].peak, plain[channel].peak, 1e-6);
        }
    }
}

// Interleaved float frames whose channels differ: channel c is a sine of amplitude (c + 1) / 10
// at its own frequency, so a sample measured for the wrong channel changes the result.
AudioSampleBuffer distinctChannels(std::uint32_t channels, std::uint32_t frames) {
    AudioSampleBuffer buffer{Session::floatDescription(48000, channels),
                             AudioSampleBuffer::SampleType::float32,
                             true,
                             frames,
                             {QByteArray(qsizetype(channels) * frames * 4, '\0')}};
    auto* samples = reinterpret_cast<float*>(buffer.channelData[0].data());
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (std::uint32_t channel = 0; channel < channels; ++channel) {
            samples[frame * channels + channel] =
                float(channel + 1) / 10 * float(std::sin(0.01 * (channel + 3) * frame));
        }
    }
    return buffer;
}

TEST(AudioLevels, FourAndEightInterleavedChannelsAgreeWithThePlainFormula) {
    // Frame counts that leave a remainder after the vector loop, and one shorter than a pass.
    for (const std::uint32_t channels : {4u, 8u}) {
        for (const std::uint32_t frames : {1001u, 1024u, 3u, 1u}) {
            const auto buffer = distinctChannels(channels, frames);
            const auto view = *PcmBuffer::wrap(buffer);
            const auto fast = channelLevels(view);
            const auto plain = channelLevelsNaive(view);
            ASSERT_EQ(fast.size(), qsizetype(channels));
            ASSERT_EQ(plain.size(), qsizetype(channels));
            for (qsizetype channel = 0; channel < fast.size(); ++channel) {
                EXPECT_NEAR(fast[channel].average, plain[channel].average, 1e-5)
                    << channels << " channels, " << frames << " frames, channel " << channel;
                EXPECT_NEAR(fast[channel].peak, plain[channel].peak, 1e-6)
                    << channels << " channels, " << frames << " frames, channel " << channel;
            }
        }
        // Long enough to reach every channel's peak: the channels come out in order, apart.
        const auto levels = channelLevels(*PcmBuffer::wrap(distinctChannels(channels, 4800)));
        for (qsizetype channel = 0; channel < levels.size(); ++channel) {
            EXPECT_NEAR(levels[channel].peak, normalisedLevel(float(channel + 1) / 10), 1e-3)
                << channels << " channels, channel " << channel;
        }
    }
}

class MicrophoneMeterTest : public ::testing::Test {
protected:
    MicrophoneMeterTest() {
        env_.fake().fakeAudioCapture().addDevice(QStringLiteral("mic"));
        meter_ = std::make_unique<MicrophoneMeter>(env_.queue(), env_.fake().fakeAudioCapture());
        session_ = env_.fake().fakeAudioCapture().session();
    }
    void startAndSettle() {
        meter_->start(QStringLiteral("mic"));
        env_.queue().advance(17ms);
    }
    void deliver(const AudioSampleBuffer& buffer, int times = 1) {
        session_->deliver(buffer, times);
        session_->waitUntilDelivered();
        env_.queue().runUntilIdle();
    }

    TestEnvironment env_;
    std::unique_ptr<MicrophoneMeter> meter_;
    FakeAudioCaptureSession* session_ = nullptr;
};

TEST_F(MicrophoneMeterTest, TheFirstFourBuffersAfterAStartOrAFormatChangeGiveNothing) {
    startAndSettle();
    EXPECT_EQ(session_->input(), QStringLiteral("mic"));
    deliver(Session::constant(0.5f), 4);
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
    deliver(Session::constant(0.5f));
    EXPECT_EQ(meter_->state().kind, Kind::audio);
    EXPECT_EQ(meter_->state().levels.size(), 2);

    deliver(Session::constant(0.5f, 2, 512, 44100), 4);  // a new rate
    env_.queue().advance(500ms);
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
    deliver(Session::constant(0.5f, 2, 512, 44100));
    EXPECT_EQ(meter_->state().kind, Kind::audio);
}

TEST_F(MicrophoneMeterTest, SilenceThenAudioThenNothing) {
    startAndSettle();
    deliver(Session::constant(0.0f), 5);
    EXPECT_EQ(meter_->state(), MicrophoneMeterState::silent({{0, 0, 0}, {0, 0, 0}}));
    deliver(Session::constant(0.25f));
    EXPECT_EQ(meter_->state().kind, Kind::audio);
    deliver(Session::constant(0.0f));
    EXPECT_EQ(meter_->state().kind, Kind::audio);  // audio was seen since the reset
    env_.queue().advance(499ms);
    EXPECT_EQ(meter_->state().kind, Kind::audio);
    env_.queue().advance(1ms);
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);

    auto empty = Session::constant(0.0f, 2, 0);
    deliver(empty);
    EXPECT_EQ(meter_->state(), MicrophoneMeterState::audio({}));
}

TEST_F(MicrophoneMeterTest, APeakIsHeldThenFalls) {
    startAndSettle();
    deliver(Session::constant(0.0f), 4);
    meter_->ingest({{0.8, 0.9, 0}});
    for (const auto& [after, hold] : {std::pair{1000ms, 0.9}, std::pair{500ms, 0.9},
                                      std::pair{1000ms, 0.5}, std::pair{1000ms, 0.2}}) {
        env_.queue().advance(after);
        meter_->ingest({{0, 0.2, 0}});
        EXPECT_NEAR(meter_->state().levels[0].peakHold, hold, 1e-9);
    }
    env_.queue().advance(1000ms);
    meter_->ingest({{0, 0.1, 0}});
    EXPECT_NEAR(meter_->state().levels[0].peakHold, 0.1, 1e-9);  // still falling, to the peak

    // A new channel starts holding now; a shrinking count leaves the other holds alone.
    meter_->ingest({{0, 0.1, 0}, {0, 0.7, 0}});
    meter_->ingest({{0, 0.1, 0}});
    env_.queue().advance(100ms);
    meter_->ingest({{0, 0.1, 0}, {0, 0.0, 0}});
    EXPECT_NEAR(meter_->state().levels[1].peakHold, 0.7, 1e-9);
}

TEST_F(MicrophoneMeterTest, StoppingDuringTheSwitchConfiguresNoInput) {
    meter_->start(QStringLiteral("mic"));
    env_.queue().advance(10ms);
    meter_->stop();
    env_.queue().advance(1s);
    EXPECT_EQ(session_->inputsAdded(), 0);
    EXPECT_FALSE(session_->isRunning());
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
}

TEST_F(MicrophoneMeterTest, StartingAgainResetsAndAMissingDeviceGivesNoInput) {
    startAndSettle();
    deliver(Session::constant(0.5f), 5);
    ASSERT_TRUE(meter_->hasReceivedAudio());
    meter_->start(QStringLiteral("gone"));
    EXPECT_FALSE(session_->input());
    env_.queue().advance(17ms);
    EXPECT_FALSE(meter_->hasReceivedAudio());
    EXPECT_FALSE(session_->input());
    deliver(Session::constant(0.5f), 10);
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
}

TEST_F(MicrophoneMeterTest, BuffersTakenBeforeAStopAreNotShownAfterIt) {
    startAndSettle();
    deliver(Session::constant(0.5f), 5);
    ASSERT_EQ(meter_->state().kind, Kind::audio);

    // Measured and posted before the stop, run after it.
    session_->deliver(Session::constant(0.5f), 3);
    session_->waitUntilDelivered();
    meter_->stop();
    QSignalSpy changes(meter_.get(), &MicrophoneMeter::stateChanged);
    env_.queue().runUntilIdle();
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(env_.queue().activeTimerCount(), 0u);  // no 0.5 s timer restarted by them
    EXPECT_FALSE(meter_->hasReceivedAudio());
}

TEST_F(MicrophoneMeterTest, EveryStartSkipsTheFirstFourBuffersAgain) {
    startAndSettle();
    deliver(Session::constant(0.5f), 5);
    ASSERT_EQ(meter_->state().kind, Kind::audio);
    meter_->stop();

    startAndSettle();
    deliver(Session::constant(0.5f), 4);  // the same format as before the stop
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
    deliver(Session::constant(0.5f));
    EXPECT_EQ(meter_->state().kind, Kind::audio);

    // Switching input without a stop in between starts the count again too.
    startAndSettle();
    deliver(Session::constant(0.5f), 4);
    EXPECT_EQ(meter_->state().kind, Kind::missingAudio);
    deliver(Session::constant(0.5f));
    EXPECT_EQ(meter_->state().kind, Kind::audio);
}

TEST_F(MicrophoneMeterTest, GoingAwayWhileBuffersArriveIsSafe) {
    startAndSettle();
    session_->deliver(Session::sine(0.5f, 440, 2, 4096), 200);
    meter_.reset();  // while the session's thread is still delivering
    env_.queue().runUntilIdle();
    EXPECT_EQ(env_.queue().activeTimerCount(), 0u);
}

TEST_F(MicrophoneMeterTest, BuffersAfterTheMeterIsGoneDoNothing) {
    startAndSettle();
    session_->deliver(Session::constant(0.5f), 5);
    session_->waitUntilDelivered();
    meter_.reset();
    env_.queue().runUntilIdle();
    EXPECT_EQ(env_.queue().activeTimerCount(), 0u);
}

}  // namespace
}  // namespace tavrin
