#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "platform/linux/V4L2Camera.h"
#include "platform/linux/V4L2Enumeration.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// Which nodes are cameras and who they are, from the driver's answers and sysfs.
namespace V4L2Discovery {

// The video nodes in /dev ("video0", "video2", ...), in number order.
QStringList videoNodes(V4L2System& system);

// A camera's identity. `capabilities` is absent for a node we may not open: its name then comes
// from sysfs. A USB camera's location that can't be packed is logged and gets an ID without
// one, so no UVC access is tried for it.
V4L2CameraIdentity identify(V4L2System& system, const QString& nodeName,
                            const std::optional<V4L2Capabilities>& capabilities);

// Whether a node we may not open is the first node of its device, which is how such a node is
// told from its device's metadata node.
bool isFirstNodeOfDevice(V4L2System& system, const QString& nodeName);

// The processes that have each of `nodePaths` open, from /proc, as far as permissions allow.
QHash<QString, QList<V4L2Opener>> openers(V4L2System& system, const QStringList& nodePaths);

}  // namespace V4L2Discovery

}  // namespace tavrin
