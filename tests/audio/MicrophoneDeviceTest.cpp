#include <gtest/gtest.h>

#include "audio/AudioDeviceMuteMonitor.h"
#include "audio/AudioDeviceUsageMonitor.h"
#include "audio/MicrophoneDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using namespace AudioSelector;
using Operation = FakeFault::Operation;
using testing::captureSource;
using testing::ScopedLocale;
using testing::TestEnvironment;

class MicrophoneDeviceTest : public ::testing::Test {
protected:
    // Plugs a microphone with an audio device (and optionally a capture device) and makes its
    // model once the framework lists it.
    std::shared_ptr<MicrophoneDevice> plug(FakeAudioDeviceSpec audio = {},
                                           std::optional<FakeCaptureDeviceState> capture = {}) {
        audio.uid = QStringLiteral("mic");
        auto spec = captureSource(QStringLiteral("mic"), QStringLiteral("USB Mic"));
        spec.audioDevice = audio;
        if (capture) {
            capture->uniqueID = spec.id;
            capture_ = env_.fake().fakeCaptureDevices().add(*capture);
        }
        env_.fake().plugMicrophone(spec);
        env_.settle();
        auto microphone = MicrophoneDevice::create(
            env_.context(), env_.fake().fakeFramework().microphones().find(spec.id));
        env_.settle();
        return microphone;
    }
    FakeAudioHardware& hardware() { return env_.fake().fakeAudioHardware(); }
    ObjectID device() { return *env_.context().audioMuteMonitor().deviceID(QStringLiteral("mic")); }
    QStringList changes(const std::shared_ptr<MicrophoneDevice>& microphone) {
        env_.settle();
        return env_.messages(microphone->uuid()).mid(1);
    }

    TestEnvironment env_;
    std::shared_ptr<FakeCaptureDevice> capture_;
};

TEST_F(MicrophoneDeviceTest, CreationReadsTheAudioDeviceAndRecordsTheDiscovery) {
    const auto microphone = plug(
        {.isMuted = true,
         .availableSampleRates = {{48000, 48000}, {8000, 96000}, {44100, 44100}, {48000, 48000}}},
        FakeCaptureDeviceState{.deviceType = CaptureDeviceType::microphone,
                               .transportType = std::int32_t(fourCC("usb "))});
    EXPECT_TRUE(microphone->isMuteSupported());
    EXPECT_TRUE(microphone->isMuteSettable());
    EXPECT_TRUE(microphone->isMuted());
    EXPECT_EQ(microphone->volume(), 0.5f);
    EXPECT_TRUE(microphone->isVolumeSettable());
    EXPECT_EQ(microphone->sampleRate(), 48000.0);
    EXPECT_EQ(microphone->availableSampleRates(), (QList<double>{8000, 44100, 48000, 96000}));
    EXPECT_FALSE(microphone->isDefaultInput());
    EXPECT_TRUE(microphone->isConnected());
    EXPECT_EQ(env_.messages(microphone->uuid()),
              QStringList{"Discovered USB Mic (idle, muted, type=Microphone, transport='usb ')"});
}

TEST_F(MicrophoneDeviceTest, AnIdleMicrophoneWithoutCaptureDeviceOrMute) {
    const auto microphone = plug({.isMuted = std::nullopt});
    EXPECT_FALSE(microphone->isMuteSupported());
    EXPECT_FALSE(env_.context().audioMuteMonitor().hasSubscribers(QStringLiteral("mic")));
    EXPECT_EQ(env_.messages(microphone->uuid()), QStringList{"Discovered USB Mic (idle)"});
    microphone->setMuted(true);
    EXPECT_TRUE(changes(microphone).isEmpty());
}

TEST_F(MicrophoneDeviceTest, ChangesFromElsewhereAreFollowedAndLogged) {
    const auto microphone = plug();
    hardware().changeProperty(device(), inputAddress(mute), std::uint32_t(1));
    hardware().changeProperty(device(), inputAddress(volumeScalar), 0.66f);
    hardware().changeProperty(device(), globalAddress(nominalSampleRate), 44100.0);
    hardware().changeProperty(device(), globalAddress(isRunningSomewhere), std::uint32_t(1));
    hardware().changeProperty(systemObjectID, globalAddress(defaultInputDevice),
                              std::uint32_t(device()));
    EXPECT_EQ(
        changes(microphone),
        (QStringList{"USB Mic muted: no \u2192 yes", "USB Mic volume: 50% \u2192 66%",
                     "USB Mic sample rate: 48000 Hz \u2192 44100 Hz",
                     "USB Mic in use: no \u2192 yes", "USB Mic default input: no \u2192 yes"}));
    QStringList sources;
    for (const auto& event : env_.log().events(microphone->uuid()).mid(1)) {
        sources.append(event.source);
    }
    EXPECT_EQ(sources, (QStringList{"Usage", "Audio", "Audio", "Usage", "System"}));
}

