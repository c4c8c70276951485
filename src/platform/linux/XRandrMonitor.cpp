#include "platform/linux/XRandrMonitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace tavrin {

XRandrMonitor::XRandrMonitor(std::unique_ptr<XRandrConnection> connection, XRandrState current,
                             StateHandler onState)
    : connection_(std::move(connection)),
      last_(std::move(current)),
      onState_(std::move(onState)),
      wakeDescriptor_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    thread_ = std::thread([this] { run(); });
}

XRandrMonitor::~XRandrMonitor() {
    isStopping_ = true;
    if (wakeDescriptor_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeDescriptor_, &one, sizeof one);
    }
    thread_.join();
    if (wakeDescriptor_ >= 0) {
        close(wakeDescriptor_);
    }
}

void XRandrMonitor::run() {
    // Without a wake-up descriptor the thread looks at the stop flag now and then instead.
    const int timeout = wakeDescriptor_ >= 0 ? -1 : 100;
    while (!isStopping_ && !connection_->isBroken()) {
        pollfd descriptors[] = {{connection_->fileDescriptor(), POLLIN, 0},
                                {wakeDescriptor_, POLLIN, 0}};
        // Reading the state reads replies, and Xlib queues the events that came with them: a
        // change made meanwhile is already here, and the socket would stay quiet about it.
        const int ready = connection_->hasQueuedEvents()
                              ? 1
                              : poll(descriptors, wakeDescriptor_ >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || isStopping_) {
            return;
        }
        // A hung-up connection is found by reading it: Xlib then reports the loss.
        if (!connection_->takeEvents()) {
            continue;
        }
        auto state = connection_->readState();
        if (!(state == last_)) {
            last_ = std::move(state);
            onState_(last_);
        }
    }
}

}  // namespace tavrin
