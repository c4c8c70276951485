#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <utility>

#include "platform/ObjectPropertyService.h"
#include "platform/linux/SoundServerState.h"

namespace tavrin {

// Object IDs for the sound server's microphones and client processes: one per source name and
// one per process ID, kept for the whole run, so a source that comes back gets its old ID and no
// ID ever names something else. Not locked; its owner locks.
class SoundServerObjectIDs {
public:
    ObjectID source(const QString& name);
    ObjectID process(std::int32_t pid);
    // The source name of a source object, when it is one.
    std::optional<QString> sourceName(ObjectID object) const;

private:
    ObjectID next_ = 100;
    QHash<QString, ObjectID> sources_;
    QHash<std::int32_t, ObjectID> processes_;
    QHash<ObjectID, QString> sourceNames_;
};

struct AudioObjectProperty {
    PropertyValue value;
    bool isSettable = false;

    friend bool operator==(const AudioObjectProperty&, const AudioObjectProperty&) = default;
};

using AudioObjectProperties = QHash<PropertyAddress, AudioObjectProperty>;
using AudioObjectTable = QHash<ObjectID, AudioObjectProperties>;
using AudioPropertyChanges = QList<std::pair<ObjectID, PropertyAddress>>;

// The audio hardware objects of a sound server state:
// - the system object: 'dev#' (microphones), 'prs#' (client processes), 'dIn ' (the default
//   source's object, settable; 0 when the default is no microphone). 'uidd' is answered by
//   `translateUID`.
// - a microphone: 'uid ' (the source name), 'gone' (1 while the source runs), input 'mute' and
//   'volm' (settable; the volume is the channels' average as a fraction of the normal volume,
//   left out without channels), 'nsrt' and 'nsr#' (the source's one rate: the server offers no
//   choice, so not settable), 'oink' (see below; settable on PipeWire only).
// - a client process: 'ppid', 'pbid' (left out without an application ID), 'piri' (1 while one
//   of its streams records from a microphone, uncorked), 'pdv#' (the microphones its uncorked
//   streams record from). Streams without a process ID belong to no process.
// 'oink' is `ownPID` while this process holds the source exclusively (`heldSources`), else the
// process ID of another client whose stream asked a PipeWire server for exclusive use of it,
// else -1.
AudioObjectTable audioObjectTable(const SoundServerState& state, SoundServerObjectIDs& ids,
                                  std::int32_t ownPID, const QSet<QString>& heldSources);

// Every property whose presence, value or settability differs, in a stable order.
AudioPropertyChanges changedProperties(const AudioObjectTable& before,
                                       const AudioObjectTable& after);

// 'uidd': the microphone object of a source name, or 0 (unknown) for any other name.
ObjectID translateUID(const SoundServerState& state, SoundServerObjectIDs& ids, const QString& uid);

}  // namespace tavrin
