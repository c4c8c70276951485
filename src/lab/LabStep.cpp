#include "lab/LabStep.h"

#include <array>
#include <utility>

namespace tavrin {

namespace {

const std::array<std::pair<LabStep::Action, const char*>, 7> actionNames{{
    {LabStep::Action::holdExclusive, "hold-exclusive"},
    {LabStep::Action::lock, "lock"},
    {LabStep::Action::set, "set"},
    {LabStep::Action::uvc, "uvc"},
    {LabStep::Action::move, "move"},
    {LabStep::Action::makeMain, "make-main"},
    {LabStep::Action::release, "release"},
}};

}  // namespace

QString LabStep::actionName(Action action) {
    for (const auto& [candidate, name] : actionNames) {
        if (candidate == action) {
            return QString::fromLatin1(name);
        }
    }
    return {};
}

std::optional<LabStep::Action> LabStep::actionNamed(const QString& name) {
    for (const auto& [action, candidate] : actionNames) {
        if (name == QLatin1String(candidate)) {
            return action;
        }
    }
    return std::nullopt;
}

}  // namespace tavrin
