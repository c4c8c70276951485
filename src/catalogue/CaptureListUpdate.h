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

// One list update of a camera or microphone discovery: a model per framework identifier, created
// once and handed every newer framework object; models whose device left the list stay, marked
// not connected. The result is sorted by name, case-insensitively in the user's locale, keeping
// equal names in the framework's order. An identifier listed twice counts once.
template <typename Model, typename Framework>
QList<std::shared_ptr<Model>> updatedCaptureList(AppContext& context,
                                                 QHash<QString, std::shared_ptr<Model>>& idMap,
                                                 const QList<std::shared_ptr<Model>>& current,
                                                 const DeviceList<Framework>& list) {
    QSet<QString> listed;
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
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(result.begin(), result.end(), [&](const auto& a, const auto& b) {
        return collator.compare(a->localizedName(), b->localizedName()) < 0;
    });
    return result;
}

}  // namespace tavrin
