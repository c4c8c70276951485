#include "catalogue/CaptureSourceDevice.h"

#include <QPointer>

#include "app/AppContext.h"
#include "catalogue/ChangeMessage.h"
#include "catalogue/EventSource.h"
#include "runtime/AssignIfChanged.h"
#include "runtime/FourCharCode.h"
#include "runtime/RandomUuid.h"
#include "runtime/TextFormat.h"
#include "runtime/WeakReceiver.h"

namespace tavrin {

CaptureSourceDevice::CaptureSourceDevice(AppContext& context,
                                         std::shared_ptr<SXCaptureSource> source)
    : context_(context),
      id_(source->id()),
      uuid_(makeRandomUuid()),
      source_(std::move(source)),
      avDevice_(context.platform().captureDevices().deviceWithUniqueID(id_)),
      localizedName_(source_->localizedName.value()),
      manufacturer_(source_->manufacturer.value()),
      modelID_(source_->modelID.value()),
      isVirtual_(source_->isVirtual.value()),
      availability_(source_->availability.value()) {}

CaptureSourceDevice::~CaptureSourceDevice() = default;

void CaptureSourceDevice::subscribe(const std::shared_ptr<SXCaptureSource>& source) {
    sxCancellables_.clear();
    // The framework delivers on the main thread; the receivers still hold the model weakly.
    auto weakly = [this](auto setter) { return weakReceiver(this, setter); };
    sxCancellables_.push_back(
        source->localizedName.subscribe(weakly(&CaptureSourceDevice::setLocalizedName)));
    sxCancellables_.push_back(
        source->manufacturer.subscribe(weakly(&CaptureSourceDevice::setManufacturer)));
    sxCancellables_.push_back(source->modelID.subscribe(weakly(&CaptureSourceDevice::setModelID)));
    sxCancellables_.push_back(
        source->isVirtual.subscribe(weakly(&CaptureSourceDevice::setIsVirtual)));
    sxCancellables_.push_back(
        source->availability.subscribe(weakly(&CaptureSourceDevice::setAvailability)));
}

void CaptureSourceDevice::adopt(const std::shared_ptr<SXCaptureSource>& source) {
    const bool isNewObject = source != source_;
    if (isNewObject) {
        source_ = source;
        emit sourceObjectChanged();
    }
    setLocalizedName(source->localizedName.value());
    setManufacturer(source->manufacturer.value());
    setModelID(source->modelID.value());
    setIsVirtual(source->isVirtual.value());
    setAvailability(source->availability.value());
    if (isNewObject) {
        subscribe(source);
    }
}

void CaptureSourceDevice::setLocalizedName(const QString& value) {
    if (assignIfChanged(localizedName_, value)) {
        emit localizedNameChanged();
    }
}

void CaptureSourceDevice::setManufacturer(const QString& value) {
    if (assignIfChanged(manufacturer_, value)) {
        emit manufacturerChanged();
    }
}

void CaptureSourceDevice::setModelID(const QString& value) {
    if (assignIfChanged(modelID_, value)) {
        emit modelIDChanged();
    }
}

void CaptureSourceDevice::setIsVirtual(bool value) {
    if (assignIfChanged(isVirtual_, value)) {
        emit isVirtualChanged();
    }
}

void CaptureSourceDevice::setAvailability(const SXAvailability& value) {
    const auto old = availability_;
    if (assignIfChanged(availability_, value)) {
        emit availabilityChanged();
        recordChange(QStringLiteral("availability"), old.caseName(), value.caseName(),
                     EventSource::discovery);
    }
}

void CaptureSourceDevice::setIsInUseByAnotherApplication(bool value) {
    if (assignIfChanged(isInUseByAnotherApplication_, value)) {
        emit isInUseByAnotherApplicationChanged();
        recordChange(QStringLiteral("in use by another app"), yesNoText(!value), yesNoText(value),
                     EventSource::usage);
    }
}

void CaptureSourceDevice::setIsRunningSomewhere(bool value) {
    if (assignIfChanged(isRunningSomewhere_, value)) {
        emit isRunningSomewhereChanged();
        recordChange(QStringLiteral("in use"), yesNoText(!value), yesNoText(value),
                     EventSource::usage);
    }
}

QList<LoggedValue> CaptureSourceDevice::loggedValues() const {
    return {{QStringLiteral("availability"), availability_.caseName(), EventSource::discovery},
            {QStringLiteral("in use by another app"), yesNoText(isInUseByAnotherApplication_),
             EventSource::usage},
            {QStringLiteral("in use"), yesNoText(isRunningSomewhere_), EventSource::usage}};
}

void CaptureSourceDevice::observeKeyPath(const QString& keyPath, std::function<void()> reread) {
    // Only the queue is touched off the main thread; it outlives every device.
    kvoObservers_.push_back(avDevice_->observe(
        keyPath, [self = QPointer(this), &queue = context_.queue(), reread = std::move(reread)] {
            queue.post([self, reread] {
                if (self) {
                    reread();
                }
            });
        }));
}

void CaptureSourceDevice::initializeUsage(bool isInUseByAnotherApplication,
                                          bool isRunningSomewhere) {
    isInUseByAnotherApplication_ = isInUseByAnotherApplication;
    isRunningSomewhere_ = isRunningSomewhere;
}

void CaptureSourceDevice::recordEvent(const QString& message, const QString& source) {
    context_.eventLog().record(message, source, uuid_);
}

void CaptureSourceDevice::recordChange(const QString& label, const QString& oldText,
                                       const QString& newText, const QString& source) {
    recordEvent(changeMessage(localizedName_, label, oldText, newText), source);
}

QString CaptureSourceDevice::usagePart() const {
    return isRunningSomewhere_ ? QStringLiteral("in use") : QStringLiteral("idle");
}

QStringList CaptureSourceDevice::captureDeviceDiscoveryParts() const {
    if (!avDevice_) {
        return {};
    }
    auto type = avDevice_->deviceType();
    type.remove(QStringLiteral("AVCaptureDeviceType"));
    return {QStringLiteral("type=") + type,
            QStringLiteral("transport='") +
                hfsTypeCodeText(FourCharCode(avDevice_->transportType())) + QLatin1Char('\'')};
}

}  // namespace tavrin
