#include "lab/StateSnapshot.h"

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>

#include "audio/MicrophoneDevice.h"
#include "lab/LabTestSupport.h"

namespace tavrin {
namespace {

using namespace testing;

QList<QString> messages(const QList<StateChange>& changes) {
    QList<QString> texts;
    for (const auto& change : changes) {
        texts.append(QLatin1Char('[') + change.source + QStringLiteral("] ") + change.message);
    }
    return texts;
}

TEST(StateSnapshot, NamesExactlyWhatChangedInTheWordsOfTheLog) {
    LabEnvironment env;
    const auto then = StateSnapshot::capture(env.store());
    const auto microphone = env.store().microphoneDiscovery().microphones().first();
    microphone->setVolume(0.4f);
    env.settle();
    // The log said it first; the diff must say the same.
    const auto logged = env.messages(microphone->uuid()).last();

    const auto changes = StateSnapshot::capture(env.store()).changesSince(then);
    ASSERT_EQ(messages(changes),
              QList<QString>{QStringLiteral("[Audio] Built-in Microphone volume: 65% \u2192 40%")});
    EXPECT_EQ(changes.first().message, logged);
    EXPECT_EQ(changes.first().deviceID, QStringLiteral("BuiltInMicrophoneDevice"));
}

TEST(StateSnapshot, NoChangeGivesNoLines) {
    LabEnvironment env;
    const auto snapshot = StateSnapshot::capture(env.store());
    EXPECT_TRUE(StateSnapshot::capture(env.store()).changesSince(snapshot).isEmpty());
}

TEST(StateSnapshot, ADeviceThatCameOrWentIsNamed) {
    LabEnvironment env;
    auto then = StateSnapshot::capture(env.store());
    auto json = then.toJson();
    auto devices = json.value(QStringLiteral("devices")).toArray();
    auto gone = devices.takeAt(0).toObject();  // the first camera: "new" now
    gone.insert(QStringLiteral("id"), QStringLiteral("old-camera"));
    gone.insert(QStringLiteral("name"), QStringLiteral("Old Camera"));
    devices.append(gone);
    json.insert(QStringLiteral("devices"), devices);
    const auto edited = StateSnapshot::parse(QJsonDocument(json).toJson());
    ASSERT_TRUE(std::holds_alternative<StateSnapshot>(edited));

    const auto changes =
        StateSnapshot::capture(env.store()).changesSince(std::get<StateSnapshot>(edited));
    EXPECT_EQ(messages(changes),
              (QList<QString>{QStringLiteral("[Discovery] Discovered Built-in Camera"),
                              QStringLiteral("[Discovery] Old Camera present: yes \u2192 no")}));
}

TEST(StateSnapshot, ReadsBackWhatItWrites) {
    LabEnvironment env;
    const auto snapshot = StateSnapshot::capture(env.store());
    const auto read = StateSnapshot::parse(QJsonDocument(snapshot.toJson()).toJson());
    ASSERT_TRUE(std::holds_alternative<StateSnapshot>(read));
    EXPECT_TRUE(snapshot.changesSince(std::get<StateSnapshot>(read)).isEmpty());
    EXPECT_EQ(std::get<StateSnapshot>(read).devices().size(), snapshot.devices().size());
}

TEST(StateSnapshot, RefusesAnotherVersionAndWrongTypes) {
    const char* refused[][2] = {
        {R"({"format": "tavrin-snapshot", "version": 2, "devices": []})", "version 2"},
        {R"({"format": "tavrin-snapshot", "devices": []})", "version (none)"},
        {R"({"format": "other", "version": 1, "devices": []})", "not a snapshot"},
        {R"({"format": "tavrin-snapshot", "version": 1, "devices": {}})", "\"devices\""},
        {R"({"format": "tavrin-snapshot", "version": 1, "devices": [{"kind": "camera",
            "id": 7, "name": "x", "values": []}]})",
         "device 1"},
        {R"({"format": "tavrin-snapshot", "version": 1, "devices": [{"kind": "camera",
            "id": "a", "name": "x", "values": [{"label": "volume", "text": 3}]}]})",
         "each value"},
        {"{\"format\": ", "not a snapshot"},
    };
    for (const auto& [text, reason] : refused) {
        const auto result = StateSnapshot::parse(QByteArray(text));
        ASSERT_TRUE(std::holds_alternative<QString>(result)) << text;
        EXPECT_TRUE(std::get<QString>(result).contains(QLatin1String(reason)))
            << std::get<QString>(result).toStdString();
    }
}

}  // namespace
}  // namespace tavrin
