#include <gtest/gtest.h>

#include "audio/AudioCaptureClient.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using Operation = FakeFault::Operation;
using testing::TestEnvironment;

class AudioCaptureClientTest : public ::testing::Test {
protected:
    QList<AudioCaptureClient> clients(ObjectID device) {
        return audioCaptureClients(hardware(), env_.fake().fakeProcessNames(), device);
    }
    FakeAudioHardware& hardware() { return env_.fake().fakeAudioHardware(); }
    QStringList names(const QList<AudioCaptureClient>& clients) {
        QStringList names;
        for (const auto& client : clients) {
            names.append(client.displayName);
        }
        return names;
    }

    TestEnvironment env_;
    const ObjectID mic_ = hardware().addDevice({.uid = QStringLiteral("mic")});
    const ObjectID other_ = hardware().addDevice({.uid = QStringLiteral("other")});
};

TEST_F(AudioCaptureClientTest, ListsTheProcessesRunningInputFromTheDeviceOncePerPID) {
    EXPECT_TRUE(clients(mic_).isEmpty());
    hardware().addProcess({.pid = 10,
                           .bundleID = QStringLiteral("com.example.first"),
                           .isRunningInput = true,
                           .devices = {other_, mic_}});
    hardware().addProcess({.pid = 10,
                           .bundleID = QStringLiteral("com.example.second"),
                           .isRunningInput = true,
                           .devices = {mic_}});
    hardware().addProcess({.pid = 11, .isRunningInput = false, .devices = {mic_}});
    hardware().addProcess({.pid = 12, .isRunningInput = true, .devices = {other_}});
    const auto found = clients(mic_);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0], (AudioCaptureClient{10, QStringLiteral("com.example.first"),
                                            QStringLiteral("com.example.first")}));
}

TEST_F(AudioCaptureClientTest, NamesComeFromTheApplicationThenTheBundleThenThePID) {
    env_.fake().fakeProcessNames().setApplicationName(1, QStringLiteral("Recorder"));
    env_.fake().fakeProcessNames().setApplicationName(2, QString());
    hardware().addProcess({.pid = 1,
                           .bundleID = QStringLiteral("com.example.recorder"),
                           .isRunningInput = true,
                           .devices = {mic_}});
    hardware().addProcess({.pid = 2,
                           .bundleID = QStringLiteral("com.example.b"),
                           .isRunningInput = true,
                           .devices = {mic_}});
    hardware().addProcess(
        {.pid = 3, .bundleID = QStringLiteral(""), .isRunningInput = true, .devices = {mic_}});
    hardware().addProcess({.pid = 4, .isRunningInput = true, .devices = {mic_}});
    const auto found = clients(mic_);
    EXPECT_EQ(names(found), (QStringList{"com.example.b", "PID 3", "PID 4", "Recorder"}));
    EXPECT_EQ(found[1].bundleID, std::nullopt);  // empty means absent
}

TEST_F(AudioCaptureClientTest, SortingIsCaseInsensitiveAndKeepsEqualNamesInListOrder) {
    int pid = 100;
    for (const char* name : {"beta", "Alpha", "alpha"}) {
        hardware().addProcess({.pid = pid++,
                               .bundleID = QString::fromLatin1(name),
                               .isRunningInput = true,
                               .devices = {mic_}});
    }
    const auto found = clients(mic_);
    EXPECT_EQ(names(found), (QStringList{"Alpha", "alpha", "beta"}));
    EXPECT_EQ(found[0].pid, 101);
}

TEST_F(AudioCaptureClientTest, FailedReadsSkipTheProcessOrEmptyTheList) {
    const auto first = hardware().addProcess(
        {.pid = 1, .bundleID = QStringLiteral("a"), .isRunningInput = true, .devices = {mic_}});
    const auto second = hardware().addProcess(
        {.pid = 2, .bundleID = QStringLiteral("b"), .isRunningInput = true, .devices = {mic_}});
    const auto third = hardware().addProcess(
        {.pid = 3, .bundleID = QStringLiteral("c"), .isRunningInput = true, .devices = {mic_}});
    const auto fourth = hardware().addProcess(
        {.pid = 4, .bundleID = QStringLiteral("d"), .isRunningInput = true, .devices = {mic_}});
    hardware().addFault({.operation = Operation::get,
                         .object = first,
                         .address = globalAddress(AudioSelector::processIsRunningInput)});
    hardware().addFault({.operation = Operation::get,
                         .object = second,
                         .address = globalAddress(AudioSelector::processDevices)});
    hardware().addFault({.operation = Operation::get,
                         .object = third,
                         .address = globalAddress(AudioSelector::processPID)});
    hardware().addFault({.operation = Operation::get,
                         .object = fourth,
                         .address = globalAddress(AudioSelector::processBundleID)});
    const auto found = clients(mic_);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].displayName, QStringLiteral("PID 4"));

    hardware().addFault({.operation = Operation::get,
                         .object = systemObjectID,
                         .address = globalAddress(AudioSelector::processes)});
    EXPECT_TRUE(clients(mic_).isEmpty());
}

}  // namespace
}  // namespace tavrin
