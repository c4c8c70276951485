#include <gtest/gtest.h>

#include <QSignalSpy>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceListUpdate.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::captureSource;
using testing::TestEnvironment;

QStringList names(const QList<std::shared_ptr<CameraDevice>>& cameras) {
    QStringList names;
    for (const auto& camera : cameras) {
        names.append(camera->localizedName());
    }
    return names;
}

FakeDisplaySpec displaySpec(DisplayID id, const QRectF& frame) {
    FakeDisplaySpec spec;
    spec.id = id;
    spec.values.localizedName = QStringLiteral("Display %1").arg(id);
    spec.values.frame = frame;
    return spec;
}

TEST(DeviceStore, CamerasAreSortedByNameKeepingEqualNamesInFrameworkOrder) {
    TestEnvironment env;
    env.fake().plugCamera(captureSource(QStringLiteral("b"), QStringLiteral("beta")));
    env.fake().plugCamera(captureSource(QStringLiteral("a2"), QStringLiteral("Alpha")));
    env.fake().plugCamera(captureSource(QStringLiteral("a1"), QStringLiteral("alpha")));
    auto& discovery = env.context().deviceStore().cameraDiscovery();
    env.settle();
    EXPECT_EQ(names(discovery.cameras()), (QStringList{"Alpha", "alpha", "beta"}));
    EXPECT_EQ(discovery.cameras()[0]->id(), QStringLiteral("a2"));

    // Reordering the framework's list changes nothing; a rename re-sorts.
    QSignalSpy changes(&discovery, &CameraDiscovery::camerasChanged);
    env.fake().fakeFramework().cameras().move(QStringLiteral("b"), 0);
    env.settle();
    EXPECT_EQ(changes.count(), 0);
    env.fake().setLocalizedName(FakeDeviceKind::camera, QStringLiteral("b"),
                                QStringLiteral("Aardvark"));
    env.settle();
    EXPECT_EQ(names(discovery.cameras()).front(), QStringLiteral("Aardvark"));
    EXPECT_EQ(changes.count(), 1);
}

TEST(DeviceStore, AnUnpluggedCameraStaysAndComesBackAsTheSameObject) {
    TestEnvironment env;
    env.fake().plugCamera(captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    auto& discovery = env.context().deviceStore().cameraDiscovery();
    env.settle();
    const auto camera = discovery.cameras().front();
    const auto uuid = camera->uuid();
    env.fake().unplugCamera(QStringLiteral("cam"));
    env.settle();
    ASSERT_EQ(discovery.cameras().size(), 1);
    EXPECT_EQ(camera->availability(), SXAvailability::notConnected());
    env.fake().fakeFramework().cameras().republish();  // missing again: still listed, no event
    env.settle();
    env.fake().replug(FakeDeviceKind::camera, QStringLiteral("cam"));
    env.settle();
    EXPECT_EQ(discovery.cameras().front(), camera);
    EXPECT_EQ(camera->uuid(), uuid);
    EXPECT_EQ(camera->availability(), SXAvailability::available());
    EXPECT_EQ(env.messages(uuid), (QStringList{"Discovered Cam (idle)",
                                               "Cam availability: available \u2192 notConnected",
                                               "Cam availability: notConnected \u2192 available"}));
}

TEST(DeviceStore, AnIDListedTwiceMakesOneModel) {
    TestEnvironment env;
    // A microphone list naming "m" twice, with two different objects, and "n" once.
    const auto first = std::make_shared<SXMicrophone>(
        QStringLiteral("m"), SXCaptureSource::Values{.localizedName = "M1"});
    const auto second = std::make_shared<SXMicrophone>(
        QStringLiteral("m"), SXCaptureSource::Values{.localizedName = "M2"});
    const auto other = std::make_shared<SXMicrophone>(
        QStringLiteral("n"), SXCaptureSource::Values{.localizedName = "N"});
    QHash<QString, std::shared_ptr<MicrophoneDevice>> idMap;
    const auto microphones = updatedCaptureList<MicrophoneDevice, SXMicrophone>(
        env.context(), idMap, {}, {first, second, other, first});
    ASSERT_EQ(microphones.size(), 2);
    EXPECT_EQ(idMap.size(), 2);
    EXPECT_EQ(microphones[0]->sxMicrophone(), first);  // the first object of the ID counts
    EXPECT_EQ(microphones[0]->localizedName(), QStringLiteral("M1"));

    // The display discovery, handed {d, d} directly.
    auto& displays = env.context().deviceStore().displayDiscovery();
    env.settle();
    const auto display = std::make_shared<SXDisplay>(5, SXDisplay::Values{});
    displays.apply({display, display});
    ASSERT_EQ(displays.displays().size(), 1);
    EXPECT_EQ(displays.displays().front()->id(), 5u);
}

TEST(DeviceStore, EntriesLookupAndTheDefaultSelection) {
    TestEnvironment env;
    auto& store = env.context().deviceStore();
    env.settle();
    EXPECT_FALSE(store.defaultSelectionID());
    EXPECT_TRUE(store.allEntries().empty());

    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 100, 100)));
    env.settle();
    EXPECT_EQ(store.defaultSelectionID(), store.displayDiscovery().displays().front()->uuid());

    auto microphone = captureSource(QStringLiteral("mic"), QStringLiteral("Mic"));
    env.fake().plugMicrophone(microphone);
    env.settle();
    const auto micID = store.microphoneDiscovery().microphones().front()->uuid();
    EXPECT_EQ(store.defaultSelectionID(), micID);

    auto camera = captureSource(QStringLiteral("cam"), QStringLiteral("Cam"));
    camera.values.availability = SXAvailability::notConnected();
    env.fake().plugCamera(camera);
    env.settle();
    const auto camID = store.cameraDiscovery().cameras().front()->uuid();
    EXPECT_EQ(store.defaultSelectionID(), camID);  // an unavailable camera still comes first

    auto other = captureSource(QStringLiteral("cam2"), QStringLiteral("Zed"));
    env.fake().plugCamera(other);
    env.settle();
    EXPECT_EQ(store.defaultSelectionID(), store.cameraDiscovery().cameras()[1]->uuid());

    const auto entries = store.allEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].kind(), DeviceEntry::Kind::camera);
    EXPECT_EQ(entries[2].kind(), DeviceEntry::Kind::microphone);
    EXPECT_EQ(entries[3].kind(), DeviceEntry::Kind::display);
    EXPECT_EQ(store.entry(micID)->microphone()->id(), QStringLiteral("mic"));
    EXPECT_FALSE(store.entry(QUuid::createUuid()));
}

