#include "lab/Scenario.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>

namespace tavrin {

namespace {

constexpr qsizetype maxTextLength = 256;
constexpr qsizetype maxSettings = 64;

// The line on which each element of the top-level "steps" array starts. QJsonDocument keeps no
// positions, so the text is walked once more; it has parsed already, but the walk stays within
// bounds whatever it meets.
QList<int> stepLines(const QByteArray& text) {
    QList<int> lines;
    int line = 1;
    int depth = 0;
    int stepsDepth = -1;
    bool inString = false;
    bool escaped = false;
    bool expectElement = false;
    QByteArray current;
    QByteArray lastString;
    QByteArray lastKey;
    char previous = 0;
    for (const char c : text) {
        if (c == '\n') {
            ++line;
        }
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
                lastString = current;
            } else if (current.size() < 16) {
                current.append(c);
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            continue;
        }
        if (expectElement && c != ']') {
            lines.append(line);
            expectElement = false;
        }
        switch (c) {
            case '"':
                inString = true;
                current.clear();
                break;
            case ':':
                if (depth == 1) {
                    lastKey = lastString;
                }
                break;
            case '{':
                ++depth;
                break;
            case '[':
                ++depth;
                if (depth == 2 && previous == ':' && lastKey == "steps") {
                    stepsDepth = depth;
                    expectElement = true;
                }
                break;
            case '}':
            case ']':
                if (depth == stepsDepth) {
                    stepsDepth = -1;
                }
                --depth;
                break;
            case ',':
                if (depth == stepsDepth) {
                    expectElement = true;
                }
                break;
            default:
                break;
        }
        previous = c;
    }
    return lines;
}

int lineOfOffset(const QByteArray& text, qsizetype offset) {
    return int(text.left(std::min(offset, text.size())).count('\n')) + 1;
}

// Seconds as a non-negative, finite number within a day.
std::optional<std::chrono::milliseconds> seconds(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < 0 || number > Scenario::maxSeconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(number * 1000));
}

std::optional<std::int32_t> coordinate(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (number != std::floor(number) || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return std::int32_t(number);
}

std::variant<LabStep, QString> parseStep(const QJsonObject& object) {
    static const QSet<QString> keys{QStringLiteral("at"),       QStringLiteral("action"),
                                    QStringLiteral("device"),   QStringLiteral("seconds"),
                                    QStringLiteral("settings"), QStringLiteral("x"),
                                    QStringLiteral("y")};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!keys.contains(it.key())) {
            return QStringLiteral("unknown key \"%1\"").arg(it.key().left(maxTextLength));
        }
    }
    LabStep step;
    const auto actionValue = object.value(QStringLiteral("action"));
    if (!actionValue.isString()) {
        return QStringLiteral("\"action\" must be a string");
    }
    const auto action = LabStep::actionNamed(actionValue.toString());
    if (!action) {
        return QStringLiteral("unknown action \"%1\"")
            .arg(actionValue.toString().left(maxTextLength));
    }
    step.action = *action;
    const auto at = seconds(object.value(QStringLiteral("at")));
    if (!at) {
        return QStringLiteral("\"at\" must be a number of seconds from 0 to %1")
            .arg(Scenario::maxSeconds);
    }
    step.at = *at;
    if (object.contains(QStringLiteral("seconds"))) {
        const auto duration = seconds(object.value(QStringLiteral("seconds")));
        if (!duration || duration->count() == 0) {
            return QStringLiteral("\"seconds\" must be a number above 0 and up to %1")
                .arg(Scenario::maxSeconds);
        }
        step.duration = duration;
    }
    const auto device = object.value(QStringLiteral("device"));
    if (!device.isUndefined()) {
        if (!device.isString() || device.toString().isEmpty() ||
            device.toString().size() > maxTextLength) {
            return QStringLiteral("\"device\" must be a device name of 1 to %1 characters")
                .arg(maxTextLength);
        }
        step.device = device.toString();
    } else if (step.action != LabStep::Action::release) {
        return QStringLiteral("\"device\" is missing");
    }
    const bool takesSettings =
        step.action == LabStep::Action::set || step.action == LabStep::Action::uvc;
    const auto settings = object.value(QStringLiteral("settings"));
    if (takesSettings) {
        if (!settings.isArray() || settings.toArray().isEmpty() ||
            settings.toArray().size() > maxSettings) {
            return QStringLiteral("\"settings\" must be a list of 1 to %1 NAME=VALUE strings")
                .arg(maxSettings);
        }
        for (const auto& setting : settings.toArray()) {
            if (!setting.isString() || setting.toString().size() > maxTextLength) {
                return QStringLiteral("each setting must be a NAME=VALUE string");
            }
            step.settings.append(setting.toString());
        }
    } else if (!settings.isUndefined()) {
        return QStringLiteral("\"settings\" belongs to set and uvc steps only");
    }
    const bool moves = step.action == LabStep::Action::move;
    for (const auto* name : {"x", "y"}) {
        const auto value = object.value(QLatin1String(name));
        if (!moves) {
            if (!value.isUndefined()) {
                return QStringLiteral("\"%1\" belongs to move steps only").arg(QLatin1String(name));
            }
            continue;
        }
        const auto number = coordinate(value);
        if (!number) {
            return QStringLiteral("\"%1\" must be a whole number that fits 32 bits")
                .arg(QLatin1String(name));
        }
        (name[0] == 'x' ? step.x : step.y) = *number;
    }
    return step;
}

}  // namespace

