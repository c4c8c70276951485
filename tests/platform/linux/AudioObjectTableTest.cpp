#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include "platform/AudioHardware.h"
#include "platform/linux/AudioObjectTable.h"
#include "platform/linux/SoundServerStates.h"

namespace tavrin {
namespace {

using namespace AudioSelector;
using namespace testing;

PropertyValue value(const AudioObjectTable& table, ObjectID object,
                    const PropertyAddress& address) {
    return table.value(object).value(address).value;
}

TEST(AudioObjectTableTest, MicrophonesAreTheSourcesThatMonitorNothing) {
    SoundServerObjectIDs ids;
    const auto state = twoMicrophonesAndAMonitor();
    const auto table = audioObjectTable(state, ids, ownPID, {});
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto b = ids.source(QStringLiteral("mic.b"));

    EXPECT_EQ(value(table, systemObjectID, globalAddress(devices)),
              PropertyValue(QList<ObjectID>{a, b}));
    EXPECT_EQ(value(table, systemObjectID, globalAddress(defaultInputDevice)),
              PropertyValue(std::uint32_t(b)));
    EXPECT_EQ(value(table, a, globalAddress(deviceUID)), PropertyValue(QStringLiteral("mic.a")));
    EXPECT_EQ(translateUID(state, ids, QStringLiteral("mic.b")), b);
    EXPECT_EQ(translateUID(state, ids, QStringLiteral("out.monitor")), unknownObjectID);
    EXPECT_EQ(translateUID(state, ids, QStringLiteral("nothing")), unknownObjectID);
}

TEST(AudioObjectTableTest, MicrophonePropertiesAndWhatCanBeSet) {
    SoundServerObjectIDs ids;
    auto state = twoMicrophonesAndAMonitor();
    state.sources[1].channelVolumes = {42598, 42598};  // 65 % in the server's tools
    state.sources[1].isMuted = true;
    state.sources[1].isRunning = true;
    const auto table = audioObjectTable(state, ids, ownPID, {});
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto& properties = table.value(a);

    EXPECT_NEAR(std::get<float>(properties.value(inputAddress(volumeScalar)).value), 0.65, 1e-4);
    EXPECT_TRUE(properties.value(inputAddress(volumeScalar)).isSettable);
    EXPECT_EQ(properties.value(inputAddress(mute)).value, PropertyValue(std::uint32_t(1)));
    EXPECT_EQ(properties.value(globalAddress(isRunningSomewhere)).value,
              PropertyValue(std::uint32_t(1)));
    // One rate, offered as a single range, and not settable: the server offers no choice.
    EXPECT_EQ(properties.value(globalAddress(nominalSampleRate)).value, PropertyValue(48000.0));
    EXPECT_FALSE(properties.value(globalAddress(nominalSampleRate)).isSettable);
    EXPECT_EQ(properties.value(globalAddress(availableNominalSampleRates)).value,
              PropertyValue(QList<ValueRange>{{48000.0, 48000.0}}));
    // Exclusive access can be asked of PipeWire only.
    EXPECT_FALSE(properties.value(globalAddress(hogMode)).isSettable);
    state.isPipeWire = true;
    EXPECT_TRUE(
        audioObjectTable(state, ids, ownPID, {}).value(a).value(globalAddress(hogMode)).isSettable);
}

TEST(AudioObjectTableTest, OddSourcesAreData) {
    SoundServerObjectIDs ids;
    SoundServerState state;
    auto silent = source(1, QString::fromUtf8("mic\xef\xbf\xbd\x01"));  // replaced bytes, a control
    silent.channels = 0;
    silent.channelVolumes.clear();
    silent.sampleRate = 0;
    auto wide = source(2, QStringLiteral("wide"));
    wide.channels = 40;
    wide.channelVolumes = QList<std::uint32_t>(40, soundServerNormalVolume / 2);
    auto twin = source(3, QStringLiteral("wide"));  // a second source of a name already listed
    state.sources.insert(1, silent);
    state.sources.insert(2, wide);
    state.sources.insert(3, twin);
    const auto table = audioObjectTable(state, ids, ownPID, {});
    const auto silentID = ids.source(silent.name);
    const auto wideID = ids.source(QStringLiteral("wide"));

    EXPECT_FALSE(table.value(silentID).contains(inputAddress(volumeScalar)));
    EXPECT_EQ(value(table, silentID, globalAddress(nominalSampleRate)), PropertyValue(0.0));
    EXPECT_NEAR(std::get<float>(value(table, wideID, inputAddress(volumeScalar))), 0.5, 1e-6);
    EXPECT_EQ(value(table, systemObjectID, globalAddress(devices)),
              PropertyValue(QList<ObjectID>{silentID, wideID}));
    EXPECT_EQ(value(table, systemObjectID, globalAddress(defaultInputDevice)),
              PropertyValue(std::uint32_t(unknownObjectID)));
}

TEST(AudioObjectTableTest, ProcessesGatherTheirStreams) {
    SoundServerObjectIDs ids;
    auto state = twoMicrophonesAndAMonitor();
    state.streams.insert(1, stream(1, 1, 700, /*corked=*/true));
    state.streams.insert(2, stream(2, 2, 700));
    state.streams.insert(3, stream(3, 3, 800));                   // records the monitor only
    state.streams.insert(6, stream(6, 1, 800, /*corked=*/true));  // and pauses on mic.a
    state.streams.insert(4, stream(4, 1, std::nullopt));          // its client knows the PID
    state.streams.insert(5, stream(5, 1, std::nullopt));          // nobody knows it
    state.streams[2].applicationID = QStringLiteral("org.example.recorder");
    state.clients.insert(904, SoundServerClient{904, 900, QStringLiteral("org.example.client"),
                                                QStringLiteral("Client")});
    const auto table = audioObjectTable(state, ids, ownPID, {});
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto b = ids.source(QStringLiteral("mic.b"));
    const auto p700 = ids.process(700);
    const auto p800 = ids.process(800);
    const auto p900 = ids.process(900);

    EXPECT_EQ(value(table, systemObjectID, globalAddress(processes)),
              PropertyValue(QList<ObjectID>{p700, p800, p900}));
    EXPECT_EQ(value(table, p700, globalAddress(processPID)), PropertyValue(std::int32_t(700)));
    // A process captures from the microphones its running streams record from: its paused
    // stream on mic.a doesn't count, and neither does a running stream on an output's monitor.
    EXPECT_EQ(value(table, p700, globalAddress(processDevices)), PropertyValue(QList<ObjectID>{b}));
    EXPECT_EQ(value(table, p700, globalAddress(processIsRunningInput)),
              PropertyValue(std::uint32_t(1)));
    EXPECT_EQ(value(table, p700, globalAddress(processBundleID)),
              PropertyValue(QStringLiteral("org.example.recorder")));
    EXPECT_EQ(value(table, p800, globalAddress(processIsRunningInput)),
              PropertyValue(std::uint32_t(0)));
    EXPECT_EQ(value(table, p800, globalAddress(processDevices)), PropertyValue(QList<ObjectID>{}));
    EXPECT_FALSE(table.value(p800).contains(globalAddress(processBundleID)));
    EXPECT_EQ(value(table, p900, globalAddress(processBundleID)),
              PropertyValue(QStringLiteral("org.example.client")));
    EXPECT_EQ(value(table, p900, globalAddress(processDevices)), PropertyValue(QList<ObjectID>{a}));
}

TEST(AudioObjectTableTest, ExclusiveOwnerIsOursOrAnotherPipeWireClients) {
    SoundServerObjectIDs ids;
    auto state = twoMicrophonesAndAMonitor();
    auto asking = stream(1, 1, 700);
    asking.asksExclusive = true;
    state.streams.insert(1, asking);
    auto ours = stream(2, 2, ownPID);
    ours.asksExclusive = true;
    state.streams.insert(2, ours);
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto b = ids.source(QStringLiteral("mic.b"));
    auto owner = [&](ObjectID device, const QSet<QString>& held) {
        return value(audioObjectTable(state, ids, ownPID, held), device, globalAddress(hogMode));
    };

    // Plain PulseAudio grants nobody exclusive use, whatever a stream asks.
    EXPECT_EQ(owner(a, {}), PropertyValue(std::int32_t(-1)));
    state.isPipeWire = true;
    EXPECT_EQ(owner(a, {}), PropertyValue(std::int32_t(700)));
    // Our own stream counts only while we hold it.
    EXPECT_EQ(owner(b, {}), PropertyValue(std::int32_t(-1)));
    EXPECT_EQ(owner(b, {QStringLiteral("mic.b")}), PropertyValue(std::int32_t(ownPID)));
}

TEST(AudioObjectTableTest, IDsStayWithTheirNamesAndAreNeverReused) {
    SoundServerObjectIDs ids;
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto process = ids.process(700);
    const auto b = ids.source(QStringLiteral("mic.b"));

    EXPECT_EQ(ids.source(QStringLiteral("mic.a")), a);
    EXPECT_EQ(ids.process(700), process);
    EXPECT_EQ(QSet<ObjectID>({a, b, process, systemObjectID}).size(), 4);
    EXPECT_EQ(ids.sourceName(b), QStringLiteral("mic.b"));
    EXPECT_EQ(ids.sourceName(process), std::nullopt);
}

TEST(AudioObjectTableTest, ChangesNameExactlyWhatDiffers) {
    SoundServerObjectIDs ids;
    auto before = twoMicrophonesAndAMonitor();
    auto after = before;
    after.sources[1].channelVolumes = {1000, 1000};
    after.sources.remove(2);
    after.streams.insert(1, stream(1, 1, 700));
    const auto a = ids.source(QStringLiteral("mic.a"));
    const auto b = ids.source(QStringLiteral("mic.b"));

    const auto changes = changedProperties(audioObjectTable(before, ids, ownPID, {}),
                                           audioObjectTable(after, ids, ownPID, {}));
    const auto process = ids.process(700);

    EXPECT_TRUE(changes.contains({a, inputAddress(volumeScalar)}));
    EXPECT_FALSE(changes.contains({a, inputAddress(mute)}));
    EXPECT_TRUE(changes.contains({b, globalAddress(deviceUID)}));  // gone with its object
    EXPECT_TRUE(changes.contains({systemObjectID, globalAddress(devices)}));
    EXPECT_TRUE(changes.contains({systemObjectID, globalAddress(defaultInputDevice)}));
    EXPECT_TRUE(changes.contains({systemObjectID, globalAddress(processes)}));
    EXPECT_TRUE(changes.contains({process, globalAddress(processPID)}));
    EXPECT_TRUE(changedProperties(audioObjectTable(after, ids, ownPID, {}),
                                  audioObjectTable(after, ids, ownPID, {}))
                    .isEmpty());
}

}  // namespace
}  // namespace tavrin
