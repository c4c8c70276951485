#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "audio/AudioDeviceLookup.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "ui/DeviceHosts.h"
#include "ui/DisplayInspectorView.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/InspectorView.h"
#include "ui/MicrophoneInspectorView.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

// Shown rows only: a row whose condition fails is hidden.
QString shownText(InspectorRow* row) {
    return row && row->isVisibleTo(row->parentWidget()) ? row->text() : QStringLiteral("<none>");
}

class DisplayInspectorTest : public ::testing::Test {
protected:
    DisplayInspectorTest() { env_.context().deviceStore(); }
    std::shared_ptr<DisplayDevice> plug(const FakeDisplayHardware& hardware,
                                        std::optional<QRectF> visibleFrame = std::nullopt) {
        FakeDisplaySpec spec;
        spec.id = 69734272;
        spec.values.localizedName = QStringLiteral("Studio Monitor");
        spec.values.frame = QRectF(-1920.6, 120.9, 1920, 1080);
        spec.values.visibleFrame = visibleFrame;
        spec.hardware = hardware;
        env_.fake().plugDisplay(spec);
        env_.settleAll();
        return env_.context().deviceStore().displayDiscovery().displays().first();
    }

    UiTestEnvironment env_;
    testing::ScopedLocale locale_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST_F(DisplayInspectorTest, NumbersSizesAndUnitsAreWrittenAsTheRowsPromise) {
    FakeDisplayHardware hardware;
    hardware.currentMode = DisplayMode{3840, 2160, 59.94, 0};
    hardware.allModes =
        QList<DisplayMode>{{3840, 2160, 59.94, DisplayMode::nativeFlag}, {1920, 1080, 60, 0}};
    hardware.pixelsWide = 3840;
    hardware.pixelsHigh = 2160;
    hardware.physicalSize = QSizeF(597, 336);
    hardware.mirrorOf = 1;
    hardware.screen = ScreenInfo{0, 2, QStringLiteral("Display P3"), 16, 2.5, 10};
    auto display = plug(hardware, QRectF(-1920.6, 120.9, 1920.7, 1055.2));
    DisplayInspectorView view(display);
    auto text = [&](const char* label) { return shownText(view.row(QString::fromLatin1(label))); };

    EXPECT_EQ(text("Mirroring"), QStringLiteral("Display 1"));
    EXPECT_EQ(text("Display ID"), QStringLiteral("69734272"));
    EXPECT_EQ(text("Point Size"), QStringLiteral("1920 × 1080"));
    EXPECT_EQ(text("Backing Scale"), QStringLiteral("2×"));
    EXPECT_EQ(text("Refresh Rate"), QStringLiteral("59.94 Hz"));
    EXPECT_EQ(text("Color Space"), QStringLiteral("Display P3"));
    EXPECT_EQ(text("Bit Depth"), QStringLiteral("10 bits/channel"));
    EXPECT_EQ(text("EDR Peak"), QStringLiteral("16× SDR"));
    EXPECT_EQ(text("EDR Current"), QStringLiteral("2.5× SDR"));
    EXPECT_EQ(text("Physical Size"), QStringLiteral("597 × 336 mm (26.97\")"));
    EXPECT_EQ(text("Origin"), QStringLiteral("(-1920, 120)"));
    EXPECT_EQ(text("Visible Frame"), QStringLiteral("(-1920, 120) 1920 × 1055"));
    EXPECT_EQ(text("Available Modes"), QStringLiteral("2"));
}

TEST_F(DisplayInspectorTest, AbsentValuesLeaveTheirRowsOutRatherThanShowZeroOrNaN) {
    FakeDisplayHardware hardware;
    hardware.currentMode = std::nullopt;
    hardware.allModes = std::nullopt;
    hardware.screen = ScreenInfo{0, 1, std::nullopt, 1, 1, 8};  // no EDR above 1
    auto display = plug(hardware);
    DisplayInspectorView view(display);
    for (const auto* label : {"Mirroring", "Refresh Rate", "Native Panel", "Color Space",
                              "EDR Peak", "EDR Current", "Physical Size", "Visible Frame"}) {
        EXPECT_EQ(shownText(view.row(QString::fromLatin1(label))), QStringLiteral("<none>"))
            << label;
    }
    for (auto* row : view.findChildren<InspectorRow*>()) {
        if (row->isVisibleTo(&view)) {
            EXPECT_FALSE(row->text().contains(QStringLiteral("nan"))) << row->label().toStdString();
        }
    }
}

TEST(DisplayTextTest, SizesAreCutNotRoundedAndTheDiagonalFollowsTheLocale) {
    testing::ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(displaySizeText(QSizeF(1511.9, 981.5)), QStringLiteral("1511 × 981"));
    EXPECT_EQ(displayNumberText(29.97), QStringLiteral("29,97"));
    EXPECT_EQ(displayNumberText(30.0), QStringLiteral("30"));
    EXPECT_EQ(displayNumberText(12345.5), QStringLiteral("12345,5"));
    EXPECT_EQ(physicalSizeText(QSizeF(597, 336)), QStringLiteral("597 × 336 mm (26,97\")"));
}

class MicrophoneInspectorTest : public ::testing::Test {
protected:
    static constexpr const char* uid = "USBAudio:Vocalis:Podcast Mic:0001:1";

