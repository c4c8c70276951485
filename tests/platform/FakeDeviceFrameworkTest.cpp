#include <gtest/gtest.h>

#include <QFile>
#include <thread>

#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::captureSource;
using testing::TestEnvironment;

FakeFixture twoOfEach() {
    QFile file(QStringLiteral(TAVRIN_FIXTURE_DIR "/two-of-each.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return FakeFixture::parse(file.readAll(), nullptr).value();
}

QStringList ids(const DeviceList<SXCamera>& list) {
    QStringList ids;
    for (const auto& camera : list) {
        ids.append(camera->id());
    }
    return ids;
}

TEST(FakeDeviceFramework, ListsArriveOnTheMainThreadCurrentFirstThenAfterEveryChange) {
    TestEnvironment env(twoOfEach());
    std::vector<QStringList> lists;
    auto subscription = env.fake().deviceFramework().cameraUpdates(true, [&](const auto& list) {
        EXPECT_TRUE(env.queue().isMainThread());
        lists.push_back(ids(list));
    });
    EXPECT_TRUE(lists.empty());  // never inside the call
    env.settle();
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0], (QStringList{"0x1420000046d0825", "desk-view-1"}));

    env.fake().unplugCamera(QStringLiteral("0x1420000046d0825"));
    env.fake().plugCamera(captureSource(QStringLiteral("new"), QStringLiteral("New")));
    env.settle();
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[1], (QStringList{"desk-view-1"}));
    EXPECT_EQ(lists[2], (QStringList{"desk-view-1", "new"}));

    subscription.cancel();
    env.fake().unplugCamera(QStringLiteral("new"));
    env.settle();
    EXPECT_EQ(lists.size(), 3u);
}

TEST(FakeDeviceFramework, DeskViewCamerasAreListedOnlyWhenAskedFor) {
    TestEnvironment env(twoOfEach());
    QStringList withDeskView;
    QStringList withoutDeskView;
    auto with = env.fake().deviceFramework().cameraUpdates(
        true, [&](const auto& list) { withDeskView = ids(list); });
    auto without = env.fake().deviceFramework().cameraUpdates(
        false, [&](const auto& list) { withoutDeskView = ids(list); });
    env.settle();
    EXPECT_EQ(withDeskView.size(), 2);
    EXPECT_EQ(withoutDeskView, QStringList{"0x1420000046d0825"});
}

TEST(FakeDeviceFramework, ChangesReachThePublishedValuesOfTheSameObject) {
    TestEnvironment env(twoOfEach());
    DeviceList<SXMicrophone> latest;
    auto subscription =
        env.fake().deviceFramework().microphoneUpdates([&](const auto& list) { latest = list; });
    env.settle();
    ASSERT_EQ(latest.size(), 2);
    const auto microphone = latest[0];
    QStringList availabilities;
    auto watch = microphone->availability.subscribe(
        [&](const SXAvailability& value) { availabilities.append(value.caseName()); });

    env.fake().setAvailability(FakeDeviceKind::microphone, microphone->id(),
                               SXAvailability::lidClosed());
    env.settle();
    EXPECT_EQ(availabilities, (QStringList{"available", "lidClosed"}));
    EXPECT_EQ(latest[0], microphone);

    // Plugging again hands out a new object for the same ID.
    env.fake().replug(FakeDeviceKind::microphone, microphone->id());
    env.settle();
    EXPECT_NE(latest[0], microphone);
    EXPECT_EQ(latest[0]->id(), microphone->id());
}

TEST(FakeDeviceFramework, MutatorsFromManyThreadsAllArrive) {
    TestEnvironment env;
    DeviceList<SXCamera> latest;
    auto subscription =
        env.fake().deviceFramework().cameraUpdates(true, [&](const auto& list) { latest = list; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&env, t] {
            for (int i = 0; i < 25; ++i) {
                const auto id = QStringLiteral("cam-%1-%2").arg(t).arg(i);
                env.fake().plugCamera(captureSource(id, id));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    env.settle();
    EXPECT_EQ(latest.size(), 100);
}

TEST(FakeDeviceFramework, CaptureDevicesAreLookedUpByUniqueIDAndLookupsCanFail) {
    TestEnvironment env(twoOfEach());
    auto& capture = env.fake().captureDevices();
    const auto webcam = capture.deviceWithUniqueID(QStringLiteral("0x1420000046d0825"));
    ASSERT_TRUE(webcam);
    EXPECT_EQ(webcam->deviceType(), CaptureDeviceType::external);
    EXPECT_FALSE(capture.deviceWithUniqueID(QStringLiteral("desk-view-1")));
    env.fake().fakeCaptureDevices().setLookupsFail(true);
    EXPECT_FALSE(capture.deviceWithUniqueID(QStringLiteral("0x1420000046d0825")));
}

TEST(FakeDeviceFramework, AuthorizationRequestsAreAnsweredLaterOnTheMainThread) {
    TestEnvironment env(twoOfEach());
    auto& microphone =
        env.fake().fakeFramework().fakeAuthorization(SXAuthorizationSource::microphone);
    std::vector<bool> states;
    auto watch = microphone.isAuthorized.subscribe([&](bool value) { states.push_back(value); });
    std::optional<bool> answer;
    microphone.setGrantsOnRequest(false);
    microphone.requestAccess(true, [&](bool granted) { answer = granted; });
    EXPECT_FALSE(answer);
    env.settle();
    EXPECT_EQ(answer, false);
    microphone.setGrantsOnRequest(true);
    microphone.requestAccess(true, [&](bool granted) { answer = granted; });
    env.settle();
    EXPECT_EQ(answer, true);
    EXPECT_EQ(states, (std::vector{false, true}));
    EXPECT_EQ(microphone.requestCount(), 2);
    EXPECT_TRUE(microphone.lastRequestOpenedSettings());
}

TEST(FakeDeviceFramework, TheScenarioRunsOnTheQueueClock) {
    TestEnvironment env(twoOfEach());
    DeviceList<SXCamera> latest;
    auto subscription =
        env.fake().deviceFramework().cameraUpdates(true, [&](const auto& list) { latest = list; });
    env.fake().startScenario(twoOfEach().scenario);
    env.settle();
    ASSERT_FALSE(latest.isEmpty());
    EXPECT_EQ(latest[0]->availability.value(), SXAvailability::available());
    env.queue().advance(249ms);
    env.settle();
    EXPECT_EQ(latest[0]->availability.value(), SXAvailability::available());
    env.queue().advance(1ms);
    env.settle();
    EXPECT_EQ(latest[0]->availability.value(), SXAvailability::notConnected());
}

}  // namespace
}  // namespace tavrin
