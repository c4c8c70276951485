#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

struct LabOption {
    QString name;       // without the leading "--"
    QString valueName;  // empty for a flag
    QString help;
    bool repeats = false;
};

// One subcommand of the binary as its help and the man page describe it.
struct LabCommand {
    QString name;
    QString synopsis;  // the arguments after the name
    QString summary;   // one line
    QString details;   // paragraphs, separated by blank lines
    QList<LabOption> options;
};

// Every subcommand, in the order the help lists them, and the options that every subcommand
// takes. The help texts and the man page are both made from these tables, so they can't drift.
class LabCommands {
public:
    static const QList<LabCommand>& all();
    static const QList<LabOption>& commonOptions();
    static const LabCommand* find(const QString& name);

    static QString overviewHelp();
    static QString commandHelp(const LabCommand& command);
    // The whole manual page in roff, from the same tables.
    static QString manPage(const QString& version);
};

}  // namespace tavrin
