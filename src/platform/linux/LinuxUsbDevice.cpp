#include "platform/linux/LinuxUsbDevice.h"

#include "platform/linux/LinuxUsbDeviceEntry.h"

namespace tavrin {

IOReturn LinuxUsbDevice::createInterfaceIterator(
    const UsbFindInterfaceRequest& request,
    std::vector<std::shared_ptr<UsbRegistryEntry>>& interfaces) {
    std::vector<std::shared_ptr<UsbRegistryEntry>> children;
    LinuxUsbDeviceEntry(system_, name_, ownHandles_).childIterator(children);
    const std::pair<std::uint16_t, const char*> fields[] = {
        {request.interfaceClass, "bInterfaceClass"},
        {request.interfaceSubClass, "bInterfaceSubClass"},
        {request.interfaceProtocol, "bInterfaceProtocol"},
        {request.alternateSetting, "bAlternateSetting"}};
    for (const auto& child : children) {
        const bool matches =
            std::all_of(std::begin(fields), std::end(fields), [&](const auto& field) {
                return field.first == usbFindDontCare ||
                       child->numberProperty(QString::fromLatin1(field.second)) ==
                           std::optional<std::int64_t>(field.first);
            });
        if (matches) {
            interfaces.push_back(child);
        }
    }
    return IOReturnCode::success;
}

}  // namespace tavrin
