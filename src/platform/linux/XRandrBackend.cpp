#include "platform/linux/XRandrBackend.h"

namespace tavrin {

XRandrBackend::XRandrBackend(MainThreadQueue& queue, std::unique_ptr<XRandrConnection> commands)
    : services_(std::move(commands)),
      framework_(queue),
      self_(std::make_shared<XRandrBackend*>(this)) {}

XRandrBackend::~XRandrBackend() {
    monitor_.reset();
}

std::unique_ptr<XRandrBackend> XRandrBackend::connect(MainThreadQueue& queue,
                                                      const QByteArray& displayName) {
    auto commands = XRandrConnection::open(displayName);
    auto events = commands ? XRandrConnection::open(displayName) : nullptr;
    if (!events) {
        return nullptr;
    }
    std::unique_ptr<XRandrBackend> backend(new XRandrBackend(queue, std::move(commands)));
    // Changes are asked for before the first read, so none falls between the two. That first
    // state is applied here, so the lists are complete from the first delivery on.
    events->selectChangeEvents();
    auto current = events->readState();
    backend->apply(current);
    backend->monitor_ = std::make_unique<XRandrMonitor>(
        std::move(events), std::move(current),
        [&queue, weak = std::weak_ptr(backend->self_)](const XRandrState& state) {
            queue.post([weak, state] {
                if (const auto self = weak.lock()) {
                    (*self)->apply(state);
                }
            });
        });
    return backend;
}

void XRandrBackend::apply(const XRandrState& state) {
    services_.adopt(state);
    framework_.apply(state);
    services_.notifyScreenParametersChanged();
}

}  // namespace tavrin
