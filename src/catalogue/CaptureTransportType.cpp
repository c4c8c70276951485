#include "catalogue/CaptureTransportType.h"

#include <array>

#include "runtime/FourCharCode.h"

namespace tavrin {

namespace {

struct TransportName {
    FourCharCode code;
    const char* name;
};

constexpr std::array transportNames{
    TransportName{fourCC("bltn"), "Built-in"},
    TransportName{fourCC("grup"), "Aggregate"},
    TransportName{fourCC("virt"), "Virtual"},
    TransportName{fourCC("pci "), "PCI"},
    TransportName{fourCC("usb "), "USB"},
    TransportName{fourCC("1394"), "FireWire"},
    TransportName{fourCC("blue"), "Bluetooth"},
    TransportName{fourCC("blea"), "Bluetooth LE"},
    TransportName{fourCC("hdmi"), "HDMI"},
    TransportName{fourCC("dprt"), "DisplayPort"},
    TransportName{fourCC("airp"), "AirPlay"},
    TransportName{fourCC("eavb"), "AVB"},
    TransportName{fourCC("thun"), "Thunderbolt"},
    TransportName{fourCC("ccwd"), "Continuity (wired)"},
    TransportName{fourCC("ccwl"), "Continuity (wireless)"},
};

}  // namespace

std::optional<QString> CaptureTransportType::displayName() const {
    for (const auto& entry : transportNames) {
        if (entry.code == FourCharCode(rawValue)) {
            return QString::fromUtf8(entry.name);
        }
    }
    return std::nullopt;
}

}  // namespace tavrin
