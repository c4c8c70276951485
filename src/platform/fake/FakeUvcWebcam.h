#pragma once

#include <QByteArray>
#include <memory>

#include "platform/fake/FakeUvcCamera.h"
#include "uvc/UVCControlTable.h"

namespace tavrin {

// The video-control descriptors of a common 720p USB webcam, as the demo's and the tests' fake
// cameras present them.
QByteArray fakeWebcamDescriptors();

// The unit IDs in those descriptors.
inline constexpr std::uint8_t fakeWebcamCameraTerminal = 1;
inline constexpr std::uint8_t fakeWebcamProcessingUnit = 2;

// A webcam at `locationID` with every control of the controls section, settable, with the
// ranges and defaults such a camera reports, and a read-only privacy shutter.
std::shared_ptr<FakeUvcCamera> makeFakeWebcam(std::int64_t locationID);

}  // namespace tavrin
