#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <memory>

#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;
class MicrophoneDevice;

// Follows the framework's microphone lists with one model per microphone for the whole run, sorted
// by name. Main thread.
class MicrophoneDiscovery final : public QObject {
    Q_OBJECT
public:
    explicit MicrophoneDiscovery(AppContext& context);

    const QList<std::shared_ptr<MicrophoneDevice>>& microphones() const { return microphones_; }

signals:
    void microphonesChanged();

private:
    AppContext& context_;
    QList<std::shared_ptr<MicrophoneDevice>> microphones_;
    QHash<QString, std::shared_ptr<MicrophoneDevice>> idMap_;
    Subscription updateTask_;
};

}  // namespace tavrin
