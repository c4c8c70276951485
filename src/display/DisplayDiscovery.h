#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QUuid>
#include <memory>

#include "platform/DeviceFramework.h"
#include "platform/DisplayServices.h"
#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;
class DisplayDevice;

// Follows the framework's display lists with one model per display ID for the whole run,
// ordered by position in the global arrangement; displays that leave stay, not connected.
// Main thread.
class DisplayDiscovery final : public QObject {
    Q_OBJECT
public:
    explicit DisplayDiscovery(AppContext& context);

    const QList<std::shared_ptr<DisplayDevice>>& displays() const { return displays_; }
    std::shared_ptr<DisplayDevice> display(const QUuid& uuid) const;

    // Applies one complete framework list.
    void apply(const DeviceList<SXDisplay>& list);
    // Makes `target` the primary display where the desktop has that setting; elsewhere moves
    // every connected display so that `target` sits at the global origin. The display-services
    // status. Origins that don't fit 32 bits are refused before anything moves.
    DisplayError makeMain(const DisplayDevice& target);

signals:
    void displaysChanged();

private:
    AppContext& context_;
    QList<std::shared_ptr<DisplayDevice>> displays_;
    QHash<DisplayID, std::shared_ptr<DisplayDevice>> idMap_;
    Subscription updateTask_;
};

}  // namespace tavrin
