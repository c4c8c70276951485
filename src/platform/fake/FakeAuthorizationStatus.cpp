#include "platform/fake/FakeAuthorizationStatus.h"

namespace tavrin {

FakeAuthorizationStatus::FakeAuthorizationStatus(bool authorized, MainThreadQueue& queue,
                                                 NotificationThread& notifications)
    : SXAuthorizationStatus(authorized), queue_(queue), notifications_(notifications) {}

void FakeAuthorizationStatus::requestAccess(bool openSystemSettings,
                                            std::function<void(bool)> completion) {
    ++requestCount_;
    lastRequestOpenedSettings_ = openSystemSettings;
    onMain([this, completion = std::move(completion)] {
        const bool granted = grantsOnRequest_.load() || isAuthorized.value();
        if (granted != isAuthorized.value()) {
            isAuthorized.send(granted);
        }
        if (completion) {
            completion(granted);
        }
    });
}

void FakeAuthorizationStatus::setAuthorized(bool authorized) {
    onMain([this, authorized] { isAuthorized.send(authorized); });
}

void FakeAuthorizationStatus::onMain(std::function<void()> apply) {
    notifications_.deliverToMain(queue_, lifetime_, std::move(apply));
}

}  // namespace tavrin
