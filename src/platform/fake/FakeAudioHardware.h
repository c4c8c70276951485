#pragma once

#include <QString>
#include <optional>

#include "platform/AudioHardware.h"
#include "platform/fake/FakeObjectPropertyService.h"

namespace tavrin {

// An audio device of the fake hardware. Absent optionals leave the property out.
struct FakeAudioDeviceSpec {
    QString uid;
    bool isRunningSomewhere = false;
    std::optional<bool> isMuted = false;
    bool isMuteSettable = true;
    std::optional<float> volume = 0.5f;
    bool isVolumeSettable = true;
    std::optional<double> sampleRate = 48000.0;
    QList<ValueRange> availableSampleRates{{44100.0, 44100.0}, {48000.0, 48000.0}};
    bool isSampleRateSettable = true;
};

// A client process of the audio hardware.
struct FakeAudioProcessSpec {
    std::int32_t pid = 0;
    QString bundleID;  // a null string leaves the property out
    bool isRunningInput = false;
    QList<ObjectID> devices;
};

// The fake audio hardware: the system object with its device and process lists, the UID
// translation and the default input, devices with the properties the application reads, and
// hog mode with one owner at a time.
class FakeAudioHardware final : public FakeObjectPropertyService {
public:
    explicit FakeAudioHardware(NotificationThread& notifications);

    ObjectID addDevice(const FakeAudioDeviceSpec& spec);
    void removeDevice(ObjectID device);
    ObjectID addProcess(const FakeAudioProcessSpec& spec);
    void removeProcess(ObjectID process);
    // Another process takes hog mode (or gives it back with -1).
    void setHogModeOwner(ObjectID device, std::int32_t pid);
    std::int32_t hogModeOwner(ObjectID device);

private:
    std::optional<OSStatus> computedProperty(State& state, ObjectID object,
                                             const PropertyAddress& address,
                                             const PropertyValue& qualifier,
                                             PropertyValue& value) override;
    std::optional<OSStatus> specialSet(State& state, ObjectID object,
                                       const PropertyAddress& address, const PropertyValue& value,
                                       Changes& changes) override;
    static void appendToList(State& state, FourCharCode selector, ObjectID object, bool add,
                             Changes& changes);
};

}  // namespace tavrin
