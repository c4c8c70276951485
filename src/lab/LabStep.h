#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

namespace tavrin {

// One provocation, as a subcommand or a scenario's step asks for it.
struct LabStep {
    enum class Action { holdExclusive, lock, set, uvc, move, makeMain, release };

    Action action = Action::release;
    std::chrono::milliseconds at{0};
    // How long a hold lasts, or a change stays before the earlier value is put back. Absent: a
    // hold lasts until released, a change stays.
    std::optional<std::chrono::milliseconds> duration;
    QString device;        // absent only for a release of everything
    QStringList settings;  // NAME=VALUE for set and uvc
    std::int32_t x = 0;    // move
    std::int32_t y = 0;
    int line = 0;  // where a scenario file wrote it, for messages

    // "hold-exclusive", "lock", ...: how the command line and scenario files name an action.
    static QString actionName(Action action);
    static std::optional<Action> actionNamed(const QString& name);
    // Whether the step holds something until released (rather than changing a value).
    bool isHold() const { return action == Action::holdExclusive || action == Action::lock; }
};

}  // namespace tavrin
