#include "display/DisplayDevice.h"

#include "app/AppContext.h"
#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/EventSource.h"
#include "runtime/RandomUuid.h"
#include "runtime/TextFormat.h"
#include "runtime/WeakReceiver.h"

namespace tavrin {

namespace {

// Geometry compares exactly: Qt's own operators allow a fuzzy margin, which would hide changes.
bool exactlyEqual(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

bool exactlyEqual(const std::optional<QRectF>& a, const std::optional<QRectF>& b) {
    return a.has_value() == b.has_value() && (!a || exactlyEqual(*a, *b));
}

bool exactlyEqual(const QSizeF& a, const QSizeF& b) {
    return a.width() == b.width() && a.height() == b.height();
}

QString sizeText(const QSizeF& size) {
    return QString::asprintf("%.0f \u00d7 %.0f", size.width(), size.height());
}

QString rectText(const QRectF& rect) {
    return QString::asprintf("(%.0f, %.0f) %.0f \u00d7 %.0f", rect.x(), rect.y(), rect.width(),
                             rect.height());
}

QString optionalRectText(const std::optional<QRectF>& rect) {
    return rect ? rectText(*rect) : absentText();
}

}  // namespace

DisplayDevice::DisplayDevice(AppContext& context, std::shared_ptr<SXDisplay> display)
    : context_(context),
      id_(display->id()),
      uuid_(makeRandomUuid()),
      sxDisplay_(std::move(display)),
      localizedName_(sxDisplay_->localizedName.value()),
      isMain_(sxDisplay_->isMain.value()),
      frame_(sxDisplay_->frame.value()),
      availability_(sxDisplay_->availability.value()),
      symbolName_(sxDisplay_->symbolName()),
      visibleFrame_(sxDisplay_->visibleFrame()) {}

std::shared_ptr<DisplayDevice> DisplayDevice::create(AppContext& context,
                                                     std::shared_ptr<SXDisplay> display) {
    std::shared_ptr<DisplayDevice> device(new DisplayDevice(context, display));
    device->subscribe(display);
    return device;
}

DeviceEntry DisplayDevice::entry() {
    return DeviceEntry(shared_from_this());
}

void DisplayDevice::subscribe(const std::shared_ptr<SXDisplay>& display) {
    sxCancellables_.clear();
    // The framework delivers on the main thread; the receivers still hold the model weakly.
    auto weakly = [this](auto setter) { return weakReceiver(this, setter); };
    sxCancellables_.push_back(
        display->localizedName.subscribe(weakly(&DisplayDevice::setLocalizedName)));
    sxCancellables_.push_back(display->isMain.subscribe(weakly(&DisplayDevice::setIsMain)));
    sxCancellables_.push_back(display->frame.subscribe(weakly(&DisplayDevice::setFrame)));
    sxCancellables_.push_back(
        display->availability.subscribe(weakly(&DisplayDevice::setAvailability)));
}

void DisplayDevice::update(const std::shared_ptr<SXDisplay>& display) {
    const bool isNewObject = display != sxDisplay_;
    if (isNewObject) {
        sxDisplay_ = display;
        emit sxDisplayChanged();
    }
    setLocalizedName(display->localizedName.value());
    setIsMain(display->isMain.value());
    setFrame(display->frame.value());
    setAvailability(display->availability.value());
    if (isNewObject) {
        subscribe(display);
    }
}

void DisplayDevice::setLocalizedName(const QString& value) {
    if (localizedName_ != value) {
        localizedName_ = value;
        emit localizedNameChanged();
    }
}

void DisplayDevice::setIsMain(bool value) {
    if (isMain_ == value) {
        return;
    }
    isMain_ = value;
    emit isMainChanged();
    recordChange(QStringLiteral("main display"), yesNoText(!value), yesNoText(value),
                 EventSource::system);
}

void DisplayDevice::setFrame(const QRectF& value) {
    if (exactlyEqual(frame_, value)) {
        return;
    }
    const auto old = std::exchange(frame_, value);
    emit frameChanged();
    recordChange(QStringLiteral("frame"), rectText(old), rectText(value), EventSource::geometry);
}

void DisplayDevice::setAvailability(const SXAvailability& value) {
    if (availability_ == value) {
        return;
    }
    const auto old = std::exchange(availability_, value);
    emit availabilityChanged();
    recordChange(QStringLiteral("availability"), old.caseName(), value.caseName(),
                 EventSource::discovery);
}

void DisplayDevice::setBackingPixelSize(const QSizeF& value) {
    if (exactlyEqual(backingPixelSize_, value)) {
        return;
    }
    const auto old = std::exchange(backingPixelSize_, value);
    emit backingPixelSizeChanged();
    recordChange(QStringLiteral("backing pixels"), sizeText(old), sizeText(value),
                 EventSource::mode);
}

void DisplayDevice::setVisibleFrame(const std::optional<QRectF>& value) {
    if (exactlyEqual(visibleFrame_, value)) {
        return;
    }
    const auto old = std::exchange(visibleFrame_, value);
    emit visibleFrameChanged();
    recordChange(QStringLiteral("visible frame"), optionalRectText(old), optionalRectText(value),
                 EventSource::geometry);
}

void DisplayDevice::recordChange(const QString& label, const QString& oldText,
                                 const QString& newText, const QString& source) {
    context_.eventLog().record(changeMessage(localizedName_, label, oldText, newText), source,
                               uuid_);
}

}  // namespace tavrin