TEST_F(MicrophoneDeviceTest, AVolumeThatCouldNotBeReadAtFirstStartsFromAbsent) {
    hardware().addFault(
        {.operation = Operation::get, .address = inputAddress(volumeScalar), .times = 1});
    const auto microphone = plug();
    EXPECT_FALSE(microphone->volume());
    hardware().changeProperty(device(), inputAddress(volumeScalar), 0.25f);
    EXPECT_EQ(changes(microphone), QStringList{"USB Mic volume: \u2014 \u2192 25%"});
}

TEST_F(MicrophoneDeviceTest, AChangeRightAfterTheFirstReadIsNotLost) {
    auto spec = captureSource(QStringLiteral("mic"), QStringLiteral("USB Mic"));
    spec.audioDevice = FakeAudioDeviceSpec{.uid = QStringLiteral("mic")};
    env_.fake().plugMicrophone(spec);
    env_.settle();
    // Another process turns the volume down just after the model has read it.
    hardware().afterNextRead(inputAddress(volumeScalar), [&] {
        hardware().changeProperty(device(), inputAddress(volumeScalar), 0.25f);
        env_.fake().waitForNotifications();
    });
    const auto microphone = MicrophoneDevice::create(
        env_.context(), env_.fake().fakeFramework().microphones().find(spec.id));
    env_.settle();
    EXPECT_EQ(microphone->volume(), 0.25f);
    EXPECT_EQ(changes(microphone), QStringList{"USB Mic volume: 50% \u2192 25%"});
}

TEST_F(MicrophoneDeviceTest, AReReadThatFailsMakesTheValueAbsent) {
    const auto microphone = plug();
    hardware().addFault({.operation = Operation::get, .object = device()});
    hardware().notifyListeners(device(), inputAddress(volumeScalar));
    hardware().notifyListeners(device(), globalAddress(nominalSampleRate));
    EXPECT_EQ(changes(microphone), (QStringList{"USB Mic volume: 50% \u2192 \u2014",
                                                "USB Mic sample rate: 48000 Hz \u2192 \u2014"}));
    EXPECT_FALSE(microphone->volume());
    EXPECT_FALSE(microphone->sampleRate());
}

TEST_F(MicrophoneDeviceTest, CommandsWriteAndTheirChangesComeBackAsEvents) {
    const auto microphone = plug();
    microphone->setMuted(true);
    microphone->setVolume(0.8f);
    microphone->setSampleRate(44100);
    microphone->makeDefaultInput();
    EXPECT_EQ(changes(microphone),
              (QStringList{"USB Mic muted: no \u2192 yes", "USB Mic volume: 50% \u2192 80%",
                           "USB Mic sample rate: 48000 Hz \u2192 44100 Hz",
                           "USB Mic default input: no \u2192 yes"}));
}

TEST_F(MicrophoneDeviceTest, FailedCommandsAreLogged) {
    const auto microphone = plug();
    hardware().addFault({.operation = Operation::set});
    microphone->setMuted(false);
    microphone->setVolume(0.1f);
    microphone->setSampleRate(44100.7);
    microphone->makeDefaultInput();
    EXPECT_EQ(changes(microphone),
              (QStringList{"Failed to unmute USB Mic", "Failed to set USB Mic volume",
                           "Failed to set USB Mic sample rate to 44100 Hz",
                           "Failed to set USB Mic as default input"}));
}

TEST_F(MicrophoneDeviceTest, WhenTheUIDStopsResolvingOnlyMutingSaysSo) {
    const auto microphone = plug();
    hardware().removeDevice(device());
    env_.settle();
    microphone->setMuted(true);
    microphone->setVolume(0.1f);
    microphone->setSampleRate(44100);
    microphone->makeDefaultInput();
    EXPECT_EQ(changes(microphone), QStringList{"Failed to mute USB Mic"});
}

