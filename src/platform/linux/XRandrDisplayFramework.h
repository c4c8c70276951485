#pragma once

#include <map>
#include <memory>

#include "platform/DisplayOnlyFramework.h"
#include "platform/linux/XRandrState.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The displays of an X server as the device framework lists them: every connected output that
// drives a CRTC, `available`, and a connected output without one, `notConnected`. Its ID is the
// output's, its name the EDID's monitor name or else the connector's, its frame the CRTC's
// rectangle, and it is main while it is the primary output. An output keeps its object while
// listed, unless its work area changes, which a new object carries. Cameras and microphones are
// other backends' business. Main thread.
class XRandrDisplayFramework final : public DisplayOnlyFramework {
public:
    explicit XRandrDisplayFramework(MainThreadQueue& queue);

    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override;

    // Publishes the displays of a newer state and then the complete list.
    void apply(const XRandrState& state);

private:
    struct Subscriber {
        DeviceListHandler<SXDisplay> handler;
        bool isCancelled = false;
    };

    DeviceList<SXDisplay> list_;
    std::shared_ptr<std::map<std::uint64_t, std::shared_ptr<Subscriber>>> subscribers_ =
        std::make_shared<std::map<std::uint64_t, std::shared_ptr<Subscriber>>>();
    std::uint64_t nextSubscriber_ = 0;
};

}  // namespace tavrin
