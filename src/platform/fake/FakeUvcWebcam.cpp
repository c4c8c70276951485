#include "platform/fake/FakeUvcWebcam.h"

#include <initializer_list>

namespace tavrin {

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (const int value : values) {
        result.append(char(value));
    }
    return result;
}

}  // namespace

// Video-control descriptors laid out as lsusb shows a common 720p USB webcam's (written out by
// hand, not captured from a device): the header,
// the camera input terminal (ID 1), the processing unit (ID 2), a vendor extension unit (ID 3),
// the streaming output terminal (ID 4), then the interrupt endpoint and its class-specific
// descriptor, and the first streaming interface that ends the association.
QByteArray fakeWebcamDescriptors() {
    return bytes({
        // VC_HEADER: bcdUVC 1.00, wTotalLength 0x004E, 48 MHz clock, one streaming interface (1)
        0x0D,
        0x24,
        0x01,
        0x00,
        0x01,
        0x4E,
        0x00,
        0x00,
        0x6C,
        0xDC,
        0x02,
        0x01,
        0x01,
        // VC_INPUT_TERMINAL: ID 1, ITT_CAMERA, no focal lengths, 3 control bytes (AE, exposure)
        0x12,
        0x24,
        0x02,
        0x01,
        0x01,
        0x02,
        0x00,
        0x00,
        0x00,
        0x00,
        0x00,
        0x00,
        0x00,
        0x00,
        0x03,
        0x0E,
        0x00,
        0x00,
        // VC_PROCESSING_UNIT: ID 2, source 1, 2 control bytes 0x177F, video standards
        0x0B,
        0x24,
        0x05,
        0x02,
        0x01,
        0x00,
        0x00,
        0x02,
        0x7F,
        0x17,
        0x00,
        // VC_EXTENSION_UNIT: ID 3, vendor GUID, 8 controls, one input (2), 2 control bytes
        0x1B,
        0x24,
        0x06,
        0x03,
        0x70,
        0x33,
        0xF0,
        0x28,
        0x11,
        0x63,
        0x2E,
        0x4A,
        0xBA,
        0x2C,
        0x68,
        0x90,
        0xEB,
        0x33,
        0x40,
        0x16,
        0x08,
        0x01,
        0x02,
        0x02,
        0xFF,
        0x00,
        0x00,
        // VC_OUTPUT_TERMINAL: ID 4, TT_STREAMING, source 3
        0x09,
        0x24,
        0x03,
        0x04,
        0x01,
        0x01,
        0x00,
        0x03,
        0x00,
        // Interrupt IN endpoint 0x83, 16 bytes, interval 6; its class-specific descriptor
        0x07,
        0x05,
        0x83,
        0x03,
        0x10,
        0x00,
        0x06,
        0x05,
        0x25,
        0x03,
        0x10,
        0x00,
        // The next interface (video streaming): the walk stops here
        0x09,
        0x04,
        0x01,
        0x00,
        0x00,
        0x0E,
        0x02,
        0x00,
        0x00,
        0x0E,
        0x24,
        0x01,
        0x01,
        0x4D,
        0x00,
        0x81,
        0x00,
        0x04,
        0x00,
        0x00,
        0x00,
        0x01,
        0x00,
    });
}

std::shared_ptr<FakeUvcCamera> makeFakeWebcam(std::int64_t locationID) {
    auto camera = FakeUvcCamera::create(locationID, fakeWebcamDescriptors());
    auto set = [&](UVCControlID id, std::int64_t minimum, std::int64_t maximum,
                   std::int64_t defaultValue) {
        const auto& spec = uvcControlSpec(id);
        const auto unit = spec.unit == UVCUnit::processingUnit ? fakeWebcamProcessingUnit
                                                               : fakeWebcamCameraTerminal;
        camera->setControl(unit, spec.selector,
                           FakeUvcControl{.minimum = minimum,
                                          .maximum = maximum,
                                          .defaultValue = defaultValue,
                                          .current = defaultValue});
    };
    // Ranges as a common 720p webcam reports them.
    set(UVCControlID::brightness, -64, 64, 0);
    set(UVCControlID::contrast, 0, 64, 32);
    set(UVCControlID::saturation, 0, 128, 64);
    set(UVCControlID::sharpness, 0, 6, 3);
    set(UVCControlID::hue, -40, 40, 0);
    set(UVCControlID::hueAuto, 0, 1, 0);
    set(UVCControlID::gamma, 72, 500, 100);
    set(UVCControlID::gain, 0, 100, 0);
    set(UVCControlID::backlightCompensation, 0, 2, 1);
    set(UVCControlID::aeMode, 0, 15, 8);
    set(UVCControlID::exposureTime, 3, 2047, 156);
    set(UVCControlID::focusAuto, 0, 1, 1);
    set(UVCControlID::focusAbsolute, 0, 1023, 68);
    set(UVCControlID::whiteBalanceAuto, 0, 1, 1);
    set(UVCControlID::whiteBalanceTemperature, 2800, 6500, 4600);
    set(UVCControlID::zoomAbsolute, 100, 500, 100);
    set(UVCControlID::powerLineFrequency, 0, 2, 1);
    camera->setControl(fakeWebcamCameraTerminal, uvcPrivacySelector,
                       FakeUvcControl{.info = 0x01, .maximum = 1});
    return camera;
}

}  // namespace tavrin
