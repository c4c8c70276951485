#include "lab/Scenario.h"

#include <gtest/gtest.h>

#include <random>

namespace tavrin {
namespace {

using namespace std::chrono_literals;

ScenarioError refusal(const char* text) {
    auto result = Scenario::parse(QByteArray(text));
    EXPECT_TRUE(std::holds_alternative<ScenarioError>(result)) << text;
    return std::holds_alternative<ScenarioError>(result) ? std::get<ScenarioError>(result)
                                                         : ScenarioError{};
}

TEST(Scenario, ReadsEveryKindOfStepWithItsTimeAndLine) {
    const auto result = Scenario::parse(R"({
  "version": 1,
  "onError": "continue",
  "steps": [
    {"at": 0, "action": "hold-exclusive", "device": "microphone:0", "seconds": 5},
    {"at": 2.5, "action": "set", "device": "camera:0", "settings": ["format=1280x720@30"]},
    {"at": 3, "action": "move", "device": "display:1", "x": -1920, "y": 0},
    {"at": 6, "action": "release"}
  ]
})");
    ASSERT_TRUE(std::holds_alternative<Scenario>(result));
    const auto& scenario = std::get<Scenario>(result);
    EXPECT_EQ(scenario.onError, Scenario::OnError::continueWithNext);
    ASSERT_EQ(scenario.steps.size(), 4);
    EXPECT_EQ(scenario.steps[0].action, LabStep::Action::holdExclusive);
    EXPECT_EQ(scenario.steps[0].duration, 5000ms);
    EXPECT_EQ(scenario.steps[0].line, 5);
    EXPECT_EQ(scenario.steps[1].at, 2500ms);
    EXPECT_EQ(scenario.steps[1].settings, QStringList{QStringLiteral("format=1280x720@30")});
    EXPECT_FALSE(scenario.steps[1].duration);
    EXPECT_EQ(scenario.steps[2].x, -1920);
    EXPECT_EQ(scenario.steps[3].action, LabStep::Action::release);
    EXPECT_TRUE(scenario.steps[3].device.isEmpty());
    EXPECT_EQ(scenario.steps[3].line, 8);
}

TEST(Scenario, RefusesABadFileWithTheLineAndTheReason) {
    struct Case {
        const char* text;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"release\"},\n"
         "{\"at\": 1, \"action\": \"explode\", \"device\": \"camera:0\"}]}",
         3, "unknown action \"explode\""},
        {"{\"version\": 1, \"steps\": [\n\n{\"at\": -1, \"action\": \"lock\", \"device\": \"x\"}]}",
         3, "\"at\" must be a number of seconds"},
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"lock\"}]}", 2,
         "\"device\" is missing"},
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"set\", \"device\": \"c\"}]}", 2,
         "\"settings\" must be a list"},
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"lock\", \"device\": \"c\", "
         "\"colour\": 1}]}",
         2, "unknown key \"colour\""},
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"move\", \"device\": \"d\", "
         "\"x\": 0.5, \"y\": 0}]}",
         2, "\"x\" must be a whole number"},
        {"{\"version\": 1, \"steps\": [\n{\"at\": 0, \"action\": \"lock\", \"device\": \"c\", "
         "\"seconds\": 0}]}",
         2, "\"seconds\" must be a number above 0"},
        {"{\"version\": 2, \"steps\": []}", 0, "\"version\" must be 1"},
        {"{\"version\": 1, \"onError\": \"panic\", \"steps\": []}", 0, "\"onError\" must be"},
        {"{\"version\": 1,\n\"steps\": [\n{\"at\": 0,,}]}", 3, "not JSON"},
        {"[1, 2]", 1, "a scenario is a JSON object"},
    };
    for (const auto& c : cases) {
        const auto error = refusal(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_TRUE(error.reason.contains(QLatin1String(c.reason)))
            << c.text << " gave: " << error.reason.toStdString();
    }
}

TEST(Scenario, RefusesAMillionStepsNamingTheFirstStepTooMany) {
    QByteArray text = "{\"version\": 1, \"steps\": [\n";
    const QByteArray step = "{\"at\": 0, \"action\": \"release\"},\n";
    text.reserve(text.size() + step.size() * 1'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        text += step;
    }
    text.chop(2);
    text += "]}";
    const auto error = refusal(text.constData());
    EXPECT_EQ(error.line, Scenario::maxSteps + 2);
    EXPECT_TRUE(error.reason.contains(QLatin1String("more than the 10000 steps")));
}

// The same bounded walk the fuzzer makes, for every build: garbage and mutated scenarios are
// refused or read, never a crash.
TEST(Scenario, SurvivesGarbageAndMutatedFiles) {
    const QByteArray valid = R"({"version": 1, "steps": [{"at": 0, "action": "set",
        "device": "camera:0", "settings": ["format=1x1@1"], "seconds": 1},
        {"at": 1, "action": "move", "device": "d", "x": 1, "y": 2}]})";
    std::mt19937 random(20);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = valid;
        const int edits = 1 + int(random() % 8);
        for (int edit = 0; edit < edits; ++edit) {
            const auto at = qsizetype(random() % std::uint32_t(text.size() + 1));
            switch (random() % 3) {
                case 0:
                    text.insert(at, char(random() % 256));
                    break;
                case 1:
                    text.remove(at, 1 + qsizetype(random() % 4));
                    break;
                default:
                    if (at < text.size()) {
                        text[at] = "{}[],:\"\\0-9e"[random() % 12];
                    }
            }
        }
        const auto result = Scenario::parse(text);
        if (const auto* error = std::get_if<ScenarioError>(&result)) {
            EXPECT_GE(error->line, 0);
            EXPECT_FALSE(error->reason.isEmpty());
        }
    }
}

}  // namespace
}  // namespace tavrin
