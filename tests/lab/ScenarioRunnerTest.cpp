#include "lab/ScenarioRunner.h"

#include <gtest/gtest.h>
#include <QBuffer>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "lab/LabExit.h"
#include "lab/LabTestSupport.h"

namespace tavrin {
namespace {

using namespace testing;
using namespace std::chrono_literals;

Scenario scenario(const char* steps, const char* onError = "stop") {
    const auto text = QStringLiteral("{\"version\": 1, \"onError\": \"%1\", \"steps\": [%2]}")
                          .arg(QLatin1String(onError), QLatin1String(steps))
                          .toUtf8();
    auto parsed = Scenario::parse(text);
    EXPECT_TRUE(std::holds_alternative<Scenario>(parsed)) << text.constData();
    return std::holds_alternative<Scenario>(parsed) ? std::get<Scenario>(parsed) : Scenario{};
}

// Whether each of `expected` starts one of `messages`, in this order.
bool inOrder(const QStringList& messages, const QStringList& expected) {
    qsizetype at = 0;
    for (const auto& prefix : expected) {
        while (at < messages.size() && !messages[at].startsWith(prefix)) {
            ++at;
        }
        if (at++ >= messages.size()) {
            return false;
        }
    }
    return true;
}

class ScenarioRunnerTest : public ::testing::Test {
protected:
    ScenarioRunnerTest() { notes_.open(QIODevice::WriteOnly); }

    // Runs a scenario in virtual time until it finishes; its exit code.
    std::optional<int> play(const Scenario& played, std::chrono::milliseconds limit = 30s) {
        ScenarioRunner runner(env_.context(), played, ScenarioRunner::Mode::scenario, &notes_);
        EXPECT_TRUE(runner.validate().isEmpty());
        std::optional<int> exitCode;
        QObject::connect(&runner, &ScenarioRunner::finished,
                         [&exitCode](int code) { exitCode = code; });
        runner.start();
        for (auto passed = 0ms; !exitCode && passed < limit; passed += 100ms) {
            env_.queue().advance(100ms);
            env_.settle();
        }
        return exitCode;
    }

    std::shared_ptr<CameraDevice> webcam() {
        for (const auto& camera : env_.store().cameraDiscovery().cameras()) {
            if (camera->id() == QLatin1String("0x1420000046d0825")) {
                return camera;
            }
        }
        return nullptr;
    }

    LabEnvironment env_;
    QBuffer notes_;
};

TEST_F(ScenarioRunnerTest, StepsRunAtTheirTimesAndEverythingIsGivenBack) {
    const auto exitCode = play(scenario(R"(
        {"at": 0, "action": "lock", "device": "HD Pro", "seconds": 2},
        {"at": 1, "action": "set", "device": "HD Pro", "settings": ["format=1920x1080@30:420v"]},
        {"at": 0.5, "action": "hold-exclusive", "device": "Podcast", "seconds": 1})"));
    ASSERT_EQ(exitCode, LabExit::ok);
    const auto messages = env_.messages(webcam()->uuid());
    EXPECT_TRUE(
        inOrder(messages, {QStringLiteral("Locked HD Pro Webcam configuration"),
                           QStringLiteral("Cancelled HD Pro Webcam auto-unlock"),
                           QStringLiteral("HD Pro Webcam active format: 1280\u00d7720 420v (NV12) "
                                          "\u2192 1920\u00d71080 420v (NV12)"),
                           QStringLiteral("Unlocked HD Pro Webcam configuration")}))
        << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(messages.filter(QStringLiteral("Unlocked")).size(), 1);
    const auto podcast = env_.store().microphoneDiscovery().microphones()[1];
    EXPECT_EQ(podcast->audioHogMode().state().kind, HogModeState::Kind::notHogged);
    EXPECT_TRUE(env_.messages(podcast->uuid()).last().startsWith("Released exclusive access"));
    EXPECT_TRUE(notes_.data().isEmpty());  // no step failed
}

TEST_F(ScenarioRunnerTest, ADeviceThatGoesAwayFailsItsStepAndStopsAndReleases) {
    auto unplug = env_.queue().schedule(
        1s, [this] { env_.fake().unplugCamera(QStringLiteral("0x1420000046d0825")); });
    const auto exitCode = play(scenario(R"(
        {"at": 0, "action": "lock", "device": "HD Pro"},
        {"at": 2, "action": "set", "device": "HD Pro", "settings": ["exposure=locked"]},
        {"at": 3, "action": "hold-exclusive", "device": "Podcast"})"));
    EXPECT_EQ(exitCode, LabExit::failed);
    EXPECT_EQ(webcam()->configurationLock().state(), ConfigurationLockState::unlocked());
    EXPECT_TRUE(notes_.data().contains("step 2 (set) on line"));
    EXPECT_TRUE(notes_.data().contains("HD Pro Webcam is not available"));
    // Stopped: the third step never ran.
    const auto podcast = env_.store().microphoneDiscovery().microphones()[1];
    EXPECT_FALSE(env_.messages(podcast->uuid()).join(QLatin1Char('\n')).contains("exclusive"));
}

TEST_F(ScenarioRunnerTest, WithOnErrorContinueTheLaterStepsStillRun) {
    const auto exitCode = play(scenario(R"(
        {"at": 0, "action": "set", "device": "Pocket", "settings": ["exposure=auto"]},
        {"at": 1, "action": "lock", "device": "Podcast", "seconds": 1})",
                                        "continue"));
    EXPECT_EQ(exitCode, LabExit::failed);
    const auto podcast = env_.store().microphoneDiscovery().microphones()[1];
    EXPECT_TRUE(env_.messages(podcast->uuid()).last().startsWith("Unlocked Podcast Mic"));
}

TEST_F(ScenarioRunnerTest, ValidationRefusesUnknownDevicesAndSettingsBeforeAnythingIsTouched) {
    const auto refused = scenario(R"(
        {"at": 0, "action": "lock", "device": "HD Pro"},
        {"at": 1, "action": "lock", "device": "No Such Camera"},
        {"at": 1, "action": "set", "device": "HD Pro", "settings": ["format=7x7@30"]},
        {"at": 1, "action": "set", "device": "Podcast", "settings": ["volume=loud"]},
        {"at": 1, "action": "make-main", "device": "Built-in"})");
    ScenarioRunner runner(env_.context(), refused, ScenarioRunner::Mode::scenario, nullptr);
    const auto errors = runner.validate();
    // Only displays take make-main, so "Built-in" names the one built-in display.
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_TRUE(errors[0].reason.contains(QLatin1String("no device is named")));
    EXPECT_TRUE(errors[1].reason.contains(QLatin1String("has no format 7x7@30")));
    EXPECT_TRUE(errors[2].reason.contains(QLatin1String("volume takes a number")));
    env_.settle();
    EXPECT_EQ(webcam()->configurationLock().state(), ConfigurationLockState::unlocked());
}

}  // namespace
}  // namespace tavrin
