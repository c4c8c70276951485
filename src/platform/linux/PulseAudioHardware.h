#pragma once

#include <QHash>
#include <QSet>
#include <memory>

#include "platform/ObjectPropertyService.h"
#include "platform/PropertyListenerRegistry.h"
#include "platform/linux/AudioObjectTable.h"
#include "platform/linux/PulseConnection.h"
#include "runtime/Mutex.h"

namespace tavrin {

// The audio hardware objects over the sound server (see `audioObjectTable` for the mapping).
// Reads answer from the latest state at once; sets are server requests that report the server's
// answer. Listeners are told on the backend's thread of exactly the properties whose value
// changed with each server event.
//
// Exclusive access ('oink') on PipeWire opens a recording stream on the source that asks for
// exclusive use of its node: the session manager then refuses to link other recorders to it.
// Setting 'oink' returns once the stream is asked for, and 'oink' reads -1 until the server
// answers. The hold counts from the stream's first data, and 'oink' then reads our process ID.
// A failed stream, or no data within `answerTimeout`, is a refusal: 'oink' stays as it was and
// its listeners are told all the same. Plain PulseAudio has no such thing, so setting 'oink'
// there fails with 'unop'.
class PulseAudioHardware final : public ObjectPropertyService {
public:
    static constexpr std::chrono::milliseconds answerTimeout{1500};

    PulseAudioHardware(PulseConnection& connection, std::int32_t ownPID);
    ~PulseAudioHardware() override;

    bool hasProperty(ObjectID object, const PropertyAddress& address) override;
    OSStatus isPropertySettable(ObjectID object, const PropertyAddress& address,
                                bool& settable) override;
    OSStatus getPropertyData(ObjectID object, const PropertyAddress& address,
                             const PropertyValue& qualifier, PropertyValue& value) override;
    OSStatus setPropertyData(ObjectID object, const PropertyAddress& address,
                             const PropertyValue& value) override;
    OSStatus addPropertyListener(ObjectID object, const PropertyAddress& address,
                                 PropertyListenerBlock block) override;
    OSStatus removePropertyListener(ObjectID object, const PropertyAddress& address,
                                    const PropertyListenerBlock& block) override;

    // Closes every exclusive stream; the connection must still be running.
    void closeExclusiveStreams();

private:
    struct ExclusiveStream;
    struct Data {
        SoundServerState state;
        SoundServerObjectIDs ids;
        QSet<QString> held;
        AudioObjectTable table;
        AudioObjectTable told;  // what the listeners were last told
        PropertyListenerRegistry listeners;
    };

    void rebuild(Data& data) const;
    // Tells the listeners what changed since they were last told; backend thread only.
    void tellListeners();
    OSStatus setHogMode(const SoundServerSource& source, std::int32_t pid);
    OSStatus takeExclusive(const SoundServerSource& source);
    void releaseExclusive(const QString& sourceName);
    void exclusiveGranted(ExclusiveStream& stream);
    void exclusiveRefused(ExclusiveStream& stream);
    void streamEnded(ExclusiveStream& stream);
    void forgetLater(ExclusiveStream& stream);

    PulseConnection& connection_;
    const std::int32_t ownPID_;
    Mutex<Data> data_;
    // Touched with the server's main loop locked only.
    QHash<QString, std::shared_ptr<ExclusiveStream>> exclusiveStreams_;
};

}  // namespace tavrin
