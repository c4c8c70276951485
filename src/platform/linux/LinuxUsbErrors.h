#pragma once

#include <QString>

#include "platform/UsbService.h"

namespace tavrin {

// How the Linux USB service turns errno values into the statuses the USB layer speaks, and how
// it reports a failed call: one line on standard output, "[UVC] " + the call + "failed: errno N
// (text)".
namespace LinuxUsbErrors {

// For opening a node: EACCES/EPERM not permitted, ENODEV/ENOENT no device, EBUSY exclusive
// access, anything else an error.
IOReturn openStatus(int errnoValue);
// For a control request: what a device that lacks the control would answer (EINVAL, ERANGE,
// EACCES, EPIPE, ENOENT) is a stall; ENODEV no device; ETIMEDOUT not responding; the rest an
// error.
IOReturn requestStatus(int errnoValue);
// Whether a request's failure is what a device would answer with a stall: not worth a line.
bool isStall(int errnoValue);

// "errno 13 (Permission denied)".
QString errnoText(int errnoValue);
// Prints "[UVC] " + line.
void printLine(const QString& line);

}  // namespace LinuxUsbErrors

}  // namespace tavrin
