#pragma once

#include <memory>

#include "platform/fake/FakeUvcCamera.h"
#include "platform/fake/FakeV4L2System.h"

namespace tavrin {

// The USB camera behind a fixture's capture node, answering raw control transfers: its
// video-control descriptors and interfaces from the personality's descriptors, and each control
// that uvcvideo would map, with the range, step, default, value and access the V4L2 control
// reports. Like a device, it rounds an integer to its step and keeps it in range, stalls GET_MIN
// and GET_MAX of the auto-exposure mode, and answers the mode as the standard's bitmap. Absent
// for a node without a UVC personality.
std::shared_ptr<FakeUvcCamera> makeFakeUvcCamera(const FakeV4L2NodeSpec& node);

}  // namespace tavrin
