#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <functional>

#include "contract/SoundServerDriver.h"
#include "lab/endtoend/SubcommandProcess.h"

namespace tavrin::testing {
namespace {

QString fixture(const char* name = "lab.json") {
    return QStringLiteral(TAVRIN_FIXTURE_DIR "/") + QLatin1String(name);
}

QStringList onFixture(QStringList arguments) {
    return arguments << QStringLiteral("--fixture") << fixture();
}

QList<QJsonObject> jsonLines(const QByteArray& text) {
    QList<QJsonObject> lines;
    for (const auto& line : text.split('\n')) {
        if (!line.isEmpty()) {
            lines.append(QJsonDocument::fromJson(line).object());
        }
    }
    return lines;
}

QString writeFile(QTemporaryDir& dir, const char* name, const QByteArray& text) {
    const auto path = dir.filePath(QLatin1String(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

TEST(SubcommandsOnTheDemo, ListAsJsonHasTheSchemaVersionAndEveryKindsProperties) {
    SubcommandProcess list(onFixture({QStringLiteral("list"), QStringLiteral("--json")}));
    ASSERT_EQ(list.finish(), 0) << list.err().constData();
    const auto document = QJsonDocument::fromJson(list.out()).object();
    EXPECT_EQ(document.value(QStringLiteral("version")).toInt(), 1);
    const auto devices = document.value(QStringLiteral("devices")).toArray();
    ASSERT_EQ(devices.size(), 8);
    const auto webcam = devices[1].toObject();
    EXPECT_EQ(webcam.value(QStringLiteral("kind")).toString(), QStringLiteral("camera"));
    EXPECT_EQ(webcam.value(QStringLiteral("id")).toString(), QStringLiteral("0x1420000046d0825"));
    EXPECT_EQ(webcam.value(QStringLiteral("formats")).toArray().size(), 4);
    EXPECT_EQ(webcam.value(QStringLiteral("activeFormat")).toObject().value("width").toInt(), 1280);
    const auto microphone = devices[4].toObject();
    EXPECT_EQ(microphone.value(QStringLiteral("kind")).toString(), QStringLiteral("microphone"));
    EXPECT_DOUBLE_EQ(microphone.value(QStringLiteral("volume")).toDouble(), 0.65);
    const auto display = devices[7].toObject();
    EXPECT_EQ(display.value(QStringLiteral("displayID")).toInt(), 722);
    EXPECT_EQ(display.value(QStringLiteral("frame")).toArray().at(0).toDouble(), 1512);
}

TEST(SubcommandsOnTheDemo, TheOldListOptionStillPrintsTheTable) {
    SubcommandProcess list(onFixture({QStringLiteral("--list")}));
    ASSERT_EQ(list.finish(), 0);
    EXPECT_EQ(list.out().count('\n'), 8);
    EXPECT_TRUE(list.out().startsWith("camera     Built-in Camera"));
}

TEST(SubcommandsOnTheDemo, HelpNamesEverySubcommandAndTheExitCodes) {
    SubcommandProcess help({QStringLiteral("--help")});
    ASSERT_EQ(help.finish(), 0);
    for (const auto* name : {"list", "events", "snapshot", "diff", "hold-exclusive", "lock", "set",
                             "uvc", "move", "make-main", "run"}) {
        EXPECT_TRUE(help.out().contains(QByteArray("  ") + name + ' ')) << name;
    }
    EXPECT_TRUE(help.out().contains("Exit codes: 0"));
    SubcommandProcess sub({QStringLiteral("set"), QStringLiteral("--help")});
    ASSERT_EQ(sub.finish(), 0);
    EXPECT_TRUE(sub.out().contains("format=WxH@FPS[:FOURCC]"));
    SubcommandProcess unknown({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.finish(), 2);
}

TEST(SubcommandsOnTheDemo, AnAmbiguousNameExitsWithTwoAndListsTheCandidates) {
    SubcommandProcess lock(onFixture({QStringLiteral("lock"), QStringLiteral("Built-in")}));
    EXPECT_EQ(lock.finish(), 2);
    EXPECT_TRUE(lock.err().contains("Built-in Camera")) << lock.err().constData();
    EXPECT_TRUE(lock.err().contains("Built-in Microphone"));
    EXPECT_TRUE(lock.out().isEmpty());
}

TEST(SubcommandsOnTheDemo, AScenariosEventsArriveInOrderWithTheirSources) {
    QTemporaryDir dir;
    const auto path = writeFile(dir, "scenario.json", R"({"version": 1, "steps": [
        {"at": 0, "action": "lock", "device": "camera:1", "seconds": 1.5},
        {"at": 0.5, "action": "set", "device": "HD Pro", "settings": ["format=1920x1080@30:420v"]},
        {"at": 0.8, "action": "move", "device": "Studio", "x": -2560, "y": 0}
    ]})");
    SubcommandProcess run(onFixture({QStringLiteral("run"), path}));
    ASSERT_EQ(run.finish(), 0) << run.err().constData();
    QStringList seen;
    for (const auto& line : jsonLines(run.out())) {
        EXPECT_FALSE(line.value(QStringLiteral("time")).toString().isEmpty());
        seen.append(line.value(QStringLiteral("source")).toString() + QLatin1Char(' ') +
                    line.value(QStringLiteral("message")).toString());
    }
    const QStringList expected{
        QStringLiteral("Configuration Locked HD Pro Webcam configuration"),
        QStringLiteral("Capture HD Pro Webcam active format: 1280\u00d7720 420v (NV12) \u2192 "
                       "1920\u00d71080 420v (NV12)"),
        QStringLiteral("Geometry Studio Monitor 27 frame: (1512, -200) 2560 \u00d7 1440 \u2192 "
                       "(-2560, 0) 2560 \u00d7 1440"),
        QStringLiteral("Configuration Unlocked HD Pro Webcam configuration"),
    };
    qsizetype at = 0;
    for (const auto& prefix : expected) {
        while (at < seen.size() && !seen[at].startsWith(prefix)) {
            ++at;
        }
        ASSERT_LT(at, seen.size()) << "missing or out of order: " << prefix.toStdString() << "\n"
                                   << seen.join(QLatin1Char('\n')).toStdString();
        ++at;
    }
}

TEST(SubcommandsOnTheDemo, ABadScenarioIsRefusedWithItsLineAndChangesNothing) {
    QTemporaryDir dir;
    const auto path = writeFile(dir, "bad.json", R"({"version": 1, "steps": [
        {"at": 0, "action": "lock", "device": "camera:0"},
        {"at": 1, "action": "teleport", "device": "camera:0"}
    ]})");
    SubcommandProcess run(onFixture({QStringLiteral("run"), path}));
    EXPECT_EQ(run.finish(), 2);
    EXPECT_TRUE(run.err().contains("line 3: step 2: unknown action \"teleport\""))
        << run.err().constData();
    EXPECT_TRUE(run.out().isEmpty());

    const auto missing = writeFile(dir, "missing.json", R"({"version": 1, "steps": [
        {"at": 0, "action": "lock", "device": "camera:0"},
        {"at": 1, "action": "lock", "device": "Nobody's Camera"}
    ]})");
    SubcommandProcess refused(onFixture({QStringLiteral("run"), missing}));
    EXPECT_EQ(refused.finish(), 2);
    EXPECT_TRUE(refused.err().contains("line 3: step 2 (lock): no device is named"));
    EXPECT_TRUE(refused.out().isEmpty());  // the first step never locked
}

