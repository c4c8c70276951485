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
    // Makes this process's takes of hog mode answered later, as a sound server answers them: the
    // set succeeds at once and the owner stays -1 until `answerHogModeRequests`.
    void setAnswersHogModeLater(bool later);
    // Grants every pending take (this process becomes the owner) or refuses them (the owner stays
    // as it is and the listeners are told all the same, as the server's refusal tells them).
    void answerHogModeRequests(bool grant);
    int pendingHogModeRequests() const;

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

    struct PendingHogMode {
        bool answersLater = false;
        QList<ObjectID> devices;
    };
    // Taken after the state's lock, never before it.
    Mutex<PendingHogMode> pendingHogMode_;
};

}  // namespace tavrin
