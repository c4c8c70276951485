#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "platform/linux/V4L2Camera.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Our own handles of the camera nodes, by node path. V4L2 refuses a change from any handle below
// the highest priority on the node, and while we hold a camera's configuration lock that is ours:
// a control call of our own must then go through a descriptor of that same handle. Kept up to date
// by the cameras' monitor; read from any thread. It holds the cameras weakly, so it may outlive
// them.
class V4L2OwnHandles {
public:
    void update(const QList<std::shared_ptr<V4L2Camera>>& cameras);
    // A descriptor of our handle of `nodePath`, which the caller closes; -ENOENT when we have none.
    int duplicate(const QString& nodePath) const;

private:
    Mutex<QHash<QString, std::weak_ptr<V4L2Camera>>> cameras_;
};

}  // namespace tavrin
