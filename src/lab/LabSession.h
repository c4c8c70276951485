#pragma once

#include <QCoreApplication>
#include <QFile>
#include <memory>

#include "lab/LabCommandLine.h"

namespace tavrin {

class AppContext;
class EventStreamWriter;
class ScenarioRunner;
class SignalGuard;

// Runs one subcommand over a fresh AppContext: waits for the device lists, does what the
// subcommand asks through the models and controllers, and ends the event loop with the exit
// code. Needs no display. Main thread.
class LabSession final : public QObject {
    Q_OBJECT
public:
    LabSession(QCoreApplication& application, LabInvocation invocation);
    ~LabSession() override;

    // Runs the event loop; the exit code.
    int exec();

    // The whole of `tavrin SUB ...` for main(): parses, prints help or runs a session.
    static int run(QCoreApplication& application);

private:
    void dispatch();
    int listDevices();
    int snapshot();
    int diff();
    int listUVCControls();
    void followEvents();
    void provoke();
    void runScenario();
    // Starts a runner; the loop ends with its exit code.
    void startRunner(std::unique_ptr<ScenarioRunner> runner);
    void end(int exitCode);
    // Plain lines, or JSON lines with --json.
    std::unique_ptr<EventStreamWriter> makeWriter(QIODevice& out) const;
    // Resolves --device and --kind into the writer's filters; false on a usage error.
    bool applyEventFilters(EventStreamWriter& writer);

    QCoreApplication& application_;
    LabInvocation invocation_;
    QFile out_;
    std::unique_ptr<QFile> scenarioOutput_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<SignalGuard> signals_;
    std::unique_ptr<EventStreamWriter> writer_;
    std::unique_ptr<ScenarioRunner> runner_;
    bool ended_ = false;
};

}  // namespace tavrin
