#pragma once

#include "camera/CMIODeviceUsageMonitor.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceEntry.h"
#include "support/TestEnvironment.h"

namespace tavrin::testing {

inline CaptureFormat videoFormat(int width, int height, const char (&subtype)[5],
                                 QList<FrameRateRange> ranges = {}) {
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->mediaSubtype = *fourCharCodeFromText(QString::fromLatin1(subtype, 4));
    format->width = width;
    format->height = height;
    format->frameRateRanges = std::move(ranges);
    return format;
}

inline FrameRateRange rateRange(double minimum, double maximum) {
    return {minimum, maximum, MediaTime::make(1, std::int32_t(maximum)),
            MediaTime::make(1, std::int32_t(minimum))};
}

// A camera plugged into the fake platform with a capture device in the given state, and its
// model, once the framework has listed it.
struct CameraUnderTest {
    std::shared_ptr<FakeCaptureDevice> capture;
    std::shared_ptr<CameraDevice> camera;
};

inline CameraUnderTest plugCamera(TestEnvironment& env, FakeCaptureDeviceState state,
                                  const QString& name = QStringLiteral("Cam")) {
    if (state.uniqueID.isEmpty()) {
        state.uniqueID = QStringLiteral("cam");
    }
    env.fake().plugCamera(captureSource(state.uniqueID, name));
    auto capture = env.fake().fakeCaptureDevices().add(state);
    env.settle();
    auto camera = CameraDevice::create(env.context(),
                                       env.fake().fakeFramework().cameras().find(state.uniqueID));
    env.settle();
    return {capture, camera};
}

}  // namespace tavrin::testing
