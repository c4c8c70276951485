#pragma once

#include "platform/ProcessNameService.h"
#include "platform/linux/PulseConnection.h"

namespace tavrin {

// The names of running processes: a sound server client's application name, else the name of
// the process's executable (from /proc). Absent for a process that doesn't exist.
class LinuxProcessNames final : public ProcessNameService {
public:
    LinuxProcessNames(PulseConnection& connection, QString procRoot = QStringLiteral("/proc"))
        : connection_(connection), procRoot_(std::move(procRoot)) {}

    std::optional<QString> applicationName(std::int32_t pid) override;

    // The executable's name of a process under `procRoot`; absent when there is no such process.
    static std::optional<QString> executableName(const QString& procRoot, std::int32_t pid);

private:
    PulseConnection& connection_;
    const QString procRoot_;
};

}  // namespace tavrin