TEST(DisplayDiscovery, OrdersByPositionAndKeepsDepartedDisplays) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(3, QRectF(0, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(2, QRectF(100, 50, 100, 100)));
    env.fake().plugDisplay(displaySpec(1, QRectF(100, -50, 100, 100)));
    env.fake().plugDisplay(displaySpec(9, QRectF(0, 0, 100, 100)));  // mirrored: same origin
    env.fake().plugDisplay(displaySpec(7, QRectF(NAN, 0, 100, 100)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    QList<DisplayID> order;
    for (const auto& display : discovery.displays()) {
        order.append(display->id());
    }
    EXPECT_EQ(order, (QList<DisplayID>{3, 9, 1, 2, 7}));

    QSignalSpy changes(&discovery, &DisplayDiscovery::displaysChanged);
    env.fake().fakeFramework().displays().republish();
    env.settle();
    EXPECT_EQ(changes.count(), 0);

    const auto departing = discovery.displays()[2];
    env.fake().unplugDisplay(1);
    env.settle();
    EXPECT_EQ(discovery.displays().size(), 5);
    EXPECT_EQ(departing->availability(), SXAvailability::notConnected());
    EXPECT_EQ(discovery.display(departing->uuid()), departing);
    EXPECT_FALSE(discovery.display(QUuid::createUuid()));
}

TEST(DisplayDiscovery, ADisplayThatLeavesAndReturnsIsTheSameModel) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(2, QRectF(100, 0, 100, 100)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    ASSERT_EQ(discovery.displays().size(), 2);
    const auto display = discovery.displays()[1];
    const auto uuid = display->uuid();
    auto notConnectedEvents = [&] {
        return env.messages(uuid).filter(QStringLiteral("\u2192 notConnected")).size();
    };

    env.fake().unplugDisplay(2);
    env.settle();
    env.fake().fakeFramework().displays().republish();  // still missing: no second event
    env.settle();
    EXPECT_EQ(display->availability(), SXAvailability::notConnected());
    EXPECT_EQ(notConnectedEvents(), 1);
    EXPECT_EQ(env.log().events(uuid).last().source, QStringLiteral("Discovery"));

    ASSERT_TRUE(env.fake().replug(FakeDeviceKind::display, QStringLiteral("2")));
    env.settle();
    ASSERT_EQ(discovery.displays().size(), 2);
    EXPECT_EQ(discovery.displays()[1], display);
    EXPECT_EQ(display->uuid(), uuid);
    EXPECT_EQ(display->availability(), SXAvailability::available());
    EXPECT_EQ(display->sxDisplay(), env.fake().fakeFramework().displays().find(2));
    EXPECT_EQ(notConnectedEvents(), 1);
    EXPECT_EQ(env.messages(uuid).filter(QStringLiteral("Discovered")).size(), 1);
}

TEST(DisplayDiscovery, MakeMainStopsAtTheFirstFailingDisplay) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(2, QRectF(100, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(3, QRectF(200, 0, 100, 100)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    auto& services = env.fake().fakeDisplayServices();
    // The list runs 1, 2, 3; the second display's origin is refused.
    services.failStep(FakeDisplayServices::Step::configure, DisplayErrorCode::illegalArgument, 2);
    EXPECT_EQ(discovery.makeMain(*discovery.displays()[2]), DisplayErrorCode::illegalArgument);
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::configure), 2);  // 1, then 2: not 3
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::cancel), 1);
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::complete), 0);
    env.settle();
    for (const DisplayID id : {1u, 2u, 3u}) {
        EXPECT_EQ(discovery.displays()[id - 1]->frame().x(), (id - 1) * 100.0) << id;
    }
}

