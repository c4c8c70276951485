#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>

namespace tavrin::testing {

// The real tavrin binary, run as another process would run it.
class SubcommandProcess {
public:
    explicit SubcommandProcess(const QStringList& arguments, const QString& pulseServer = {}) {
        auto environment = QProcessEnvironment::systemEnvironment();
        if (!pulseServer.isEmpty()) {
            environment.insert(QStringLiteral("PULSE_SERVER"), pulseServer);
        }
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral(TAVRIN_BINARY), arguments);
        process_.waitForStarted(10000);
    }
    ~SubcommandProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // Waits for the end; the exit code, or -1 when it didn't end normally in time.
    int finish(int timeoutMs = 60000) {
        if (!process_.waitForFinished(timeoutMs) || process_.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        collect();
        return process_.exitCode();
    }
    // Waits until standard output holds `text`; false when the process ended or time ran out.
    bool waitForOutput(const QByteArray& text, int timeoutMs = 20000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!collect().contains(text)) {
            if (process_.state() == QProcess::NotRunning || deadline.hasExpired()) {
                return false;
            }
            process_.waitForReadyRead(100);
        }
        return true;
    }
    void terminate() { process_.terminate(); }  // SIGTERM

    const QByteArray& out() { return collect(); }
    const QByteArray& err() {
        err_ += process_.readAllStandardError();
        return err_;
    }

private:
    const QByteArray& collect() {
        out_ += process_.readAllStandardOutput();
        return out_;
    }

    QProcess process_;
    QByteArray out_;
    QByteArray err_;
};

}  // namespace tavrin::testing