    MicrophoneInspectorTest() { env_.context().deviceStore(); }

    std::shared_ptr<MicrophoneDevice> plug(const FakeAudioDeviceSpec& audio) {
        auto spec = testing::captureSource(QString::fromLatin1(uid), QStringLiteral("Podcast Mic"),
                                           QStringLiteral("Vocalis"),
                                           QStringLiteral("AVCaptureDeviceTypeMicrophone"));
        spec.audioDevice = audio;
        spec.audioDevice->uid = spec.id;
        env_.fake().plugMicrophone(spec);
        env_.settleAll();
        return env_.context().deviceStore().microphoneDiscovery().microphones().first();
    }
    void setActiveFormat(CaptureFormat format) {
        auto device = env_.fake().fakeCaptureDevices().fakeDevice(QString::fromLatin1(uid));
        device->change({QStringLiteral("activeFormat")},
                       [&](FakeCaptureDeviceState& state) { state.activeFormat = format; });
        env_.settleAll();
    }
    static CaptureFormat pcm() {
        auto format = std::make_shared<CaptureDeviceFormat>();
        format->mediaSubtype = linearPCMFormat;
        format->streamDescription = interleavedLinearPCM(48000, 2, 24, false);
        return format;
    }
    ObjectID audioDevice() {
        return *audioDeviceID(env_.fake().fakeAudioHardware(), QString::fromLatin1(uid));
    }

    UiTestEnvironment env_;
    testing::ScopedLocale locale_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST_F(MicrophoneInspectorTest, CapturedByAppearsAndGoesWithinASecondAndStopsWithTheView) {
    auto microphone = plug({});
    auto view = std::make_unique<MicrophoneInspectorView>(env_.context(), microphone);
    view->show();
    auto* section = view->section(QStringLiteral("Captured By"));
    EXPECT_FALSE(section->isVisibleTo(view.get()));

    env_.fake().fakeProcessNames().setApplicationName(4242, QStringLiteral("Recorder"));
    const auto process = env_.fake().fakeAudioHardware().addProcess(
        {.pid = 4242,
         .bundleID = QStringLiteral("com.example.recorder"),
         .isRunningInput = true,
         .devices = {audioDevice()}});
    env_.queue().advance(1s);
    EXPECT_TRUE(section->isVisibleTo(view.get()));
    ASSERT_EQ(view->captureClients().size(), 1);
    const auto rows = section->findChildren<InspectorRow*>();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]->label(), QStringLiteral("Recorder"));
    QStringList values;
    for (auto* label : rows[0]->content()->findChildren<QLabel*>()) {
        values.append(label->toolTip().isEmpty() ? label->text() : label->toolTip());
    }
    EXPECT_EQ(values, (QStringList{"com.example.recorder", "PID 4242"}));

    env_.fake().fakeAudioHardware().removeProcess(process);
    env_.queue().advance(1s);
    EXPECT_FALSE(section->isVisibleTo(view.get()));
    EXPECT_TRUE(view->captureClients().isEmpty());

    const auto timersWithView = env_.queue().activeTimerCount();
    view.reset();
    EXPECT_EQ(env_.queue().activeTimerCount(), timersWithView - 1);
    env_.queue().advance(3s);  // nothing left to run against the gone view
}

