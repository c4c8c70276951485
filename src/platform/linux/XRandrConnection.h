#pragma once

#include <QByteArray>
#include <QHash>
#include <QPoint>
#include <memory>

#include "platform/DisplayServices.h"
#include "platform/linux/XRandrState.h"

struct _XDisplay;

namespace tavrin {

// One connection to an X server with the RandR extension, used by one thread only. It reads the
// outputs into an `XRandrState` and changes the layout. When the server goes away the
// connection is broken: every later call returns at once, and states read from it list nothing
// connected.
class XRandrConnection {
public:
    // Absent when no X server answers at `displayName` (empty: $DISPLAY) or it lacks RandR 1.3.
    static std::unique_ptr<XRandrConnection> open(const QByteArray& displayName);
    ~XRandrConnection();
    XRandrConnection(const XRandrConnection&) = delete;
    XRandrConnection& operator=(const XRandrConnection&) = delete;

    bool isBroken() const { return isBroken_; }
    int fileDescriptor() const;

    XRandrState readState();

    // Asks for the output, CRTC and screen changes, and for the root window's properties (work
    // area, resources).
    void selectChangeEvents();
    // Reads every event that has arrived without waiting; true when one of them may have changed
    // the state.
    bool takeEvents();
    // Whether events wait in Xlib's own queue, read off the socket along with a reply: polling
    // the socket would not see them.
    bool hasQueuedEvents() const;

    // Moves the outputs' CRTCs to new origins in one pass under a server grab: the screen grows
    // to hold every CRTC, the moved CRTCs are set with their mode and rotation unchanged, and the
    // screen shrinks last. A layout left or above the screen's origin is shifted back into it.
    // When the server refuses a CRTC, those already moved go back and the status is the failure;
    // a grab that can't be had within a few milliseconds gives `cannotComplete`.
    DisplayError moveOutputs(const QHash<DisplayID, QPoint>& origins);
    // Makes the output the primary one, which the desktop's panels follow.
    DisplayError setPrimaryOutput(DisplayID output);

private:
    explicit XRandrConnection(_XDisplay* display);
    static void onConnectionLost(_XDisplay* display, void* connection);
    // Takes the server grab within a bounded time; false (and no grab) when another client keeps
    // it.
    bool grabServer();
    DisplayError moveCrtcs(const QHash<DisplayID, QPoint>& origins);

    _XDisplay* display_;
    bool isBroken_ = false;
    int randrEventBase_ = 0;
    unsigned long grabWindow_ = 0;  // an unmapped window of ours that tells when the grab is had
};

}  // namespace tavrin