TEST(SubcommandsOnTheDemo, SigtermEndsAHoldAndGivesTheLockBack) {
    SubcommandProcess lock(onFixture({QStringLiteral("lock"), QStringLiteral("HD Pro")}));
    ASSERT_TRUE(lock.waitForOutput("held indefinitely")) << lock.err().constData();
    lock.terminate();
    EXPECT_EQ(lock.finish(), 0);
    EXPECT_TRUE(lock.out().contains("Unlocked HD Pro Webcam configuration"));
}

// ---- against the private sound servers that scripts/test.sh starts

class SubcommandsOnASoundServer : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        kind_ = QString::fromLatin1(GetParam());
        driver_ = SoundServerDriver::make(kind_);
        server_ = qEnvironmentVariable(kind_ == QLatin1String("pipewire")
                                           ? "TAVRIN_TEST_PIPEWIRE_SERVER"
                                           : "TAVRIN_TEST_PULSEAUDIO_SERVER");
        if (server_.isEmpty()) {
            if (qEnvironmentVariable("TAVRIN_TEST_REQUIRE_SERVERS").split(',').contains(kind_)) {
                FAIL() << kind_.toStdString() << " was required but not started";
            }
            GTEST_SKIP() << kind_.toStdString() << " was not started for the tests";
        }
        ASSERT_TRUE(driver_->addSource(source_, QStringLiteral("Lab_Source")));
        // PipeWire's session manager publishes a new source a moment after it was made.
        ASSERT_TRUE(eventually([this] {
            auto list = tavrin({QStringLiteral("list")});
            return list.finish() == 0 && list.out().contains("Lab_Source");
        }));
    }

    // Whether `check` comes true within a few tries; a sound server applies some changes late.
    static bool eventually(const std::function<bool()>& check) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (check()) {
                return true;
            }
            QThread::msleep(250);
        }
        return false;
    }

    SubcommandProcess tavrin(QStringList arguments) {
        return SubcommandProcess(arguments << QStringLiteral("--sound-server"), server_);
    }

    QString kind_;
    QString server_;
    // A name of its own each time: the session manager remembers a source's volume by name.
    const QString source_ = QStringLiteral("tavrin_lab_%1_%2")
                                .arg(QCoreApplication::applicationPid())
                                .arg(QDateTime::currentMSecsSinceEpoch());
    std::unique_ptr<SoundServerDriver> driver_;
};

