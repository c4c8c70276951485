#include "platform/fake/FakeUvcFixtureCamera.h"

#include <linux/videodev2.h>

#include "platform/UsbVideoClass.h"
#include "platform/linux/UsbConfigurationDescriptors.h"
#include "platform/linux/UvcV4L2Mapping.h"
#include "platform/linux/V4L2Mapping.h"

namespace tavrin {

namespace {

FakeUvcControl uvcControl(const UvcV4L2Control& mapping, const FakeV4L2Control& control) {
    FakeUvcControl result;
    result.info = UvcV4L2Mapping::infoByte(control.flags);
    const auto defaultValue = control.defaultValue.value_or(control.value);
    if (mapping.kind == UvcValueKind::exposureModeBitmap) {
        result.current = UvcV4L2Mapping::exposureBitmap(control.value).value_or(0);
        result.defaultValue = UvcV4L2Mapping::exposureBitmap(defaultValue).value_or(0);
        result.resolution = 0;
        for (const auto item : control.menu) {
            result.resolution |= UvcV4L2Mapping::exposureBitmap(item).value_or(0);
        }
        return result;
    }
    result.minimum = control.minimum;
    result.maximum = control.maximum;
    result.resolution = control.step;
    result.defaultValue = defaultValue;
    result.current = control.value;
    result.roundsToResolution = control.effectiveType() != V4L2_CTRL_TYPE_MENU;
    return result;
}

}  // namespace

std::shared_ptr<FakeUvcCamera> makeFakeUvcCamera(const FakeV4L2NodeSpec& node) {
    if (!node.uvc) {
        return nullptr;
    }
    const auto& personality = *node.uvc;
    const auto configurations =
        UsbConfigurationDescriptors::configurations(personality.descriptors);
    QByteArray configuration = configurations.value(0);
    for (const auto& candidate : configurations) {
        if (std::uint8_t(candidate[5]) == personality.configurationValue) {
            configuration = candidate;
        }
    }
    QList<FakeUvcCamera::Child> children;
    std::uint8_t videoControlInterface = 0;
    for (const auto& interface : UsbConfigurationDescriptors::interfaces(configuration)) {
        if (interface.alternateSetting != 0) {
            continue;
        }
        children.append({interface.interfaceClass, interface.interfaceSubClass});
        if (interface.interfaceClass == UsbVideoClass::videoInterfaceClass &&
            interface.interfaceSubClass == UsbVideoClass::videoControlSubclass) {
            videoControlInterface = interface.number;
        }
    }
    const auto bytes =
        UsbConfigurationDescriptors::interfaceAssociatedBytes(
            personality.descriptors, personality.configurationValue, videoControlInterface)
            .value_or(QByteArray());
    const auto locationID =
        V4L2Mapping::usbLocationID(node.usb.value(QStringLiteral("busnum")).toInt(),
                                   QString::fromUtf8(node.usb.value(QStringLiteral("devpath"))));
    auto camera =
        FakeUvcCamera::create(locationID ? std::optional<std::int64_t>(*locationID) : std::nullopt,
                              bytes, videoControlInterface);
    camera->setChildren(children);

    const auto units = videoControlUnits(bytes);
    for (const auto& mapping : UvcV4L2Mapping::table()) {
        const auto& ids = mapping.entity == UvcEntity::cameraTerminal ? units.cameraTerminals
                                                                      : units.processingUnits;
        const auto found = node.controls.constFind(mapping.v4l2ID);
        if (ids.isEmpty() || found == node.controls.constEnd() ||
            (found->flags & V4L2_CTRL_FLAG_DISABLED)) {
            continue;
        }
        camera->setControl(ids.front(), mapping.selector, uvcControl(mapping, *found));
        if (mapping.kind == UvcValueKind::exposureModeBitmap) {
            camera->failRequests(UsbVideoClass::getMin, ids.front(), mapping.selector);
            camera->failRequests(UsbVideoClass::getMax, ids.front(), mapping.selector);
        }
    }
    for (const auto& control : personality.extensionControls) {
        camera->setControl(control.unit, control.selector,
                           FakeUvcControl{.info = control.info,
                                          .minimum = control.minimum,
                                          .maximum = control.maximum,
                                          .defaultValue = control.defaultValue,
                                          .current = control.current});
    }
    return camera;
}

}  // namespace tavrin
