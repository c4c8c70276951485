#include "app/ConsoleMonitor.h"

#include <QSet>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "display/DisplayDevice.h"

namespace tavrin {

namespace {

// Creates a model for each new identifier, hands newer framework objects to known ones and
// marks the models whose device left the list as not connected.
template <typename Model, typename Framework, typename Key>
void follow(AppContext& context, QHash<Key, std::shared_ptr<Model>>& models,
            const DeviceList<Framework>& list) {
    QSet<Key> listed;
    for (const auto& device : list) {
        listed.insert(device->id());
        if (auto model = models.value(device->id())) {
            model->update(device);
        } else {
            models.insert(device->id(), Model::create(context, device));
        }
    }
    for (auto it = models.begin(); it != models.end(); ++it) {
        if (!listed.contains(it.key())) {
            it.value()->setAvailability(SXAvailability::notConnected());
        }
    }
}

QString kindText(DeviceEntry::Kind kind) {
    switch (kind) {
        case DeviceEntry::Kind::camera:
            return QStringLiteral("camera");
        case DeviceEntry::Kind::microphone:
            return QStringLiteral("microphone");
        case DeviceEntry::Kind::display:
            return QStringLiteral("display");
    }
    return {};
}

}  // namespace

ConsoleMonitor::ConsoleMonitor(AppContext& context, QTextStream& out)
    : context_(context), out_(out) {
    connect(&context_.eventLog(), &DeviceEventLog::eventsByDeviceChanged, this,
            &ConsoleMonitor::printNewEvents);
}

void ConsoleMonitor::start(std::function<void()> onFirstLists) {
    onFirstLists_ = std::move(onFirstLists);
    auto& framework = context_.platform().deviceFramework();
    subscriptions_.push_back(framework.cameraUpdates(true, [this](const auto& list) {
        follow(context_, cameras_, list);
        listArrived();
    }));
    subscriptions_.push_back(framework.microphoneUpdates([this](const auto& list) {
        follow(context_, microphones_, list);
        listArrived();
    }));
    subscriptions_.push_back(framework.displayUpdates([this](const auto& list) {
        follow(context_, displays_, list);
        listArrived();
    }));
}

void ConsoleMonitor::listArrived() {
    if (++kindsArrived_ == 3 && onFirstLists_) {
        onFirstLists_();
    }
}

std::vector<DeviceEntry> ConsoleMonitor::entries() const {
    std::vector<DeviceEntry> entries;
    for (const auto& camera : cameras_) {
        entries.push_back(camera->entry());
    }
    for (const auto& microphone : microphones_) {
        entries.push_back(microphone->entry());
    }
    for (const auto& display : displays_) {
        entries.push_back(display->entry());
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.kind() != b.kind() ? a.kind() < b.kind()
                                    : a.localizedName().localeAwareCompare(b.localizedName()) < 0;
    });
    return entries;
}

void ConsoleMonitor::printDevices() {
    for (const auto& entry : entries()) {
        const auto status = entry.status();
        out_ << kindText(entry.kind()).leftJustified(11) << entry.localizedName().leftJustified(28)
             << status.label.leftJustified(14) << entry.subtitle().value_or(QString()) << '\n';
    }
    out_.flush();
}

void ConsoleMonitor::printNewEvents(const QUuid& deviceID) {
    const auto events = context_.eventLog().events(deviceID);
    auto& printed = printedCounts_[deviceID];
    if (events.size() < printed) {
        printed = events.size();  // cleared
    }
    for (; printed < events.size(); ++printed) {
        const auto& event = events[printed];
        if (printsEvents_) {
            out_ << DeviceEventLog::timestampText(event.timestamp) << "  [" << event.source << "] "
                 << event.message << '\n';
        }
    }
    out_.flush();
}

}  // namespace tavrin
