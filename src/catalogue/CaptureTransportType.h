#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tavrin {

// A capture device's transport four-character code with its readable name, when it has one.
struct CaptureTransportType {
    std::int32_t rawValue = 0;

    std::optional<QString> displayName() const;

    friend bool operator==(const CaptureTransportType&, const CaptureTransportType&) = default;
};

}  // namespace tavrin
