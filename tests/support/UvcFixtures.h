#pragma once

#include <QByteArray>
#include <initializer_list>

#include "platform/fake/FakeUvcCamera.h"
#include "platform/fake/FakeUvcWebcam.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "uvc/UVCControlTable.h"
#include "uvc/UVCSession.h"

namespace tavrin::testing {

inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (const int value : values) {
        result.append(char(value));
    }
    return result;
}

// The descriptors of a common 720p webcam (see FakeUvcWebcam.cpp for their layout).
inline QByteArray webcamVideoControlDescriptors() {
    return fakeWebcamDescriptors();
}

inline constexpr std::uint8_t webcamCameraTerminal = fakeWebcamCameraTerminal;
inline constexpr std::uint8_t webcamProcessingUnit = fakeWebcamProcessingUnit;

// A webcam at location 0x14200000 that offers every control of the section, settable, with
// plausible ranges, plus the privacy shutter.
inline std::shared_ptr<FakeUvcCamera> fullWebcam() {
    auto camera = FakeUvcCamera::create(0x14200000, webcamVideoControlDescriptors());
    for (const auto& spec : uvcControlTable) {
        const auto unit =
            spec.unit == UVCUnit::processingUnit ? webcamProcessingUnit : webcamCameraTerminal;
        FakeUvcControl control;
        control.maximum = spec.byteCount == 1 ? 1 : 255;
        control.defaultValue = spec.byteCount == 1 ? 1 : 128;
        control.current = control.defaultValue;
        camera->setControl(unit, spec.selector, control);
    }
    camera->setControl(webcamCameraTerminal, uvcPrivacySelector,
                       FakeUvcControl{.info = 0x01, .maximum = 1});
    return camera;
}

// The unique ID the capture service gives such a camera.
inline const char* const webcamUniqueID = "0x1420000046d0825";

// A controller for `uniqueID` on a thread of its own, as a camera makes it. The service must
// outlive the session's thread; the tests' services do.
inline std::shared_ptr<UVCSession> openUVCSession(MainThreadQueue& queue, UsbService& usb,
                                                  const QString& uniqueID) {
    return UVCSession::forCamera(queue, std::shared_ptr<UsbService>(std::shared_ptr<void>(), &usb),
                                 uniqueID);
}

// Lets the camera's thread and the main queue run until neither has anything left to do.
inline void settleUVC(VirtualMainThreadQueue& queue, UVCSession& session) {
    for (int round = 0; round < 1000; ++round) {
        session.waitUntilIdle(std::chrono::seconds(10));
        if (!queue.runUntilIdle()) {
            return;
        }
    }
}

}  // namespace tavrin::testing