TEST_P(SubcommandsOnASoundServer, SnapshotThenAChangeThenDiffNamesExactlyTheChange) {
    QTemporaryDir dir;
    auto snapshot = tavrin({QStringLiteral("snapshot")});
    ASSERT_EQ(snapshot.finish(), 0) << snapshot.err().constData();
    const auto path = writeFile(dir, "state.json", snapshot.out());
    ASSERT_TRUE(driver_->setVolumePercent(source_, 30));

    QByteArray changes;
    ASSERT_TRUE(eventually([&] {
        auto diff = tavrin({QStringLiteral("diff"), path});
        changes = diff.finish() == 0 ? diff.out() : QByteArray("failed: ") + diff.err();
        return !changes.isEmpty();
    }));
    EXPECT_EQ(QString::fromUtf8(changes),
              QStringLiteral("[Audio] Lab_Source volume: 100% \u2192 30%\n"));
}

TEST_P(SubcommandsOnASoundServer, HoldExclusiveShutsOutRecordersOrSaysWhyNot) {
    auto holder = tavrin({QStringLiteral("hold-exclusive"), QStringLiteral("Lab_Source")});
    if (!driver_->grantsExclusiveAccess()) {
        EXPECT_EQ(holder.finish(), 1);
        EXPECT_TRUE(holder.err().contains("Failed to take exclusive access to Lab_Source"))
            << holder.err().constData();
        return;
    }
    ASSERT_TRUE(holder.waitForOutput("held indefinitely")) << holder.err().constData();
    auto shutOut = driver_->startRecorder(source_);
    EXPECT_TRUE(shutOut->hasFailed());

    // SIGTERM gives the device back: a recorder records again.
    holder.terminate();
    EXPECT_EQ(holder.finish(), 0);
    EXPECT_TRUE(holder.out().contains("Released exclusive access to Lab_Source"));
    auto after = driver_->startRecorder(source_);
    EXPECT_FALSE(after->hasFailed());
}

INSTANTIATE_TEST_SUITE_P(Servers, SubcommandsOnASoundServer,
                         ::testing::Values("pulseaudio", "pipewire"));

}  // namespace
}  // namespace tavrin::testing
