#include <gtest/gtest.h>

#include <QPointer>
#include <QScrollBar>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraTestSupport.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "platform/linux/FreedesktopSymbolCatalog.h"
#include "ui/AudioHogModeSection.h"
#include "ui/CameraDetailView.h"
#include "ui/CameraFormatsTable.h"
#include "ui/ConfigurationLockSection.h"
#include "ui/DeviceCanvas.h"
#include "ui/DeviceHosts.h"
#include "ui/DisplayDetailView.h"
#include "ui/MicrophoneDetailView.h"
#include "ui/Pill.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

QStringList pillTexts(const DeviceHeaderRow* header) {
    QStringList texts;
    for (auto* pill : header->shownPills()) {
        texts.append(pill->text());
    }
    return texts;
}

// The page's sections, top to bottom, by their accessible names.
QStringList sectionOrder(QWidget* page) {
    QStringList names;
    for (auto* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->accessibleName().isEmpty() || qobject_cast<DeviceHeaderRow*>(child)) {
            names.append(qobject_cast<DeviceHeaderRow*>(child) ? QStringLiteral("header")
                                                               : child->accessibleName());
        }
    }
    return names;
}

class CameraPageTest : public ::testing::Test {
protected:
    testing::CameraUnderTest plug(const QString& manufacturer) {
        FakeCaptureDeviceState state;
        state.uniqueID = QStringLiteral("cam-1");
        state.deviceType = QStringLiteral("AVCaptureDeviceTypeExternal");
        state.formats = {testing::videoFormat(640, 480, "420v", {testing::rateRange(1, 30)})};
        state.activeFormat = state.formats.first();
        state.activeVideoMinFrameDuration = MediaTime::make(1001, 30000);
        auto spec =
            testing::captureSource(state.uniqueID, QStringLiteral("Desk Cam"), manufacturer);
        spec.values.modelID = QStringLiteral("UVC 046d:0825");
        env_.fake().plugCamera(spec);
        auto capture = env_.fake().fakeCaptureDevices().add(state);
        env_.settle();
        auto camera = CameraDevice::create(
            env_.context(), env_.fake().fakeFramework().cameras().find(state.uniqueID));
        env_.settleAll();
        return {capture, camera};
    }

