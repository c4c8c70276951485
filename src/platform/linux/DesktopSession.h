#pragma once

#include <QtGlobal>

namespace tavrin {

// A Wayland session, even one whose X clients are served by Xwayland ($DISPLAY set too): its
// outputs belong to the compositor, which an X client can neither see whole nor move.
inline bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

}  // namespace tavrin
