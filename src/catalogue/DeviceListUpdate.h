#pragma once

#include <QCollator>
#include <QHash>
#include <QList>
#include <QSet>
#include <algorithm>
#include <memory>

#include "platform/DeviceFramework.h"

namespace tavrin {

class AppContext;

// One list update of a discovery: a model per framework identifier, created once and handed
// every newer framework object; models whose device left the list stay, marked not connected.
// The result is stably sorted with `before`. An identifier listed twice counts once, with its
// first object.
template <typename Model, typename Framework, typename Key, typename Before>
QList<std::shared_ptr<Model>> updatedDeviceList(AppContext& context,
                                                QHash<Key, std::shared_ptr<Model>>& idMap,
                                                const QList<std::shared_ptr<Model>>& current,
                                                const DeviceList<Framework>& list, Before before) {
    QSet<Key> listed;
    QList<std::shared_ptr<Model>> result;
    result.reserve(std::max(list.size(), current.size()));
    for (const auto& device : list) {
        if (!device || listed.contains(device->id())) {
            continue;
        }
        listed.insert(device->id());
        if (const auto model = idMap.value(device->id())) {
            model->update(device);
            result.append(model);
        } else {
            auto created = Model::create(context, device);
            idMap.insert(device->id(), created);
            result.append(created);
        }
    }
    for (const auto& model : current) {
        if (!listed.contains(model->id())) {
            model->setAvailability(SXAvailability::notConnected());
            result.append(model);
        }
    }
    std::stable_sort(result.begin(), result.end(), before);
    return result;
}

// Cameras and microphones sort by name, case-insensitively in the user's locale, keeping equal
// names in the framework's order.
template <typename Model, typename Framework>
QList<std::shared_ptr<Model>> updatedCaptureList(AppContext& context,
                                                 QHash<QString, std::shared_ptr<Model>>& idMap,
                                                 const QList<std::shared_ptr<Model>>& current,
                                                 const DeviceList<Framework>& list) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return updatedDeviceList(context, idMap, current, list, [&](const auto& a, const auto& b) {
        return collator.compare(a->localizedName(), b->localizedName()) < 0;
    });
}

}  // namespace tavrin