TEST(DisplayDiscovery, MakeMainMovesEveryConnectedDisplayByTheSameOffset) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 1512, 982)));
    env.fake().plugDisplay(displaySpec(2, QRectF(1512, -200, 2560, 1440)));
    env.fake().plugDisplay(displaySpec(3, QRectF(-800, 0, 800, 600)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    env.fake().unplugDisplay(3);
    env.settle();
    const auto byID = [&](DisplayID id) {
        for (const auto& display : discovery.displays()) {
            if (display->id() == id) {
                return display;
            }
        }
        return std::shared_ptr<DisplayDevice>();
    };
    auto& services = env.fake().fakeDisplayServices();
    EXPECT_EQ(discovery.makeMain(*byID(1)), DisplayErrorCode::success);
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::begin), 0);

    EXPECT_EQ(discovery.makeMain(*byID(2)), DisplayErrorCode::success);
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::configure), 2);  // not the departed
    env.settle();
    EXPECT_EQ(byID(2)->frame().topLeft(), QPointF(0, 0));
    EXPECT_EQ(byID(1)->frame().topLeft(), QPointF(-1512, 200));
    EXPECT_TRUE(byID(2)->isMain());

    services.failStep(FakeDisplayServices::Step::configure, DisplayErrorCode::illegalArgument, 1);
    EXPECT_EQ(discovery.makeMain(*byID(1)), DisplayErrorCode::illegalArgument);
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::cancel), 1);
    EXPECT_FALSE(services.isConfigurationOpen());
}

TEST(DisplayDiscovery, MakeMainSetsThePrimaryWhereTheDesktopHasThatSetting) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(2, QRectF(100, 0, 100, 100)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    auto& services = env.fake().fakeDisplayServices();
    services.setHasPrimarySetting(true);

    EXPECT_EQ(discovery.makeMain(*discovery.displays()[1]), DisplayErrorCode::success);
    env.settle();
    EXPECT_EQ(services.callCount(FakeDisplayServices::Step::begin), 0) << "nothing moves";
    EXPECT_TRUE(discovery.displays()[1]->isMain());
    EXPECT_FALSE(discovery.displays()[0]->isMain());
    EXPECT_EQ(discovery.displays()[1]->frame().topLeft(), QPointF(100, 0));
}

TEST(DisplayDiscovery, OffsetsBeyondThirtyTwoBitsAreRefusedBeforeAnythingMoves) {
    TestEnvironment env;
    env.fake().plugDisplay(displaySpec(1, QRectF(0, 0, 100, 100)));
    env.fake().plugDisplay(displaySpec(2, QRectF(3e9, 0, 100, 100)));
    auto& discovery = env.context().deviceStore().displayDiscovery();
    env.settle();
    EXPECT_EQ(discovery.makeMain(*discovery.displays()[1]), DisplayErrorCode::illegalArgument);
    EXPECT_EQ(env.fake().fakeDisplayServices().callCount(FakeDisplayServices::Step::begin), 0);
}

}  // namespace
}  // namespace tavrin