TEST_F(MicrophoneDeviceTest, ReadOnlyPropertiesAreNotWritten) {
    const auto microphone = plug({.isVolumeSettable = false, .isSampleRateSettable = false});
    microphone->setVolume(0.9f);
    microphone->setSampleRate(44100);
    EXPECT_TRUE(changes(microphone).isEmpty());
    EXPECT_EQ(readProperty<float>(hardware(), device(), inputAddress(volumeScalar)), 0.5f);
}

TEST_F(MicrophoneDeviceTest, InputSourcesLogTheirCountAndTheActiveOne) {
    const CaptureInputSource line{QStringLiteral("line"), QStringLiteral("Line In")};
    const CaptureInputSource internal{QStringLiteral("imic"), QStringLiteral("Internal")};
    const auto microphone = plug(
        {}, FakeCaptureDeviceState{.inputSources = {line, internal}, .activeInputSource = line});
    capture_->change({CaptureKeyPath::activeInputSource}, [&](auto& d) {
        d.inputSources = {internal, line};
    });
    env_.settle();
    EXPECT_EQ(microphone->inputSources().first(), internal);
    microphone->setActiveInputSource(internal);
    env_.settle();
    capture_->change({CaptureKeyPath::activeInputSource},
                     [&](auto& d) { d.inputSources = {line}; });
    EXPECT_EQ(changes(microphone),
              (QStringList{"USB Mic active input source: Line In \u2192 Internal",
                           "USB Mic input source list updated: 2 \u2192 1"}));
    EXPECT_FALSE(capture_->isLockedByUs());

    capture_->setLockedByAnotherProcess(true);
    microphone->setActiveInputSource(line);
    const auto lines = changes(microphone);
    EXPECT_TRUE(
        lines.last().startsWith(QStringLiteral("Failed to lock USB Mic to change input source: ")));
}

// Where the OS has no configuration lock (a sound server), the source is set directly.
TEST_F(MicrophoneDeviceTest, WithoutAConfigurationLockTheInputSourceIsSetDirectly) {
    const CaptureInputSource line{QStringLiteral("line"), QStringLiteral("Line In")};
    const CaptureInputSource internal{QStringLiteral("imic"), QStringLiteral("Internal")};
    const auto microphone = plug({}, FakeCaptureDeviceState{.inputSources = {line, internal},
                                                            .activeInputSource = line,
                                                            .hasConfigurationLock = false});
    microphone->setActiveInputSource(internal);
    EXPECT_EQ(changes(microphone),
              QStringList{"USB Mic active input source: Line In \u2192 Internal"});
    EXPECT_EQ(capture_->lockCount(), 0);
    EXPECT_EQ(capture_->refusedSetCount(), 0);

    microphone->configurationLock().lock();
    EXPECT_EQ(changes(microphone).last(),
              QStringLiteral("Failed to lock USB Mic configuration: This device has no "
                             "configuration lock"));
}

TEST_F(MicrophoneDeviceTest, FormatSummaries) {
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->mediaSubtype = fourCC("lpcm");
    EXPECT_EQ(MicrophoneDevice::formatSummary(format), QStringLiteral("lpcm"));
    format->streamDescription = AudioStreamDescription{.sampleRate = 48000, .channelsPerFrame = 2};
    EXPECT_EQ(MicrophoneDevice::formatSummary(format),
              QString::fromUtf8("lpcm @ 48,000 Hz \u00d7 2ch"));
    EXPECT_EQ(MicrophoneDevice::formatSummary(nullptr), QString::fromUtf8("\u2014"));
}

TEST_F(MicrophoneDeviceTest, ReleaseUnsubscribesAndUnregisters) {
    auto microphone = plug();
    const auto before = hardware().listenerCount();
    EXPECT_TRUE(env_.context().audioUsageMonitor().hasSubscribers(QStringLiteral("mic")));
    EXPECT_TRUE(env_.context().audioMuteMonitor().hasSubscribers(QStringLiteral("mic")));
    const auto uuid = microphone->uuid();
    hardware().changeProperty(device(), inputAddress(volumeScalar), 0.3f);
    env_.fake().waitForNotifications();  // the re-read is queued, not yet run
    microphone.reset();
    env_.settle();
    EXPECT_EQ(hardware().listenerCount(), before - 3);
    EXPECT_FALSE(env_.context().audioUsageMonitor().hasSubscribers(QStringLiteral("mic")));
    EXPECT_FALSE(env_.context().audioMuteMonitor().hasSubscribers(QStringLiteral("mic")));
    EXPECT_EQ(env_.messages(uuid).size(), 1);
}

}  // namespace
}  // namespace tavrin
