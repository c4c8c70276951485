#include "lab/ScenarioRunner.h"

#include <QDateTime>
#include <QJsonObject>
#include <QPointer>
#include <cstdio>

#include "app/AppContext.h"
#include "lab/DeviceJson.h"
#include "lab/LabExit.h"

namespace tavrin {

ScenarioRunner::ScenarioRunner(AppContext& context, Scenario scenario, Mode mode, QIODevice* notes)
    : context_(context),
      scenario_(std::move(scenario)),
      mode_(mode),
      notes_(notes),
      provocations_(context) {}

QList<ScenarioError> ScenarioRunner::validate() const {
    QList<ScenarioError> errors;
    for (qsizetype index = 0; index < scenario_.steps.size(); ++index) {
        const auto& step = scenario_.steps[index];
        if (const auto failure = provocations_.check(step)) {
            errors.append({step.line, stepName(int(index)) + QStringLiteral(": ") + *failure});
        }
    }
    return errors;
}

QString ScenarioRunner::stepName(int index) const {
    return QStringLiteral("step %1 (%2)")
        .arg(index + 1)
        .arg(LabStep::actionName(scenario_.steps[index].action));
}

void ScenarioRunner::start() {
    pendingSteps_ = int(scenario_.steps.size());
    for (int index = 0; index < int(scenario_.steps.size()); ++index) {
        timers_.push_back(context_.queue().schedule(scenario_.steps[index].at,
                                                    [this, index] { runStep(index); }));
    }
    finishIfDone();
}

void ScenarioRunner::runStep(int index) {
    if (finishing_) {
        return;
    }
    provocations_.start(scenario_.steps[index], index,
                        [this, index, self = QPointer(this)](std::optional<QString> failure) {
                            if (self) {
                                stepDone(index, failure);
                            }
                        });
}

void ScenarioRunner::stepDone(int index, const std::optional<QString>& failure) {
    --pendingSteps_;
    if (finishing_) {
        provocations_.release(index);  // taken after an end that didn't wait for it
        return;
    }
    const auto& step = scenario_.steps[index];
    if (failure) {
        anyFailed_ = true;
        const auto where = mode_ == Mode::scenario
                               ? stepName(index) + QStringLiteral(" on line %1: ").arg(step.line)
                               : QString();
        std::fprintf(stderr, "tavrin: %s%s\n", qPrintable(where), qPrintable(*failure));
        if (notes_) {
            notes_->write(DeviceJson::line(
                {{QStringLiteral("time"), DeviceJson::timeText(std::chrono::system_clock::now())},
                 {QStringLiteral("deviceID"), QJsonValue()},
                 {QStringLiteral("device"), step.device},
                 {QStringLiteral("kind"), QJsonValue()},
                 {QStringLiteral("source"), QStringLiteral("Lab")},
                 {QStringLiteral("message"), where + *failure}}));
        }
        if (scenario_.onError == Scenario::OnError::stop) {
            finish(LabExit::failed, false);
            return;
        }
    } else if (step.duration) {
        ++pendingReleases_;
        timers_.push_back(context_.queue().schedule(*step.duration, [this, index] {
            --pendingReleases_;
            provocations_.release(index);
            finishIfDone();
        }));
    }
    finishIfDone();
}

void ScenarioRunner::finishIfDone() {
    if (pendingSteps_ > 0 || pendingReleases_ > 0) {
        return;
    }
    if (mode_ == Mode::command && provocations_.isHolding()) {
        return;  // held until interrupted
    }
    finish(anyFailed_ ? LabExit::failed : LabExit::ok, true);
}

void ScenarioRunner::interrupt() {
    finish(anyFailed_ ? LabExit::failed : LabExit::ok, false);
}

void ScenarioRunner::finish(int exitCode, bool settleFirst) {
    if (std::exchange(finishing_, true)) {
        return;
    }
    timers_.clear();
    auto& queue = context_.queue();
    const auto end = [this, &queue, exitCode] {
        provocations_.releaseAll();
        // What the release records is written before the process ends.
        timers_.push_back(
            queue.schedule(settleTime, [this, exitCode] { emit finished(exitCode); }));
    };
    if (settleFirst) {
        timers_.push_back(queue.schedule(settleTime, end));
    } else {
        end();
    }
}

}  // namespace tavrin
