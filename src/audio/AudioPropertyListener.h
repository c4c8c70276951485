#pragma once

#include "platform/PropertyListener.h"

namespace tavrin {

// An audio hardware property-listener registration. Every listener of this system is called on
// the layer's own notification thread, so no queue is kept.
using AudioPropertyListener = PropertyListener;

}  // namespace tavrin
