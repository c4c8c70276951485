#pragma once

#include <memory>

#include <vector>

#include "platform/MediaIO.h"
#include "platform/PropertyListenerRegistry.h"
#include "platform/linux/V4L2CameraMonitor.h"
#include "runtime/Mutex.h"
#include "runtime/Subscription.h"

namespace tavrin {

// The media I/O layer over the cameras: the system object owns one device per listed camera,
// with the camera's unique ID and whether some process (this one too) streams from it. Listeners
// are told on the monitor's and the cameras' threads, never on the main thread.
class V4L2MediaIO final : public ObjectPropertyService {
public:
    explicit V4L2MediaIO(V4L2CameraMonitor& monitor);

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

private:
    struct Device {
        ObjectID id = 0;
        std::shared_ptr<V4L2Camera> camera;
        std::shared_ptr<Subscription> observation;
    };
    struct State {
        std::vector<Device> devices;
        ObjectID nextID = 100;
    };

    void update(const V4L2CameraMonitor::Cameras& cameras);
    static void notify(const Mutex<PropertyListenerRegistry>& listeners, ObjectID object,
                       const PropertyAddress& address);
    static const Device* find(const State& state, ObjectID object);

    Mutex<State> state_;
    // Apart from the cameras, so that an observer running late on a camera's worker can reach
    // the listeners without keeping any camera alive.
    std::shared_ptr<Mutex<PropertyListenerRegistry>> listeners_ =
        std::make_shared<Mutex<PropertyListenerRegistry>>();
};

}  // namespace tavrin
