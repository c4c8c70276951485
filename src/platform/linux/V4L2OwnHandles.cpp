#include "platform/linux/V4L2OwnHandles.h"

#include <cerrno>

namespace tavrin {

void V4L2OwnHandles::update(const QList<std::shared_ptr<V4L2Camera>>& cameras) {
    QHash<QString, std::weak_ptr<V4L2Camera>> byNode;
    for (const auto& camera : cameras) {
        byNode.insert(camera->identity().node, camera);
    }
    cameras_.withLock([&](auto& current) { current = std::move(byNode); });
}

int V4L2OwnHandles::duplicate(const QString& nodePath) const {
    const auto camera =
        cameras_.withLock([&](const auto& byNode) { return byNode.value(nodePath).lock(); });
    return camera ? camera->duplicateHandle() : -ENOENT;
}

}  // namespace tavrin
