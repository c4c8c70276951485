#include "lab/LabCommandLine.h"

namespace tavrin {

namespace {

const LabOption* findOption(const QList<LabOption>& options, const QString& name) {
    for (const auto& option : options) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
           argument == QLatin1String("--help-all");
}

}  // namespace

bool LabCommandLine::isConsole(const QStringList& arguments) {
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const auto& argument = arguments[index];
        if (argument == QLatin1String("--camera-fixture")) {
            ++index;  // the window's option and its file
            continue;
        }
        if (isHelp(argument) || argument == QLatin1String("--list") ||
            argument == QLatin1String("--events") || argument == QLatin1String("--man-page")) {
            return true;
        }
        if (!argument.startsWith(QLatin1Char('-'))) {
            return true;  // a subcommand, or a word the window doesn't take
        }
    }
    return false;
}

std::variant<LabInvocation, QString> LabCommandLine::parse(const QStringList& arguments) {
    LabInvocation invocation;
    QStringList rest = arguments;
    // The old spellings of list and events, where no subcommand comes before them ("uvc CAMERA
    // --list" is the subcommand's own option).
    qsizetype firstWord = 0;
    while (firstWord < rest.size() && rest[firstWord].startsWith(QLatin1Char('-'))) {
        firstWord += rest[firstWord] == QLatin1String("--fixture") ||
                             rest[firstWord] == QLatin1String("--camera-fixture")
                         ? 2
                         : 1;
    }
    const auto oldList = rest.indexOf(QStringLiteral("--list"));
    const auto oldEvents = rest.indexOf(QStringLiteral("--events"));
    const bool listsFirst = oldList >= 0 && oldList < firstWord;
    const bool follows = oldEvents >= 0 && oldEvents < firstWord;
    if (listsFirst || follows) {
        rest.removeAll(QStringLiteral("--list"));
        rest.removeAll(QStringLiteral("--events"));
        // Both together, as scripts/run.sh asks: the table, then the events.
        rest.prepend(follows ? QStringLiteral("events") : QStringLiteral("list"));
        invocation.listsDevicesFirst = listsFirst && follows;
    }
    if (const auto at = rest.indexOf(QStringLiteral("--man-page")); at >= 0) {
        invocation.wantsManPage = true;
        return invocation;
    }
    qsizetype index = 0;
    for (; index < rest.size(); ++index) {
        const auto& argument = rest[index];
        if (!argument.startsWith(QLatin1Char('-'))) {
            invocation.command = LabCommands::find(argument);
            if (!invocation.command) {
                return QStringLiteral("unknown subcommand \"%1\" (tavrin --help lists them)")
                    .arg(argument);
            }
            ++index;
            break;
        }
        if (isHelp(argument)) {
            invocation.wantsHelp = true;
        } else if (argument == QLatin1String("--demo")) {
            invocation.options.insert(QStringLiteral("demo"), {});
        } else if (argument == QLatin1String("--sound-server")) {
            invocation.options.insert(QStringLiteral("sound-server"), {});
        } else if (argument == QLatin1String("--fixture") && index + 1 < rest.size()) {
            invocation.options.insert(QStringLiteral("fixture"), {rest[++index]});
        } else if (argument == QLatin1String("--camera-fixture") && index + 1 < rest.size()) {
            invocation.options.insert(QStringLiteral("camera-fixture"), {rest[++index]});
        } else {
            return QStringLiteral("unknown option \"%1\"").arg(argument);
        }
    }
    const auto& commandOptions =
        invocation.command ? invocation.command->options : QList<LabOption>();
    for (; index < rest.size(); ++index) {
        const auto& argument = rest[index];
        if (isHelp(argument)) {
            invocation.wantsHelp = true;
            continue;
        }
        // Anything else that starts with "--" is an option; "-1920" is a number.
        if (!argument.startsWith(QLatin1String("--"))) {
            invocation.arguments.append(argument);
            continue;
        }
        auto name = argument.mid(2);
        QString inlineValue;
        bool hasInlineValue = false;
        if (const auto equals = name.indexOf(QLatin1Char('=')); equals > 0) {
            inlineValue = name.mid(equals + 1);
            hasInlineValue = true;
            name = name.left(equals);
        }
        const auto* option = findOption(commandOptions, name);
        if (!option) {
            option = findOption(LabCommands::commonOptions(), name);
        }
        if (!option) {
            return QStringLiteral("%1 has no option --%2")
                .arg(invocation.command ? invocation.command->name : QStringLiteral("tavrin"),
                     name);
        }
        if (option->valueName.isEmpty()) {
            if (hasInlineValue) {
                return QStringLiteral("--%1 takes no value").arg(name);
            }
            invocation.options.insert(name, {});
            continue;
        }
        if (!hasInlineValue) {
            if (index + 1 >= rest.size()) {
                return QStringLiteral("--%1 needs a value (%2)").arg(name, option->valueName);
            }
            inlineValue = rest[++index];
        }
        if (!option->repeats && invocation.options.contains(name)) {
            return QStringLiteral("--%1 is given twice").arg(name);
        }
        invocation.options[name].append(inlineValue);
    }
    const int platforms = int(invocation.has(QStringLiteral("demo"))) +
                          int(invocation.has(QStringLiteral("sound-server"))) +
                          int(invocation.has(QStringLiteral("fixture"))) +
                          int(invocation.has(QStringLiteral("camera-fixture")));
    if (platforms > 1) {
        return QStringLiteral(
            "choose one of --demo, --fixture, --camera-fixture and --sound-server");
    }
    invocation.platform =
        invocation.has(QStringLiteral("sound-server"))     ? PlatformChoice::soundServer
        : invocation.has(QStringLiteral("camera-fixture")) ? PlatformChoice::automatic
        : platforms == 1                                   ? PlatformChoice::demo
                                                           : PlatformChoice::automatic;
    invocation.fixturePath = invocation.value(QStringLiteral("fixture"));
    invocation.cameraFixturePath = invocation.value(QStringLiteral("camera-fixture"));
    return invocation;
}

}  // namespace tavrin
