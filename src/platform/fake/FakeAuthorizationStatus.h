#pragma once

#include <atomic>

#include "platform/SXAuthorizationStatus.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// Access that a test grants or revokes; a request is answered after a hop through the
// notification thread, with the answer the test chose.
class FakeAuthorizationStatus final : public SXAuthorizationStatus {
public:
    FakeAuthorizationStatus(bool authorized, MainThreadQueue& queue,
                            NotificationThread& notifications);

    void requestAccess(bool openSystemSettings, std::function<void(bool)> completion) override;

    void setAuthorized(bool authorized);
    void setGrantsOnRequest(bool grants) { grantsOnRequest_ = grants; }
    int requestCount() const { return requestCount_; }
    bool lastRequestOpenedSettings() const { return lastRequestOpenedSettings_; }

private:
    void onMain(std::function<void()> apply);

    MainThreadQueue& queue_;
    NotificationThread& notifications_;
    std::atomic<bool> grantsOnRequest_ = true;
    std::atomic<int> requestCount_ = 0;
    std::atomic<bool> lastRequestOpenedSettings_ = false;
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
};

}  // namespace tavrin
