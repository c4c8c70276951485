#include "platform/linux/AudioObjectTable.h"

#include <algorithm>

#include "platform/AudioHardware.h"

namespace tavrin {

using namespace AudioSelector;

ObjectID SoundServerObjectIDs::source(const QString& name) {
    if (const auto found = sources_.constFind(name); found != sources_.constEnd()) {
        return *found;
    }
    const auto id = next_++;
    sources_.insert(name, id);
    sourceNames_.insert(id, name);
    return id;
}

ObjectID SoundServerObjectIDs::process(std::int32_t pid) {
    if (const auto found = processes_.constFind(pid); found != processes_.constEnd()) {
        return *found;
    }
    const auto id = next_++;
    processes_.insert(pid, id);
    return id;
}

std::optional<QString> SoundServerObjectIDs::sourceName(ObjectID object) const {
    const auto found = sourceNames_.constFind(object);
    return found == sourceNames_.constEnd() ? std::nullopt : std::optional(*found);
}

namespace {

std::int32_t hogModeOwner(const SoundServerState& state, const SoundServerSource& source,
                          std::int32_t ownPID, const QSet<QString>& heldSources) {
    if (heldSources.contains(source.name)) {
        return ownPID;
    }
    if (state.isPipeWire) {
        for (const auto& stream : state.streams) {
            const auto pid = state.processID(stream);
            if (stream.sourceIndex == source.index && stream.asksExclusive && pid &&
                *pid != ownPID) {
                return *pid;
            }
        }
    }
    return -1;
}

AudioObjectProperties microphoneProperties(const SoundServerState& state,
                                           const SoundServerSource& source, std::int32_t ownPID,
                                           const QSet<QString>& heldSources) {
    AudioObjectProperties properties;
    properties.insert(globalAddress(deviceUID), {source.name});
    properties.insert(globalAddress(isRunningSomewhere), {std::uint32_t(source.isRunning ? 1 : 0)});
    properties.insert(inputAddress(mute), {std::uint32_t(source.isMuted ? 1 : 0), true});
    if (const auto volume = averageVolume(source)) {
        properties.insert(inputAddress(volumeScalar), {*volume, true});
    }
    const double rate = source.sampleRate;
    properties.insert(globalAddress(nominalSampleRate), {rate});
    properties.insert(globalAddress(availableNominalSampleRates),
                      {QList<ValueRange>{{rate, rate}}});
    properties.insert(globalAddress(hogMode),
                      {hogModeOwner(state, source, ownPID, heldSources), state.isPipeWire});
    return properties;
}

}  // namespace

AudioObjectTable audioObjectTable(const SoundServerState& state, SoundServerObjectIDs& ids,
                                  std::int32_t ownPID, const QSet<QString>& heldSources) {
    AudioObjectTable table;
    QList<ObjectID> microphones;
    QHash<std::uint32_t, ObjectID> microphoneBySourceIndex;
    ObjectID defaultInput = unknownObjectID;
    for (const auto& source : state.sources) {
        if (source.isMonitor) {
            continue;
        }
        const auto object = ids.source(source.name);
        if (microphones.contains(object)) {
            continue;  // a second source of the same name: the first one stands
        }
        microphones.append(object);
        microphoneBySourceIndex.insert(source.index, object);
        table.insert(object, microphoneProperties(state, source, ownPID, heldSources));
        if (source.name == state.defaultSourceName) {
            defaultInput = object;
        }
    }

    struct Process {
        std::int32_t pid = 0;
        QString applicationID;
        bool isRunningInput = false;
        QList<ObjectID> devices;
    };
    QList<ObjectID> processOrder;
    QHash<ObjectID, Process> processByObject;
    for (const auto& stream : state.streams) {
        const auto pid = state.processID(stream);
        if (!pid) {
            continue;
        }
        const auto object = ids.process(*pid);
        if (!processByObject.contains(object)) {
            processOrder.append(object);
        }
        auto& process = processByObject[object];
        process.pid = *pid;
        if (process.applicationID.isEmpty()) {
            process.applicationID = state.applicationID(stream);
        }
        // Only a stream that records from a microphone now counts: a paused stream, or one on
        // the monitor of an output, captures nothing from any microphone.
        const auto device = microphoneBySourceIndex.constFind(stream.sourceIndex);
        if (stream.isCorked || device == microphoneBySourceIndex.constEnd()) {
            continue;
        }
        process.isRunningInput = true;
        if (!process.devices.contains(*device)) {
            process.devices.append(*device);
        }
    }
    for (const auto object : processOrder) {
        const auto& process = processByObject[object];
        AudioObjectProperties properties;
        properties.insert(globalAddress(processPID), {process.pid});
        if (!process.applicationID.isEmpty()) {
            properties.insert(globalAddress(processBundleID), {process.applicationID});
        }
        properties.insert(globalAddress(processIsRunningInput),
                          {std::uint32_t(process.isRunningInput ? 1 : 0)});
        properties.insert(globalAddress(processDevices), {process.devices});
        table.insert(object, properties);
    }

    AudioObjectProperties system;
    system.insert(globalAddress(devices), {microphones});
    system.insert(globalAddress(processes), {processOrder});
    system.insert(globalAddress(defaultInputDevice), {std::uint32_t(defaultInput), true});
    table.insert(systemObjectID, system);
    return table;
}

AudioPropertyChanges changedProperties(const AudioObjectTable& before,
                                       const AudioObjectTable& after) {
    AudioPropertyChanges changes;
    auto compare = [&](ObjectID object, const AudioObjectProperties& mine,
                       const AudioObjectTable& other, bool onlyMissing) {
        const auto theirs = other.constFind(object);
        for (auto property = mine.constBegin(); property != mine.constEnd(); ++property) {
            const bool missing = theirs == other.constEnd() || !theirs->contains(property.key());
            if (missing || (!onlyMissing && theirs->value(property.key()) != property.value())) {
                changes.append({object, property.key()});
            }
        }
    };
    for (auto object = after.constBegin(); object != after.constEnd(); ++object) {
        compare(object.key(), object.value(), before, false);
    }
    for (auto object = before.constBegin(); object != before.constEnd(); ++object) {
        compare(object.key(), object.value(), after, true);
    }
    std::sort(changes.begin(), changes.end(), [](const auto& a, const auto& b) {
        return std::tie(a.first, a.second.selector, a.second.scope) <
               std::tie(b.first, b.second.selector, b.second.scope);
    });
    return changes;
}

ObjectID translateUID(const SoundServerState& state, SoundServerObjectIDs& ids,
                      const QString& uid) {
    return state.microphone(uid) ? ids.source(uid) : unknownObjectID;
}

}  // namespace tavrin
