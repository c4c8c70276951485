#pragma once

#include <QByteArray>
#include <QList>

namespace tavrin {

// The class-specific (CS_INTERFACE, 0x24) descriptors among the bytes that follow an interface
// descriptor, up to the next interface descriptor; the bytes may begin with that interface
// descriptor itself. The bytes come from the device: a length of 0 or 1, a length that runs past
// the end, or a truncated descriptor ends the walk with what was found so far.
QList<QByteArray> classSpecificInterfaceDescriptors(const QByteArray& bytes);

}  // namespace tavrin
