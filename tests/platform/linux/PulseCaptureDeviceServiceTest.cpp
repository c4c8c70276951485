#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include "platform/linux/PulseCaptureDeviceService.h"
#include "platform/linux/SoundServerStates.h"

namespace tavrin {
namespace {

using namespace testing;

TEST(PulseCaptureDevicesTest, FormatIsTheSourcesSampleSpecAsLinearPCM) {
    auto microphone = source(1, QStringLiteral("mic"));
    microphone.sampleRate = 44100;
    microphone.channels = 6;
    microphone.bitsPerSample = 16;
    microphone.isFloat = false;

    const auto format = soundServerFormat(microphone);

    ASSERT_TRUE(format->streamDescription);
    EXPECT_EQ(format->mediaSubtype, linearPCMFormat);
    EXPECT_EQ(*format->streamDescription, interleavedLinearPCM(44100, 6, 16, false));
    EXPECT_EQ(format->streamDescription->bytesPerFrame, 12u);
    EXPECT_TRUE(format->streamDescription->formatFlags & AudioFormatFlag::isSignedInteger);
    // A format the server named and we don't know has no sample size: no bytes, no crash.
    microphone.bitsPerSample = 0;
    EXPECT_EQ(soundServerFormat(microphone)->streamDescription->bytesPerFrame, 0u);
}

TEST(PulseCaptureDevicesTest, PortsAreInputSourcesAndTheBusTheTransport) {
    auto microphone = source(1, QStringLiteral("mic"));
    microphone.ports = {{QStringLiteral("analog-input-mic"), QStringLiteral("Microphone")},
                        {QStringLiteral("analog-input-linein"), QStringLiteral("Line In")}};
    microphone.activePort = QStringLiteral("analog-input-linein");

    EXPECT_EQ(soundServerInputSources(microphone).size(), 2);
    EXPECT_EQ(
        soundServerActiveInputSource(microphone),
        (CaptureInputSource{QStringLiteral("analog-input-linein"), QStringLiteral("Line In")}));
    microphone.activePort = QStringLiteral("gone");
    EXPECT_EQ(soundServerActiveInputSource(microphone), std::nullopt);

    EXPECT_EQ(soundServerTransportType(microphone), std::int32_t(fourCC("virt")));
    microphone.hasHardware = true;
    EXPECT_EQ(soundServerTransportType(microphone), std::int32_t(fourCC("bltn")));
    microphone.bus = QStringLiteral("usb");
    EXPECT_EQ(soundServerTransportType(microphone), std::int32_t(fourCC("usb ")));
}

TEST(PulseCaptureDevicesTest, ObservationsChangeWithTheirOwnFields) {
    auto before = twoMicrophonesAndAMonitor();
    before.sources[1].ports = {{QStringLiteral("mic"), QStringLiteral("Microphone")},
                               {QStringLiteral("line"), QStringLiteral("Line In")}};
    before.sources[1].activePort = QStringLiteral("mic");
    auto after = before;
    after.sources[1].activePort = QStringLiteral("line");
    after.streams.insert(1, stream(1, 1, ownPID));  // our own recording is not another app's
    const auto name = QStringLiteral("mic.a");
    auto changed = [&](const QString& keyPath) {
        return PulseCaptureDeviceService::keyPathValue(before, name, keyPath, ownPID) !=
               PulseCaptureDeviceService::keyPathValue(after, name, keyPath, ownPID);
    };

    EXPECT_TRUE(changed(CaptureKeyPath::activeInputSource));
    EXPECT_FALSE(changed(CaptureKeyPath::activeFormat));
    EXPECT_FALSE(changed(CaptureKeyPath::connected));
    EXPECT_FALSE(changed(CaptureKeyPath::inUseByAnotherApplication));
    after.streams.insert(2, stream(2, 1, 700));
    EXPECT_TRUE(changed(CaptureKeyPath::inUseByAnotherApplication));
    after.sources.remove(1);
    EXPECT_TRUE(changed(CaptureKeyPath::connected));
}

}  // namespace
}  // namespace tavrin
