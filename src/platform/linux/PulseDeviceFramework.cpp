#include "platform/linux/PulseDeviceFramework.h"

#include "platform/NoDevices.h"

namespace tavrin {

namespace {

struct MicrophoneSpec {
    QString id;
    SXCaptureSource::Values values;

    friend bool operator==(const MicrophoneSpec& a, const MicrophoneSpec& b) {
        return a.id == b.id && a.values.localizedName == b.values.localizedName &&
               a.values.manufacturer == b.values.manufacturer &&
               a.values.modelID == b.values.modelID && a.values.isVirtual == b.values.isVirtual;
    }
};

QList<MicrophoneSpec> microphoneSpecs(const SoundServerState& state) {
    QList<MicrophoneSpec> specs;
    for (const auto& source : state.sources) {
        if (source.isMonitor || state.microphone(source.name) != &source) {
            continue;  // a monitor, or a second source of a name already listed
        }
        SXCaptureSource::Values values;
        values.localizedName = source.description;
        values.manufacturer = source.vendor;
        values.modelID = source.product;
        values.isVirtual = !source.hasHardware;
        values.availability = SXAvailability::available();
        specs.append(MicrophoneSpec{source.name, values});
    }
    return specs;
}

template <typename T>
void sendIfChanged(Published<T>& published, const T& value) {
    if (!(published.value() == value)) {
        published.send(value);
    }
}

// Access is never asked for: the sound server grants every local client.
class GrantedAuthorization final : public SXAuthorizationStatus {
public:
    explicit GrantedAuthorization(MainThreadQueue& queue)
        : SXAuthorizationStatus(true), queue_(queue) {}

    void requestAccess(bool, std::function<void(bool)> completion) override {
        if (completion) {
            queue_.post([completion = std::move(completion)] { completion(true); });
        }
    }

private:
    MainThreadQueue& queue_;
};

}  // namespace

// Main thread only.
struct PulseDeviceFramework::Microphones {
    DeviceList<SXMicrophone> list;
    std::uint64_t nextSubscriberID = 0;
    struct Subscriber {
        DeviceListHandler<SXMicrophone> handler;
        bool isCancelled = false;
    };
    std::map<std::uint64_t, std::shared_ptr<Subscriber>> subscribers;

    void apply(const QList<MicrophoneSpec>& specs) {
        DeviceList<SXMicrophone> updated;
        for (const auto& spec : specs) {
            auto existing = std::find_if(list.begin(), list.end(), [&](const auto& device) {
                return device->id() == spec.id;
            });
            if (existing == list.end()) {
                updated.append(std::make_shared<SXMicrophone>(spec.id, spec.values));
                continue;
            }
            auto& device = **existing;
            sendIfChanged(device.localizedName, spec.values.localizedName);
            sendIfChanged(device.manufacturer, spec.values.manufacturer);
            sendIfChanged(device.modelID, spec.values.modelID);
            sendIfChanged(device.isVirtual, spec.values.isVirtual);
            updated.append(*existing);
        }
        // A complete list follows every change, a rename too: that is when a discovery sorts.
        list = updated;
        const auto snapshot = subscribers;
        for (const auto& [id, subscriber] : snapshot) {
            if (!subscriber->isCancelled) {
                subscriber->handler(list);
            }
        }
    }
};

PulseDeviceFramework::PulseDeviceFramework(MainThreadQueue& queue, PulseConnection& connection)
    : queue_(queue),
      microphones_(std::make_shared<Microphones>()),
      authorization_(std::make_unique<GrantedAuthorization>(queue)) {
    // The last list sent is kept, so each server event computes one list, not two.
    connection.addObserver(
        [&queue, weak = std::weak_ptr(microphones_), sent = QList<MicrophoneSpec>()](
            const SoundServerState&, const SoundServerState& after) mutable {
            auto specs = microphoneSpecs(after);
            if (specs == sent) {
                return;
            }
            sent = specs;
            queue.post([weak, specs = std::move(specs)] {
                if (auto microphones = weak.lock()) {
                    microphones->apply(specs);
                }
            });
        });
}

PulseDeviceFramework::~PulseDeviceFramework() = default;

Subscription PulseDeviceFramework::microphoneUpdates(DeviceListHandler<SXMicrophone> handler) {
    auto subscriber =
        std::make_shared<Microphones::Subscriber>(Microphones::Subscriber{std::move(handler)});
    const auto id = microphones_->nextSubscriberID++;
    queue_.post([weak = std::weak_ptr(microphones_), subscriber, id] {
        auto microphones = weak.lock();
        if (microphones && !subscriber->isCancelled) {
            microphones->subscribers.emplace(id, subscriber);
            subscriber->handler(microphones->list);
        }
    });
    return Subscription([weak = std::weak_ptr(microphones_), subscriber, id] {
        subscriber->isCancelled = true;
        if (auto microphones = weak.lock()) {
            microphones->subscribers.erase(id);
        }
    });
}

Subscription PulseDeviceFramework::cameraUpdates(bool, DeviceListHandler<SXCamera> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

Subscription PulseDeviceFramework::displayUpdates(DeviceListHandler<SXDisplay> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

SXAuthorizationStatus& PulseDeviceFramework::authorizationStatus(SXAuthorizationSource) {
    return *authorization_;
}

Subscription PulseDeviceFramework::startCameraPreview(const CameraPreviewRequest&,
                                                      PreviewFrameHandler,
                                                      PreviewFailureHandler onFailure) {
    return noCameraPreview(queue_, std::move(onFailure));
}

}  // namespace tavrin
