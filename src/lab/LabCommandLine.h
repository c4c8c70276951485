#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <variant>

#include "lab/LabCommands.h"
#include "platform/PlatformFactory.h"

namespace tavrin {

// A parsed command line of a subcommand: which one, its positional arguments and its options.
struct LabInvocation {
    const LabCommand* command = nullptr;  // null for the overview help
    bool wantsHelp = false;
    bool wantsManPage = false;
    bool listsDevicesFirst = false;  // the old "--list --events": the table before the events
    QStringList arguments;
    QHash<QString, QStringList> options;  // by name, every value given (empty for a flag)
    PlatformChoice platform = PlatformChoice::automatic;
    QString fixturePath;
    QString cameraFixturePath;

    bool has(const QString& option) const { return options.contains(option); }
    QString value(const QString& option) const { return options.value(option).value(0); }
};

// Reads the command line of the headless subcommands. Written by hand rather than with
// QCommandLineParser, which takes "-1920" in "move DISPLAY -1920 0" for an option.
class LabCommandLine {
public:
    // Whether the arguments ask for a subcommand (or the old --list and --events, or help)
    // rather than the window.
    static bool isConsole(const QStringList& arguments);
    // `arguments` without the program name. The reason on a usage error.
    static std::variant<LabInvocation, QString> parse(const QStringList& arguments);
};

}  // namespace tavrin
