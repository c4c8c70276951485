#include "platform/linux/V4L2DeviceFramework.h"

#include <QLoggingCategory>

#include "platform/NoDevices.h"
#include "platform/PreviewFrameMailbox.h"

Q_LOGGING_CATEGORY(lcV4L2Framework, "tavrin.v4l2.framework")

namespace tavrin {

class V4L2DeviceFramework::Authorization final : public SXAuthorizationStatus {
public:
    explicit Authorization(MainThreadQueue& queue) : SXAuthorizationStatus(true), queue_(queue) {}

    void requestAccess(bool, std::function<void(bool)> completion) override {
        if (!isAuthorized.value()) {
            qCWarning(lcV4L2Framework).noquote() << accessText;
        }
        if (completion) {
            queue_.post(
                [this, completion = std::move(completion)] { completion(isAuthorized.value()); });
        }
    }

private:
    MainThreadQueue& queue_;
};

// Main thread only.
struct V4L2DeviceFramework::Cameras {
    DeviceList<SXCamera> list;
    std::uint64_t nextSubscriberID = 0;
    struct Subscriber {
        DeviceListHandler<SXCamera> handler;
        bool isCancelled = false;
    };
    std::map<std::uint64_t, std::shared_ptr<Subscriber>> subscribers;
    Authorization* authorization = nullptr;

    void apply(const QList<V4L2CameraIdentity>& identities) {
        DeviceList<SXCamera> updated;
        bool authorized = true;
        for (const auto& identity : identities) {
            authorized = authorized && identity.isAuthorized;
            auto existing = std::find_if(list.begin(), list.end(), [&](const auto& camera) {
                return camera->id() == identity.uniqueID;
            });
            if (existing != list.end()) {
                updated.append(*existing);
                continue;
            }
            SXCaptureSource::Values values;
            values.localizedName = identity.localizedName;
            values.manufacturer = identity.manufacturer;
            values.modelID = identity.modelID;
            values.isVirtual = identity.isVirtual;
            values.availability = SXAvailability::available();
            updated.append(std::make_shared<SXCamera>(identity.uniqueID, values));
        }
        list = updated;
        if (authorization->isAuthorized.value() != authorized) {
            authorization->isAuthorized.send(authorized);
        }
        const auto snapshot = subscribers;
        for (const auto& [id, subscriber] : snapshot) {
            if (!subscriber->isCancelled) {
                subscriber->handler(list);
            }
        }
    }
};

V4L2DeviceFramework::V4L2DeviceFramework(MainThreadQueue& queue, V4L2CameraMonitor& monitor)
    : queue_(queue),
      monitor_(monitor),
      cameras_(std::make_shared<Cameras>()),
      authorization_(std::make_unique<Authorization>(queue)) {
    cameras_->authorization = authorization_.get();
    // Each pass posts a list only when it differs from the last one posted.
    monitor.addPassHandler(
        [&queue, weak = std::weak_ptr(cameras_), sent = std::optional<QList<V4L2CameraIdentity>>()](
            const V4L2CameraMonitor::Cameras& cameras) mutable {
            QList<V4L2CameraIdentity> identities;
            for (const auto& camera : cameras) {
                identities.append(camera->identity());
            }
            if (identities == sent) {
                return;
            }
            sent = identities;
            queue.post([weak, identities = std::move(identities)] {
                if (auto cameras = weak.lock()) {
                    cameras->apply(identities);
                }
            });
        });
}

V4L2DeviceFramework::~V4L2DeviceFramework() = default;

Subscription V4L2DeviceFramework::cameraUpdates(bool, DeviceListHandler<SXCamera> handler) {
    auto subscriber =
        std::make_shared<Cameras::Subscriber>(Cameras::Subscriber{std::move(handler)});
    const auto id = cameras_->nextSubscriberID++;
    queue_.post([weak = std::weak_ptr(cameras_), subscriber, id] {
        auto cameras = weak.lock();
        if (cameras && !subscriber->isCancelled) {
            cameras->subscribers.emplace(id, subscriber);
            subscriber->handler(cameras->list);
        }
    });
    return Subscription([weak = std::weak_ptr(cameras_), subscriber, id] {
        subscriber->isCancelled = true;
        if (auto cameras = weak.lock()) {
            cameras->subscribers.erase(id);
        }
    });
}

Subscription V4L2DeviceFramework::microphoneUpdates(DeviceListHandler<SXMicrophone> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

Subscription V4L2DeviceFramework::displayUpdates(DeviceListHandler<SXDisplay> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

SXAuthorizationStatus& V4L2DeviceFramework::authorizationStatus(SXAuthorizationSource) {
    return *authorization_;
}

Subscription V4L2DeviceFramework::startCameraPreview(const CameraPreviewRequest& request,
                                                     PreviewFrameHandler onFrame,
                                                     PreviewFailureHandler onFailure) {
    auto mailbox = PreviewFrameMailbox::make(queue_, std::move(onFrame), std::move(onFailure));
    auto camera = monitor_.camera(request.cameraID);
    if (!camera) {
        mailbox->fail(QStringLiteral("The camera is not connected."));
        return Subscription([mailbox] { mailbox->close(); });
    }
    camera->addPreview(mailbox);
    return Subscription([weak = std::weak_ptr(camera), mailbox] {
        mailbox->close();
        if (auto camera = weak.lock()) {
            camera->removePreview(mailbox);
        }
    });
}

}  // namespace tavrin
