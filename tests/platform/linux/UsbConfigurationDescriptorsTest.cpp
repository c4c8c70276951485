#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/linux/UsbConfigurationDescriptors.h"

namespace tavrin {
namespace {

using namespace UsbConfigurationDescriptors;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (const int value : values) {
        result.append(char(value));
    }
    return result;
}

QByteArray deviceDescriptor() {
    return bytes({0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x6D, 0x04, 0x2D, 0x08, 0x11,
                  0x00, 0x01, 0x02, 0x00, 0x01});
}

QByteArray interfaceDescriptor(int number, int alternate, int interfaceClass, int subclass) {
    return bytes({0x09, 0x04, number, alternate, 0x01, interfaceClass, subclass, 0x00, 0x00});
}

// VC header, camera input terminal 1, extension unit 6 (before the processing unit, as some
// cameras order them), processing unit 3.
QByteArray videoControlUnitDescriptors() {
    return bytes({0x0D, 0x24, 0x01, 0x00, 0x01, 0x33, 0x00, 0x00, 0x6C, 0xDC, 0x02, 0x01, 0x01}) +
           bytes({0x12, 0x24, 0x02, 0x01, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x00, 0x03, 0x0A, 0x0A, 0x02}) +
           bytes({0x09, 0x24, 0x06, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00}) +
           bytes({0x0B, 0x24, 0x05, 0x03, 0x01, 0x00, 0x00, 0x02, 0x5B, 0x16, 0x00});
}

QByteArray configuration(int value, const QByteArray& body) {
    const int total = 9 + int(body.size());
    return bytes({0x09, 0x02, total & 0xFF, total >> 8, 0x02, value, 0x00, 0x80, 0xFA}) + body;
}

// Configuration 1: the video-control interface 0 with its units and an endpoint, then the
// streaming interface 1 in two alternate settings.
QByteArray webcamFile() {
    const auto endpoint = bytes({0x07, 0x05, 0x83, 0x03, 0x10, 0x00, 0x08});
    return deviceDescriptor() +
           configuration(1, interfaceDescriptor(0, 0, 0x0E, 0x01) + videoControlUnitDescriptors() +
                                endpoint + interfaceDescriptor(1, 0, 0x0E, 0x02) +
                                interfaceDescriptor(1, 1, 0x0E, 0x02));
}

TEST(UsbConfigurationDescriptors, TheInterfaceBytesRunToTheNextInterface) {
    const auto file = webcamFile();
    const auto associated = interfaceAssociatedBytes(file, 1, 0);
    ASSERT_TRUE(associated);
    EXPECT_EQ(*associated,
              videoControlUnitDescriptors() + bytes({0x07, 0x05, 0x83, 0x03, 0x10, 0x00, 0x08}));
    // An alternate setting is an interface descriptor too: the streaming interface's bytes end
    // there.
    EXPECT_EQ(interfaceAssociatedBytes(file, 1, 1), QByteArray());
    EXPECT_FALSE(interfaceAssociatedBytes(file, 1, 2));
    EXPECT_EQ(
        interfaces(configurations(file).value(0)),
        (QList<InterfaceDescriptor>{{0, 0, 0x0E, 0x01}, {1, 0, 0x0E, 0x02}, {1, 1, 0x0E, 0x02}}));
}

TEST(UsbConfigurationDescriptors, TheActiveConfigurationIsChosenAndTheFirstStandsIn) {
    const auto file =
        deviceDescriptor() + configuration(1, interfaceDescriptor(0, 0, 0x01, 0x01)) +
        configuration(2, interfaceDescriptor(0, 0, 0x0E, 0x01) + bytes({0x04, 0x24, 0x01, 0x00}));
    EXPECT_EQ(configurations(file).size(), 2);
    EXPECT_EQ(interfaceAssociatedBytes(file, 2, 0), bytes({0x04, 0x24, 0x01, 0x00}));
    EXPECT_EQ(interfaceAssociatedBytes(file, 1, 0), QByteArray());
    EXPECT_EQ(interfaceAssociatedBytes(file, 7, 0), QByteArray());
    EXPECT_EQ(interfaceAssociatedBytes(file, std::nullopt, 0), QByteArray());
}

TEST(UsbConfigurationDescriptors, LyingOrTruncatedLengthsEndTheWalkWithoutReadingPastTheBytes) {
    const auto file = webcamFile();
    // wTotalLength beyond the file: no configuration at all.
    EXPECT_TRUE(configurations(file.left(file.size() - 1)).isEmpty());
    // Shorter than a device descriptor, or not a configuration after it.
    EXPECT_TRUE(configurations(file.left(17)).isEmpty());
    EXPECT_TRUE(configurations(deviceDescriptor() + bytes({0x09, 0x04, 0x09, 0x00, 0, 0, 0, 0, 0}))
                    .isEmpty());
    // A wTotalLength shorter than the configuration descriptor itself.
    EXPECT_TRUE(configurations(deviceDescriptor() + bytes({0x09, 0x02, 0x04, 0x00, 0, 1, 0, 0, 0}))
                    .isEmpty());

    // A zero length inside the configuration stops the walk where it is, the interface still
    // found before it.
    auto zeroLength = interfaceDescriptor(0, 0, 0x0E, 0x01) + bytes({0x00, 0x24, 0x02, 0x01}) +
                      interfaceDescriptor(1, 0, 0x0E, 0x02);
    const auto stopped =
        interfaceAssociatedBytes(deviceDescriptor() + configuration(1, zeroLength), 1, 0);
    EXPECT_EQ(stopped, bytes({0x00, 0x24, 0x02, 0x01}) + interfaceDescriptor(1, 0, 0x0E, 0x02));
    // A descriptor claiming more bytes than are left.
    const auto overlong =
        configuration(1, interfaceDescriptor(0, 0, 0x0E, 0x01) + bytes({0x40, 0x24, 0x05, 0x03}));
    EXPECT_EQ(interfaceAssociatedBytes(deviceDescriptor() + overlong, 1, 0),
              bytes({0x40, 0x24, 0x05, 0x03}));
    EXPECT_TRUE(videoControlUnits(bytes({0x40, 0x24, 0x05, 0x03})).processingUnits.isEmpty());
    // An interface descriptor too short to hold its fields isn't one.
    EXPECT_FALSE(interfaceAssociatedBytes(
        deviceDescriptor() + configuration(1, bytes({0x03, 0x04, 0x00})), 1, 0));
}

TEST(UsbConfigurationDescriptors, UnitsAreReadInTheirOrderAndOnlyCameraInputsAreCameras) {
    const auto units = videoControlUnits(videoControlUnitDescriptors());
    EXPECT_EQ(units.cameraTerminals, QList<std::uint8_t>{1});
    EXPECT_EQ(units.processingUnits, QList<std::uint8_t>{3});
    EXPECT_EQ(units.extensionUnits, QList<std::uint8_t>{6});

    const auto composite = bytes({0x08, 0x24, 0x02, 0x01, 0x01, 0x04, 0x00, 0x00});
    EXPECT_TRUE(videoControlUnits(composite).cameraTerminals.isEmpty());
    // A terminal too short to hold its type.
    EXPECT_TRUE(videoControlUnits(bytes({0x05, 0x24, 0x02, 0x01, 0x01})).cameraTerminals.isEmpty());
    // The walk stops at the next interface.
    const auto next = interfaceDescriptor(1, 0, 0x0E, 0x02) + bytes({0x04, 0x24, 0x05, 0x09});
    EXPECT_EQ(videoControlUnits(videoControlUnitDescriptors() + next).processingUnits,
              QList<std::uint8_t>{3});
}

}  // namespace
}  // namespace tavrin