QString ScenarioError::text() const {
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason;
}

std::variant<Scenario, ScenarioError> Scenario::parse(const QByteArray& text) {
    if (text.size() > maxFileSize) {
        return ScenarioError{0,
                             QStringLiteral("the file is larger than %1 bytes").arg(maxFileSize)};
    }
    // Counted on the raw text first, so that a huge list is refused before it is parsed.
    const auto lines = stepLines(text);
    if (lines.size() > maxSteps) {
        return ScenarioError{
            lines[maxSteps],
            QStringLiteral("more than the %1 steps a scenario may have").arg(maxSteps)};
    }
    QJsonParseError parseError;
    const auto document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return ScenarioError{lineOfOffset(text, parseError.offset),
                             QStringLiteral("not JSON: ") + parseError.errorString()};
    }
    if (!document.isObject()) {
        return ScenarioError{1, QStringLiteral("a scenario is a JSON object")};
    }
    const auto root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != QLatin1String("version") && it.key() != QLatin1String("onError") &&
            it.key() != QLatin1String("steps")) {
            return ScenarioError{
                0, QStringLiteral("unknown key \"%1\"").arg(it.key().left(maxTextLength))};
        }
    }
    const auto versionValue = root.value(QStringLiteral("version"));
    if (!versionValue.isDouble() || versionValue.toDouble() != version) {
        return ScenarioError{0, QStringLiteral("\"version\" must be %1").arg(version)};
    }
    Scenario scenario;
    const auto onError = root.value(QStringLiteral("onError"));
    if (onError.isString() && onError.toString() == QLatin1String("continue")) {
        scenario.onError = OnError::continueWithNext;
    } else if (!onError.isUndefined() &&
               !(onError.isString() && onError.toString() == QLatin1String("stop"))) {
        return ScenarioError{0, QStringLiteral("\"onError\" must be \"stop\" or \"continue\"")};
    }
    const auto stepsValue = root.value(QStringLiteral("steps"));
    if (!stepsValue.isArray()) {
        return ScenarioError{0, QStringLiteral("\"steps\" must be a list")};
    }
    const auto steps = stepsValue.toArray();
    if (steps.size() > maxSteps) {
        return ScenarioError{0, QStringLiteral("%1 steps are more than the %2 a scenario may have")
                                    .arg(steps.size())
                                    .arg(maxSteps)};
    }
    for (qsizetype index = 0; index < steps.size(); ++index) {
        const int line = index < lines.size() ? lines[index] : 0;
        if (!steps[index].isObject()) {
            return ScenarioError{line, QStringLiteral("step %1 is not an object").arg(index + 1)};
        }
        auto step = parseStep(steps[index].toObject());
        if (const auto* reason = std::get_if<QString>(&step)) {
            return ScenarioError{line, QStringLiteral("step %1: ").arg(index + 1) + *reason};
        }
        auto& parsed = std::get<LabStep>(step);
        parsed.line = line;
        scenario.steps.append(parsed);
    }
    return scenario;
}

}  // namespace tavrin
