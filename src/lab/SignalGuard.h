#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace tavrin {

// Turns SIGINT and SIGTERM into a signal on the main thread, so that whatever a subcommand holds
// is given back by the same code as at the end of its time. The handler only writes the signal's
// number into a pipe (the one thing safe to do there); a socket notifier reads it on the main
// thread. One guard at a time; the previous handlers come back when it goes.
class SignalGuard final : public QObject {
    Q_OBJECT
public:
    SignalGuard();
    ~SignalGuard() override;
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

    // Whether the handlers were installed.
    bool isActive() const { return notifier_ != nullptr; }

signals:
    // Main thread; `signalNumber` is SIGINT or SIGTERM.
    void received(int signalNumber);

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tavrin
