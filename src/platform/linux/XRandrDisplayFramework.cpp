#include "platform/linux/XRandrDisplayFramework.h"

#include <algorithm>

namespace tavrin {

namespace {

template <typename T>
void sendIfChanged(Published<T>& published, const T& value) {
    if (!(published.value() == value)) {
        published.send(value);
    }
}

bool sameOptionalRect(const std::optional<QRectF>& a, const std::optional<QRectF>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (a->x() == b->x() && a->y() == b->y() && a->width() == b->width() &&
                   a->height() == b->height()));
}

SXDisplay::Values valuesOf(const XRandrOutputState& output, DisplayID primary,
                           const QRectF& previousFrame) {
    SXDisplay::Values values;
    values.symbolName =
        output.isBuiltin ? QStringLiteral("laptopcomputer") : QStringLiteral("display");
    values.visibleFrame = output.visibleFrame;
    values.localizedName = output.monitorName.value_or(output.connectorName);
    // A connected output without a CRTC has no place of its own: it keeps the last one.
    values.frame = output.drivesCrtc() ? output.frame : previousFrame;
    values.isMain = output.id == primary;
    values.availability =
        output.drivesCrtc() ? SXAvailability::available() : SXAvailability::notConnected();
    return values;
}

}  // namespace

XRandrDisplayFramework::XRandrDisplayFramework(MainThreadQueue& queue)
    : DisplayOnlyFramework(queue) {}

void XRandrDisplayFramework::apply(const XRandrState& state) {
    DeviceList<SXDisplay> updated;
    for (const auto& output : state.outputs) {
        if (!output.isConnected) {
            continue;  // the discovery marks a display that left as not connected
        }
        const auto existing = std::find_if(list_.begin(), list_.end(), [&](const auto& display) {
            return display->id() == output.id;
        });
        const auto previousFrame = existing != list_.end() ? (*existing)->frame.value() : QRectF();
        const auto values = valuesOf(output, state.primary, previousFrame);
        if (existing == list_.end() ||
            !sameOptionalRect((*existing)->visibleFrame(), values.visibleFrame)) {
            updated.append(std::make_shared<SXDisplay>(output.id, values));
            continue;
        }
        auto& display = **existing;
        sendIfChanged(display.localizedName, values.localizedName);
        sendIfChanged(display.frame, values.frame);
        sendIfChanged(display.isMain, values.isMain);
        sendIfChanged(display.availability, values.availability);
        updated.append(*existing);
    }
    list_ = updated;
    const auto snapshot = *subscribers_;
    for (const auto& [id, subscriber] : snapshot) {
        if (!subscriber->isCancelled) {
            subscriber->handler(list_);
        }
    }
}

Subscription XRandrDisplayFramework::displayUpdates(DeviceListHandler<SXDisplay> handler) {
    auto subscriber = std::make_shared<Subscriber>(Subscriber{std::move(handler)});
    const auto id = nextSubscriber_++;
    // The current list comes later, on the main thread, like every list after it.
    queue_.post([weak = std::weak_ptr(subscribers_), subscriber, id, this] {
        auto subscribers = weak.lock();
        if (subscribers && !subscriber->isCancelled) {
            subscribers->emplace(id, subscriber);
            subscriber->handler(list_);
        }
    });
    return Subscription([weak = std::weak_ptr(subscribers_), subscriber, id] {
        subscriber->isCancelled = true;
        if (auto subscribers = weak.lock()) {
            subscribers->erase(id);
        }
    });
}

}  // namespace tavrin
