#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <variant>

#include "lab/LabStep.h"

namespace tavrin {

// Why a scenario file was refused: the line it names (0 for the file as a whole) and the reason.
struct ScenarioError {
    int line = 0;
    QString reason;

    QString text() const;
};

// A timed script of provocations, read from a file. Parsing checks every bound and type and
// nothing else: whether the devices exist is the runner's check, made before the first step.
struct Scenario {
    static constexpr int version = 1;
    static constexpr int maxSteps = 10000;
    static constexpr qsizetype maxFileSize = 64 * 1024 * 1024;
    static constexpr double maxSeconds = 24 * 60 * 60;

    enum class OnError { stop, continueWithNext };

    OnError onError = OnError::stop;
    QList<LabStep> steps;  // in file order; each has its own time

    static std::variant<Scenario, ScenarioError> parse(const QByteArray& text);
};

}  // namespace tavrin
