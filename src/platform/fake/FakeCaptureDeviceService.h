#pragma once

#include <QHash>

#include "platform/CaptureDeviceService.h"
#include "platform/fake/FakeCaptureDevice.h"
#include "runtime/Mutex.h"

namespace tavrin {

// The fake capture service: the devices a test adds, looked up from any thread.
class FakeCaptureDeviceService final : public CaptureDeviceService {
public:
    std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) override;

    void add(std::shared_ptr<FakeCaptureDevice> device);
    void remove(const QString& uniqueID);
    std::shared_ptr<FakeCaptureDevice> fakeDevice(const QString& uniqueID) const;

    // While set, every lookup finds nothing, as when the capture service isn't reachable.
    void setLookupsFail(bool fail);

private:
    struct State {
        QHash<QString, std::shared_ptr<FakeCaptureDevice>> devices;
        bool lookupsFail = false;
    };
    Mutex<State> state_;
};

}  // namespace tavrin