TEST_F(MicrophoneInspectorTest, ASingleSampleRateIsTextAndNoFormatMeansNoAudioFormatSection) {
    FakeAudioDeviceSpec audio;
    audio.availableSampleRates = {{48000, 48000}};
    auto microphone = plug(audio);
    MicrophoneInspectorView view(env_.context(), microphone);
    EXPECT_FALSE(view.section(QStringLiteral("Audio Format"))->isVisibleTo(&view));

    setActiveFormat(pcm());
    EXPECT_TRUE(view.section(QStringLiteral("Audio Format"))->isVisibleTo(&view));
    EXPECT_FALSE(view.sampleRatePicker()->isVisibleTo(&view));
    EXPECT_EQ(view.row(QStringLiteral("Sample Rate"))->findChildren<QLabel*>().last()->text(),
              QStringLiteral("48000 Hz"));
    EXPECT_EQ(shownText(view.row(QStringLiteral("Bit Depth"))), QStringLiteral("24-bit"));
    EXPECT_EQ(shownText(view.row(QStringLiteral("Format"))), QStringLiteral("lpcm"));
    EXPECT_EQ(view.volumeRow()->readout(), QStringLiteral("50%"));
}

TEST_F(MicrophoneInspectorTest, SeveralRatesArePickedAndTheChoiceReachesTheDevice) {
    auto microphone = plug({});
    setActiveFormat(pcm());
    MicrophoneInspectorView view(env_.context(), microphone);
    auto* picker = view.sampleRatePicker();
    ASSERT_TRUE(picker->isVisibleTo(&view));
    ASSERT_EQ(picker->count(), 2);
    EXPECT_EQ(picker->currentText(), QStringLiteral("48000 Hz"));
    QTest::keyClick(picker, Qt::Key_Up);
    env_.settleAll();
    EXPECT_EQ(microphone->sampleRate(), 44100.0);
    EXPECT_EQ(picker->currentText(), QStringLiteral("44100 Hz"));
}

TEST_F(MicrophoneInspectorTest, MuteThatCantBeReadIsNotSupported) {
    FakeAudioDeviceSpec audio;
    audio.isMuted = std::nullopt;
    auto microphone = plug(audio);
    MicrophoneInspectorView view(env_.context(), microphone);
    EXPECT_FALSE(view.muteSwitch()->isVisibleTo(&view));
    EXPECT_TRUE(view.row(QStringLiteral("Muted"))
                    ->findChildren<QLabel*>()
                    .last()
                    ->text()
                    .contains(QStringLiteral("Not supported")));
}

TEST_F(MicrophoneInspectorTest, TheDefaultInputCantBeMadeDefaultAgain) {
    auto microphone = plug({});
    MicrophoneInspectorView view(env_.context(), microphone);
    if (!microphone->isDefaultInput()) {
        QTest::mouseClick(view.makeDefaultButton(), Qt::LeftButton);
        env_.settleAll();
    }
    ASSERT_TRUE(microphone->isDefaultInput());
    EXPECT_EQ(shownText(view.row(QStringLiteral("Default Input"))), QStringLiteral("Yes"));
    EXPECT_FALSE(view.makeDefaultButton()->isEnabled());
}

TEST(InspectorHostTest, ANewSelectionBuildsANewInspectorAndResizingKeepsIt) {
    UiTestEnvironment env(testing::twoOfEachFixture());
    auto& store = env.context().deviceStore();
    env.settleAll();
    WindowState state;
    InspectorHost host(env.context(), state);
    host.resize(300, 600);
    host.show();
    EXPECT_EQ(host.inspector(), nullptr);
    EXPECT_TRUE(host.showsPlaceholder());

    state.setSelection(store.cameraDiscovery().cameras().first()->uuid());
    auto* camera = host.inspector();
    ASSERT_NE(camera, nullptr);
    EXPECT_NE(camera->cameraView(), nullptr);
    EXPECT_EQ(camera->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    const QPointer<InspectorView> watch(camera);
    host.resize(420, 500);
    QApplication::processEvents();
    EXPECT_EQ(host.inspector(), camera);

    state.setSelection(store.microphoneDiscovery().microphones().first()->uuid());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    ASSERT_NE(host.inspector(), nullptr);
    EXPECT_NE(host.inspector()->microphoneView(), nullptr);
    state.setSelection(store.displayDiscovery().displays().first()->uuid());
    EXPECT_NE(host.inspector()->displayView(), nullptr);
    state.setSelection({});
    EXPECT_EQ(host.inspector(), nullptr);
    EXPECT_TRUE(host.showsPlaceholder());
}

}  // namespace
}  // namespace tavrin
