#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tavrin {

// The names of the running applications, by process ID.
class ProcessNameService {
public:
    virtual ~ProcessNameService() = default;

    // The running application's localized name; absent when no application has that PID.
    virtual std::optional<QString> applicationName(std::int32_t pid) = 0;
};

}  // namespace tavrin
