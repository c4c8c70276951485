#include "platform/linux/LinuxUsbErrors.h"

#include <cerrno>
#include <cstring>

#include "platform/UvcDiagnostics.h"

namespace tavrin::LinuxUsbErrors {

IOReturn openStatus(int errnoValue) {
    switch (errnoValue) {
        case EACCES:
        case EPERM:
            return IOReturnCode::notPermitted;
        case ENODEV:
        case ENOENT:
            return IOReturnCode::noDevice;
        case EBUSY:
            return IOReturnCode::exclusiveAccess;
        default:
            return IOReturnCode::error;
    }
}

bool isStall(int errnoValue) {
    switch (errnoValue) {
        case EINVAL:
        case ERANGE:
        case EACCES:
        case EPIPE:
        case ENOENT:
            return true;
        default:
            return false;
    }
}

IOReturn requestStatus(int errnoValue) {
    if (isStall(errnoValue)) {
        return IOReturnCode::pipeStalled;
    }
    switch (errnoValue) {
        case ENODEV:
            return IOReturnCode::noDevice;
        case ETIMEDOUT:
            return IOReturnCode::notResponding;
        default:
            return IOReturnCode::error;
    }
}

QString errnoText(int errnoValue) {
    // strerror's buffer may be shared between threads; the description table is constant.
    const char* description = strerrordesc_np(errnoValue);
    return QStringLiteral("errno %1 (%2)")
        .arg(errnoValue)
        .arg(description ? QString::fromLatin1(description) : QStringLiteral("unknown"));
}

void printLine(const QString& line) {
    printUVCLine(line);
}

}  // namespace tavrin::LinuxUsbErrors
