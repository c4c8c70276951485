#include "display/DisplayDiscovery.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/AppContext.h"
#include "catalogue/DeviceListUpdate.h"
#include "display/DisplayDevice.h"
#include "runtime/TruncatedInteger.h"

namespace tavrin {

namespace {

// A coordinate as a sort key: a frame that isn't a number sorts after every real one.
double sortKey(double coordinate) {
    return std::isnan(coordinate) ? std::numeric_limits<double>::infinity() : coordinate;
}

bool arrangedBefore(const std::shared_ptr<DisplayDevice>& a,
                    const std::shared_ptr<DisplayDevice>& b) {
    const auto ax = sortKey(a->frame().x());
    const auto bx = sortKey(b->frame().x());
    if (ax != bx) {
        return ax < bx;
    }
    const auto ay = sortKey(a->frame().y());
    const auto by = sortKey(b->frame().y());
    if (ay != by) {
        return ay < by;
    }
    return a->id() < b->id();
}

}  // namespace

DisplayDiscovery::DisplayDiscovery(AppContext& context) : context_(context) {
    updateTask_ = context.platform().deviceFramework().displayUpdates(
        [this](const DeviceList<SXDisplay>& list) { apply(list); });
}

std::shared_ptr<DisplayDevice> DisplayDiscovery::display(const QUuid& uuid) const {
    for (const auto& display : displays_) {
        if (display->uuid() == uuid) {
            return display;
        }
    }
    return nullptr;
}

void DisplayDiscovery::apply(const DeviceList<SXDisplay>& list) {
    auto updated = updatedDeviceList(context_, idMap_, displays_, list, arrangedBefore);
    if (updated != displays_) {
        displays_ = std::move(updated);
        emit displaysChanged();
    }
}

DisplayError DisplayDiscovery::makeMain(const DisplayDevice& target) {
    auto& services = context_.platform().displayServices();
    // Where the desktop has a primary-display setting (X), that is what the main display is.
    if (const auto error = services.setPrimaryDisplay(target.id());
        error != DisplayErrorCode::notImplemented) {
        return error;
    }
    const auto offset = target.frame().topLeft();
    if (offset.x() == 0 && offset.y() == 0) {
        return DisplayErrorCode::success;  // already the main display
    }
    QList<std::tuple<DisplayID, std::int32_t, std::int32_t>> moves;
    for (const auto& display : displays_) {
        if (display->availability() == SXAvailability::notConnected()) {
            continue;
        }
        const auto x = truncatedInteger<std::int32_t>(display->frame().x() - offset.x());
        const auto y = truncatedInteger<std::int32_t>(display->frame().y() - offset.y());
        if (!x || !y) {
            return DisplayErrorCode::illegalArgument;
        }
        moves.append({display->id(), *x, *y});
    }
    DisplayConfiguration configuration = 0;
    if (const auto error = services.beginConfiguration(configuration)) {
        return error;
    }
    for (const auto& [id, x, y] : moves) {
        if (const auto error = services.configureOrigin(configuration, id, x, y)) {
            services.cancelConfiguration(configuration);
            return error;
        }
    }
    return services.completeConfiguration(configuration);
}

}  // namespace tavrin
