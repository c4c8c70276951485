#include "platform/PreviewFrameMailbox.h"

namespace tavrin {

std::shared_ptr<PreviewFrameMailbox> PreviewFrameMailbox::make(MainThreadQueue& queue,
                                                               PreviewFrameHandler onFrame,
                                                               PreviewFailureHandler onFailure) {
    return std::shared_ptr<PreviewFrameMailbox>(
        new PreviewFrameMailbox(queue, std::move(onFrame), std::move(onFailure)));
}

PreviewFrameMailbox::PreviewFrameMailbox(MainThreadQueue& queue, PreviewFrameHandler onFrame,
                                         PreviewFailureHandler onFailure)
    : queue_(queue), onFrame_(std::move(onFrame)), onFailure_(std::move(onFailure)) {}

void PreviewFrameMailbox::deliver(PreviewFrame frame) {
    const bool needsDelivery = slot_.withLock([&](Slot& slot) {
        if (slot.closed) {
            return false;
        }
        if (slot.waiting) {
            ++slot.dropped;
        }
        slot.waiting = std::move(frame);
        return !std::exchange(slot.deliveryQueued, true);
    });
    if (needsDelivery) {
        queue_.post([weak = weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->takeOnMainThread();
            }
        });
    }
}

void PreviewFrameMailbox::takeOnMainThread() {
    auto frame = slot_.withLock([](Slot& slot) {
        slot.deliveryQueued = false;
        return slot.closed ? std::nullopt : std::exchange(slot.waiting, std::nullopt);
    });
    if (frame && onFrame_) {
        onFrame_(*frame);
    }
}

void PreviewFrameMailbox::fail(const QString& reason) {
    queue_.post([weak = weak_from_this(), reason] {
        const auto self = weak.lock();
        if (!self || !self->onFailure_ ||
            self->slot_.withLock([](const Slot& slot) { return slot.closed; })) {
            return;
        }
        self->onFailure_(reason);
    });
}

void PreviewFrameMailbox::close() {
    slot_.withLock([](Slot& slot) {
        slot.closed = true;
        slot.waiting.reset();
    });
}

quint64 PreviewFrameMailbox::droppedFrames() const {
    return slot_.withLock([](const Slot& slot) { return slot.dropped; });
}

}  // namespace tavrin
