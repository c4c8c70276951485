#pragma once

#include <QIODevice>
#include <QObject>
#include <vector>

#include "lab/Provocations.h"
#include "lab/Scenario.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

class AppContext;

// Plays a scenario's steps on the main-thread queue's timers, keeps what they hold for as long as
// they say, and gives everything back at the end, on a failure that stops it, or when
// interrupted. A subcommand is a scenario of one step. Main thread.
class ScenarioRunner final : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        scenario,  // ends after the last step; holds without a duration end with it
        command,   // a hold without a duration lasts until interrupted
    };

    // `notes` receives a JSON line for each failed step; may be null.
    ScenarioRunner(AppContext& context, Scenario scenario, Mode mode, QIODevice* notes);

    // Every step checked against the devices now, before anything is touched.
    QList<ScenarioError> validate() const;
    void start();
    // Gives everything back and finishes with 0.
    void interrupt();

    // How long the end waits for the last observed changes to be logged.
    static constexpr std::chrono::milliseconds settleTime{300};

signals:
    // Once, with the exit code.
    void finished(int exitCode);

private:
    void runStep(int index);
    void stepDone(int index, const std::optional<QString>& failure);
    void finishIfDone();
    void finish(int exitCode, bool settleFirst);
    QString stepName(int index) const;

    AppContext& context_;
    const Scenario scenario_;
    const Mode mode_;
    QIODevice* notes_;
    Provocations provocations_;
    std::vector<TimerHandle> timers_;
    int pendingSteps_ = 0;
    int pendingReleases_ = 0;
    bool anyFailed_ = false;
    bool finishing_ = false;
};

}  // namespace tavrin