    UiTestEnvironment env_;
    WindowState state_;
    testing::ScopedLocale locale_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST_F(CameraPageTest, HeaderNamesAnUnknownManufacturerAndPillsFollowTheCamera) {
    auto [capture, camera] = plug({});
    DeviceCanvas canvas(camera->entry(), env_.context(), state_);
    auto* page = canvas.cameraView();
    ASSERT_NE(page, nullptr);
    auto* header = page->header();
    EXPECT_EQ(header->title(), QStringLiteral("Desk Cam"));
    EXPECT_EQ(header->subtitleTexts(),
              (QStringList{"Unknown manufacturer", "·", "UVC 046d:0825", "·", "External"}));
    // 30000 / 1001 is 29.97 frames a second: the pill cuts it to whole frames.
    EXPECT_EQ(pillTexts(header), (QStringList{"Available", "640×480 420v (NV12)", "29 fps"}));

    env_.fake().setCameraInUseByAnotherProcess(QStringLiteral("cam-1"), true);
    env_.settleAll();
    ASSERT_TRUE(camera->isInUseByAnotherApplication());
    EXPECT_EQ(pillTexts(header).last(), QStringLiteral("In Use"));
    EXPECT_EQ(header->shownPills().last()->symbolName(),
              QStringLiteral("person.fill.questionmark"));

    capture->change({QStringLiteral("activeFormat")},
                    [](FakeCaptureDeviceState& state) { state.activeFormat = {}; });
    env_.settleAll();
    EXPECT_FALSE(pillTexts(header).contains(QStringLiteral("640×480 420v (NV12)")));
}

TEST_F(CameraPageTest, ThePageRunsHeaderPreviewLockFormatsInsideTwentyPointsOfPadding) {
    auto [capture, camera] = plug(QStringLiteral("Lumetric"));
    DeviceCanvas canvas(camera->entry(), env_.context(), state_);
    canvas.resize(900, 400);
    canvas.show();
    QApplication::processEvents();
    auto* page = canvas.cameraView();
    EXPECT_EQ(page->header()->subtitleTexts().first(), QStringLiteral("Lumetric"));
    EXPECT_EQ(sectionOrder(page),
              (QStringList{"header", "Camera Preview", "Configuration Lock", "Supported Formats"}));
    EXPECT_EQ(page->formats()->countText(), QStringLiteral("1 format"));
    EXPECT_EQ(page->pos(), QPoint(DeviceCanvas::padding, DeviceCanvas::padding));
    EXPECT_EQ(page->width(), canvas.viewport()->width() - 2 * DeviceCanvas::padding);
    // A page taller than the pane starts at its top.
    EXPECT_EQ(canvas.verticalScrollBar()->value(), 0);
}

TEST(DevicePagesTest, MicrophoneAndDisplayPagesCarryTheirSectionsAndSubtitles) {
    UiTestEnvironment env(testing::twoOfEachFixture());
    auto& store = env.context().deviceStore();
    env.settleAll();
    WindowState state;

    auto microphone = store.microphoneDiscovery().microphones().last();
    DeviceCanvas micCanvas(microphone->entry(), env.context(), state);
    auto* micPage = micCanvas.microphoneView();
    ASSERT_NE(micPage, nullptr);
    EXPECT_EQ(sectionOrder(micPage),
              (QStringList{"header", "Input Level", "Configuration Lock", "Exclusive Access"}));
    EXPECT_EQ(micPage->header()->subtitleTexts().first(), QStringLiteral("Sonance"));
    EXPECT_EQ(pillTexts(micPage->header()).size(), 1);

    const auto displays = store.displayDiscovery().displays();
    DeviceCanvas mainCanvas(displays.first()->entry(), env.context(), state);
    EXPECT_EQ(mainCanvas.displayView()->header()->subtitleTexts(),
              (QStringList{"Display ID", "1", "·", "Main"}));
    EXPECT_EQ(pillTexts(mainCanvas.displayView()->header()).last(), QStringLiteral("1512 × 982"));
    DeviceCanvas otherCanvas(displays.last()->entry(), env.context(), state);
    EXPECT_EQ(otherCanvas.displayView()->header()->subtitleTexts(),
              (QStringList{"Display ID", "722"}));
    EXPECT_EQ(sectionOrder(otherCanvas.displayView()), (QStringList{"header", "Arrangement"}));
}

TEST(DevicePagesTest, AMutedMicrophoneShowsTheMutedPillAfterItsStatus) {
    UiTestEnvironment env;
    env.context().deviceStore();
    auto spec = testing::captureSource(QStringLiteral("mic-1"), QStringLiteral("Podcast Mic"),
                                       QStringLiteral("Vocalis"),
                                       QStringLiteral("AVCaptureDeviceTypeMicrophone"));
    spec.values.isVirtual = true;
    spec.audioDevice = FakeAudioDeviceSpec{.uid = spec.id};
    env.fake().plugMicrophone(spec);
    env.settleAll();
    auto microphone = env.context().deviceStore().microphoneDiscovery().microphones().first();
    const FreedesktopSymbolCatalog symbols;
    WindowState state;
    MicrophoneDetailView page(microphone, env.context(), state, symbols);
    EXPECT_EQ(pillTexts(page.header()).mid(1), QStringList{"Virtual"});
    microphone->setMuted(true);
    env.settleAll();
    ASSERT_TRUE(microphone->isMuted());
    EXPECT_EQ(pillTexts(page.header()).mid(1), (QStringList{"Muted", "Virtual"}));
}

TEST(CanvasHostTest, ASelectionBuildsItsKindsPageAndOnlyAnotherSelectionReplacesIt) {
    UiTestEnvironment env(testing::twoOfEachFixture());
    auto& store = env.context().deviceStore();
    env.settleAll();
    WindowState state;
    CanvasHost host(env.context(), state);
    host.resize(700, 500);
    host.show();
    EXPECT_TRUE(host.showsPlaceholder());
    EXPECT_EQ(host.canvas(), nullptr);

    const auto camera = store.cameraDiscovery().cameras().first();
    state.setSelection(camera->uuid());
    ASSERT_NE(host.canvas(), nullptr);
    EXPECT_NE(host.canvas()->cameraView(), nullptr);
    EXPECT_FALSE(host.showsPlaceholder());
    const QPointer<DeviceCanvas> first(host.canvas());
    env.context().eventLog().record(QStringLiteral("note"), QStringLiteral("Test"), camera->uuid());
    env.settleAll();
    EXPECT_EQ(host.canvas(), first.data());

    state.setSelection(store.microphoneDiscovery().microphones().first()->uuid());
    // Off the screen at once, deleted once the event loop runs.
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(host.canvas(), nullptr);
    EXPECT_NE(host.canvas()->microphoneView(), nullptr);

    state.setSelection({});
    EXPECT_TRUE(host.showsPlaceholder());
    EXPECT_EQ(host.canvas(), nullptr);
}

}  // namespace
}  // namespace tavrin
