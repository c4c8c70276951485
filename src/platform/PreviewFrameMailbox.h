#pragma once

#include <memory>
#include <optional>

#include "platform/CameraPreview.h"
#include "runtime/MainThreadQueue.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Hands frames from a capture thread to the main thread, latest wins: at most one frame waits
// and at most one delivery is queued, however slowly the main thread runs. Frames that the main
// thread had no time for are dropped, never queued.
class PreviewFrameMailbox : public std::enable_shared_from_this<PreviewFrameMailbox> {
public:
    static std::shared_ptr<PreviewFrameMailbox> make(MainThreadQueue& queue,
                                                     PreviewFrameHandler onFrame,
                                                     PreviewFailureHandler onFailure = {});

    // Any thread.
    void deliver(PreviewFrame frame);
    // Any thread: the stream ended for `reason`; the failure handler hears it unless closed.
    void fail(const QString& reason);
    // Main thread. No handler call starts after this returns.
    void close();

    // For tests: how many frames were replaced before the main thread took them.
    quint64 droppedFrames() const;

private:
    PreviewFrameMailbox(MainThreadQueue& queue, PreviewFrameHandler onFrame,
                        PreviewFailureHandler onFailure);
    void takeOnMainThread();

    struct Slot {
        std::optional<PreviewFrame> waiting;
        bool deliveryQueued = false;
        bool closed = false;
        quint64 dropped = 0;
    };
    MainThreadQueue& queue_;
    PreviewFrameHandler onFrame_;
    PreviewFailureHandler onFailure_;
    Mutex<Slot> slot_;
};

}  // namespace tavrin
