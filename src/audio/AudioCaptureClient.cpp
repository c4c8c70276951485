#include "audio/AudioCaptureClient.h"

#include <QCollator>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/AudioHardware.h"
#include "platform/ProcessNameService.h"

namespace tavrin {

using namespace AudioSelector;

QList<AudioCaptureClient> audioCaptureClients(ObjectPropertyService& hardware,
                                              ProcessNameService& processNames, ObjectID device) {
    const auto processObjects =
        readProperty<QList<ObjectID>>(hardware, systemObjectID, globalAddress(processes));
    if (!processObjects) {
        return {};
    }
    QList<AudioCaptureClient> clients;
    QSet<std::int32_t> seenPIDs;
    for (const auto process : *processObjects) {
        if (readProperty<std::uint32_t>(hardware, process, globalAddress(processIsRunningInput)) !=
            1u) {
            continue;
        }
        const auto devices =
            readProperty<QList<ObjectID>>(hardware, process, globalAddress(processDevices));
        if (!devices || !devices->contains(device)) {
            continue;
        }
        const auto pid = readProperty<std::int32_t>(hardware, process, globalAddress(processPID));
        if (!pid || seenPIDs.contains(*pid)) {
            continue;
        }
        seenPIDs.insert(*pid);

        std::optional<QString> bundleID =
            readProperty<QString>(hardware, process, globalAddress(processBundleID));
        if (bundleID && bundleID->isEmpty()) {  // also a null reference
            bundleID.reset();
        }
        auto displayName = processNames.applicationName(*pid).value_or(QString());
        if (displayName.isEmpty()) {
            displayName = bundleID.value_or(QStringLiteral("PID %1").arg(*pid));
        }
        clients.append(AudioCaptureClient{*pid, bundleID, displayName});
    }

    // Sorted through positions: equal names keep the process list's order.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<qsizetype> order(std::size_t(clients.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(clients[a].displayName, clients[b].displayName) < 0;
    });
    QList<AudioCaptureClient> sorted;
    sorted.reserve(clients.size());
    for (const auto index : order) {
        sorted.append(clients[index]);
    }
    return sorted;
}

}  // namespace tavrin
