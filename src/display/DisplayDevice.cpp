#include "display/DisplayDevice.h"

#include <QPointer>
#include <cmath>

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
bool sameRect(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

bool sameOptionalRect(const std::optional<QRectF>& a, const std::optional<QRectF>& b) {
    return a.has_value() == b.has_value() && (!a || sameRect(*a, *b));
}

bool sameSize(const QSizeF& a, const QSizeF& b) {
    return a.width() == b.width() && a.height() == b.height();
}

bool sameOptionalSize(const std::optional<QSizeF>& a, const std::optional<QSizeF>& b) {
    return a.has_value() == b.has_value() && (!a || sameSize(*a, *b));
}

QString sizeText(const QSizeF& size) {
    return QString::asprintf("%.0f \u00d7 %.0f", size.width(), size.height());
}

QString rectText(const QRectF& rect) {
    return QString::asprintf("(%.0f, %.0f) %.0f \u00d7 %.0f", rect.x(), rect.y(), rect.width(),
                             rect.height());
}

template <typename T, typename Text>
auto orAbsent(Text text) {
    return [text](const std::optional<T>& value) { return value ? text(*value) : absentText(); };
}

QString hertzText(double rate) {
    return localizedNumberText(rate) + QStringLiteral(" Hz");
}

QString scaleText(double scale) {
    return localizedNumberTextWithoutGrouping(scale) + QStringLiteral("\u00d7");
}

QString countText(int count) {
    return QString::number(count);
}

QString mirrorText(const std::optional<DisplayID>& id) {
    return id ? QStringLiteral("Display %1").arg(*id) : QStringLiteral("none");
}

QString rotationText(double degrees) {
    return QString::asprintf("%.0f\u00b0", degrees);
}

QString nameText(const QString& name) {
    return name;
}

QString availabilityText(const SXAvailability& availability) {
    return availability.caseName();
}

std::optional<double> positive(double value) {
    return value > 0 ? std::optional(value) : std::nullopt;
}

std::optional<ScreenInfo> screenFor(DisplayServices& services, DisplayID display) {
    for (const auto& screen : services.screens()) {
        if (screen.displayNumber == display) {
            return screen;
        }
    }
    return std::nullopt;
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
      visibleFrame_(sxDisplay_->visibleFrame()),
      isBuiltIn_(context.platform().displayServices().isBuiltin(id_)) {}

std::shared_ptr<DisplayDevice> DisplayDevice::create(AppContext& context,
                                                     std::shared_ptr<SXDisplay> display) {
    std::shared_ptr<DisplayDevice> device(new DisplayDevice(context, display));
    // The first values are read with the log quiet: a new display's values are no change.
    device->refreshScreenProperties();
    device->isRecording_ = true;
    device->subscribe(display);
    device->screenChangeObserver_ = context.platform().displayServices().observeScreenParameters(
        [self = QPointer(device.get())] {
            if (self) {
                self->refreshScreenProperties();
            }
        });
    QStringList parts{sizeText(device->backingPixelSize_),
                      orAbsent<double>(hertzText)(device->refreshRate_),
                      device->isMain_ ? QStringLiteral("main") : QStringLiteral("secondary")};
    context.eventLog().record(discoveryMessage(device->localizedName_, parts),
                              EventSource::discovery, device->uuid_);
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

void DisplayDevice::refreshScreenProperties() {
    auto& services = context_.platform().displayServices();
    const auto changed = &DisplayDevice::screenPropertiesChanged;
    const auto mode = services.currentMode(id_);
    assignLogged(backingPixelSize_,
                 mode ? QSizeF(mode->pixelWidth, mode->pixelHeight)
                      : QSizeF(services.pixelsWide(id_), services.pixelsHigh(id_)),
                 &DisplayDevice::backingPixelSizeChanged, QStringLiteral("backing pixels"),
                 sizeText, EventSource::mode, sameSize);
    const auto modes = services.allModes(id_);
    std::optional<QSizeF> native;
    for (const auto& candidate : modes.value_or(QList<DisplayMode>())) {
        if (candidate.ioFlags & DisplayMode::nativeFlag) {
            native = QSizeF(candidate.pixelWidth, candidate.pixelHeight);
            break;
        }
    }
    assignLogged(nativePixelSize_, native, changed, QStringLiteral("native panel"),
                 orAbsent<QSizeF>(sizeText), EventSource::mode, sameOptionalSize);
    assignLogged(refreshRate_, mode ? positive(mode->refreshRate) : std::nullopt, changed,
                 QStringLiteral("refresh rate"), orAbsent<double>(hertzText), EventSource::mode);
    const auto screen = screenFor(services, id_);
    assignLogged(backingScaleFactor_,
                 screen ? std::optional(screen->backingScaleFactor) : std::nullopt, changed,
                 QStringLiteral("backing scale"), orAbsent<double>(scaleText), EventSource::mode);
    assignLogged(colorSpaceName_, screen ? screen->colorSpaceName : std::nullopt, changed,
                 QStringLiteral("color space"), orAbsent<QString>(nameText), EventSource::mode);
    assignLogged(visibleFrame_, sxDisplay_->visibleFrame(), changed,
                 QStringLiteral("visible frame"), orAbsent<QRectF>(rectText), EventSource::geometry,
                 sameOptionalRect);
    assignLogged(modeCount_, modes ? int(modes->size()) : 0, changed, QStringLiteral("mode count"),
                 countText, EventSource::mode);
    const auto mirror = services.mirrorsDisplay(id_);
    assignLogged(mirrorOfID_,
                 mirror == 0 || mirror == 0xFFFFFFFF ? std::nullopt : std::optional(mirror),
                 changed, QStringLiteral("mirroring"), mirrorText, EventSource::mirror);
    assignLogged(rotation_, services.rotation(id_), changed, QStringLiteral("rotation"),
                 rotationText, EventSource::geometry);
    assignLogged(physicalSize_, services.screenSize(id_), changed, QStringLiteral("physical size"),
                 sizeText, EventSource::mode, sameSize);
    assignLogged(maxPotentialEDRHeadroom_,
                 screen ? positive(screen->maximumPotentialEDRHeadroom) : std::nullopt, changed,
                 QStringLiteral("EDR peak headroom"), orAbsent<double>(scaleText),
                 EventSource::mode);
    assignLogged(currentEDRHeadroom_, screen ? positive(screen->maximumEDRHeadroom) : std::nullopt,
                 changed, QStringLiteral("EDR current headroom"), orAbsent<double>(scaleText),
                 EventSource::mode);
    assignLogged(
        bitsPerSample_,
        screen && screen->bitsPerSample >= 1 ? std::optional(screen->bitsPerSample) : std::nullopt,
        changed, QStringLiteral("bits per sample"), orAbsent<int>(countText), EventSource::mode);
}

QList<LoggedValue> DisplayDevice::loggedValues() const {
    return {
        {QStringLiteral("availability"), availabilityText(availability_), EventSource::discovery},
        {QStringLiteral("main display"), yesNoText(isMain_), EventSource::system},
        {QStringLiteral("frame"), rectText(frame_), EventSource::geometry},
        {QStringLiteral("backing pixels"), sizeText(backingPixelSize_), EventSource::mode},
        {QStringLiteral("native panel"), orAbsent<QSizeF>(sizeText)(nativePixelSize_),
         EventSource::mode},
        {QStringLiteral("refresh rate"), orAbsent<double>(hertzText)(refreshRate_),
         EventSource::mode},
        {QStringLiteral("backing scale"), orAbsent<double>(scaleText)(backingScaleFactor_),
         EventSource::mode},
        {QStringLiteral("color space"), orAbsent<QString>(nameText)(colorSpaceName_),
         EventSource::mode},
        {QStringLiteral("visible frame"), orAbsent<QRectF>(rectText)(visibleFrame_),
         EventSource::geometry},
        {QStringLiteral("mode count"), countText(modeCount_), EventSource::mode},
        {QStringLiteral("mirroring"), mirrorText(mirrorOfID_), EventSource::mirror},
        {QStringLiteral("rotation"), rotationText(rotation_), EventSource::geometry},
        {QStringLiteral("physical size"), sizeText(physicalSize_), EventSource::mode},
        {QStringLiteral("EDR peak headroom"), orAbsent<double>(scaleText)(maxPotentialEDRHeadroom_),
         EventSource::mode},
        {QStringLiteral("EDR current headroom"), orAbsent<double>(scaleText)(currentEDRHeadroom_),
         EventSource::mode},
        {QStringLiteral("bits per sample"), orAbsent<int>(countText)(bitsPerSample_),
         EventSource::mode},
    };
}

DisplayError DisplayDevice::setOrigin(std::int32_t x, std::int32_t y) {
    auto& services = context_.platform().displayServices();
    DisplayConfiguration configuration = 0;
    if (const auto error = services.beginConfiguration(configuration)) {
        return error;
    }
    if (const auto error = services.configureOrigin(configuration, id_, x, y)) {
        services.cancelConfiguration(configuration);
        return error;
    }
    return services.completeConfiguration(configuration);
}

void DisplayDevice::setLocalizedName(const QString& value) {
    if (localizedName_ != value) {
        localizedName_ = value;
        emit localizedNameChanged();
    }
}

void DisplayDevice::setIsMain(bool value) {
    assignLogged(isMain_, value, &DisplayDevice::isMainChanged, QStringLiteral("main display"),
                 yesNoText, EventSource::system);
}

void DisplayDevice::setFrame(const QRectF& value) {
    assignLogged(frame_, value, &DisplayDevice::frameChanged, QStringLiteral("frame"), rectText,
                 EventSource::geometry, sameRect);
}

void DisplayDevice::setAvailability(const SXAvailability& value) {
    assignLogged(availability_, value, &DisplayDevice::availabilityChanged,
                 QStringLiteral("availability"), availabilityText, EventSource::discovery);
}

void DisplayDevice::recordChange(const QString& label, const QString& oldText,
                                 const QString& newText, const QString& source) {
    if (!isRecording_) {
        return;
    }
    context_.eventLog().record(changeMessage(localizedName_, label, oldText, newText), source,
                               uuid_);
}

}  // namespace tavrin
