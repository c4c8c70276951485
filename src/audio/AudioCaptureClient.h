#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/ObjectPropertyService.h"

namespace tavrin {

class ProcessNameService;

// A process capturing audio from a device right now.
struct AudioCaptureClient {
    std::int32_t pid = 0;
    std::optional<QString> bundleID;
    QString displayName;

    friend bool operator==(const AudioCaptureClient&, const AudioCaptureClient&) = default;
};

inline size_t qHash(const AudioCaptureClient& client, size_t seed = 0) {
    return qHashMulti(seed, client.pid, client.bundleID.value_or(QString()),
                      client.bundleID.has_value(), client.displayName);
}

// The processes capturing from `device`, one per PID, named for display and sorted by name
// (localized, case-insensitive, stable). Reads the hardware each call and keeps nothing; every
// failed read skips the process, or gives no clients when the process list can't be read.
QList<AudioCaptureClient> audioCaptureClients(ObjectPropertyService& hardware,
                                              ProcessNameService& processNames, ObjectID device);

}  // namespace tavrin
