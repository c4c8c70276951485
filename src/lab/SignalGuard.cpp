#include "lab/SignalGuard.h"

#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace tavrin {

namespace {

// Written by the handler, read by the guard; -1 while no guard is installed.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;
struct sigaction previousInterrupt;
struct sigaction previousTerminate;

void onSignal(int signalNumber) {
    // The handler may interrupt any thread: what it does to errno must not show there.
    const int savedErrno = errno;
    const int fd = writeEnd;
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a signal that will be handled; nothing is lost.
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

SignalGuard::SignalGuard() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd = fds[0];
    writeEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
    notifier_ = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalGuard::readPipe);
}

SignalGuard::~SignalGuard() {
    if (!notifier_) {
        return;
    }
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    notifier_.reset();
    // The write end stays open: a handler already running on another thread may still write to
    // it, and a closed descriptor could by then name a file that another thread opened.
    writeEnd = -1;
    ::close(readEnd);
    readEnd = -1;
}

void SignalGuard::readPipe() {
    unsigned char byte = 0;
    while (::read(readEnd, &byte, 1) == 1) {
        emit received(int(byte));
    }
}

}  // namespace tavrin
