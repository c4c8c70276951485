#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <memory>

#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;
class CameraDevice;

// Follows the framework's camera lists with one model per camera for the whole run, sorted by
// name. Main thread.
class CameraDiscovery final : public QObject {
    Q_OBJECT
public:
    CameraDiscovery(AppContext& context, bool includeDeskView);

    const QList<std::shared_ptr<CameraDevice>>& cameras() const { return cameras_; }

signals:
    void camerasChanged();

private:
    AppContext& context_;
    QList<std::shared_ptr<CameraDevice>> cameras_;
    QHash<QString, std::shared_ptr<CameraDevice>> idMap_;
    Subscription updateTask_;
};

}  // namespace tavrin
