#include "catalogue/DeviceEntry.h"

#include <QStringList>
#include <cmath>
#include <cstdint>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/CaptureTransportType.h"
#include "display/DisplayDevice.h"
#include "platform/SymbolCatalog.h"
#include "runtime/FourCharCode.h"
#include "runtime/TruncatedInteger.h"

namespace tavrin {

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

// The status of a framework availability, before any override.
DeviceStatus availabilityStatus(const SXAvailability& availability, bool orangeWhenSuspended) {
    using Case = SXAvailability::Case;
    StatusTint tint = StatusTint::secondary;
    switch (availability.knownCase()) {
        case Case::available:
            tint = StatusTint::green;
            break;
        case Case::lidClosed:
            tint = StatusTint::orange;
            break;
        case Case::unknownSuspended:
            tint = orangeWhenSuspended ? StatusTint::orange : StatusTint::secondary;
            break;
        case Case::notConnected:
        case Case::other:
            break;
    }
    return DeviceStatus{availability.status(), tint, availability.recoverySuggestion(),
                        availability.knownCase() == Case::available};
}

QString transportText(const CaptureSourceDevice& device) {
    if (!device.avDevice()) {
        return {};
    }
    const CaptureTransportType transport{device.avDevice()->transportType()};
    return transport.displayName().value_or(hfsTypeCodeText(FourCharCode(transport.rawValue)));
}

std::optional<QString> continuityLabel(const CameraDevice& camera) {
    if (!camera.manufacturer().isEmpty() ||
        !camera.modelID().startsWith(QStringLiteral("iPhone")) || !camera.avDevice() ||
        hfsTypeCodeText(FourCharCode(camera.avDevice()->transportType())) !=
            QStringLiteral("othr")) {
        return std::nullopt;
    }
    const auto type = camera.avDevice()->deviceType();
    if (type == CaptureDeviceType::external) {
        return QStringLiteral("Continuity Camera");
    }
    if (type == CaptureDeviceType::deskViewCamera) {
        return QStringLiteral("Continuity Camera Desk View");
    }
    return std::nullopt;
}

QString backingSizeText(const QSizeF& size) {
    const auto width = truncatedInteger<std::int64_t>(size.width());
    const auto height = truncatedInteger<std::int64_t>(size.height());
    if (!width || !height || *width < 1 || *height < 1) {
        return {};
    }
    return QString::number(*width) + QStringLiteral(" \u00d7 ") + QString::number(*height);
}

// Spaces and tabs only: a search text keeps its line breaks.
QString trimmedSearchText(const QString& text) {
    auto isBlank = [](QChar character) {
        return character == QLatin1Char('\t') || character.category() == QChar::Separator_Space;
    };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start])) {
        ++start;
    }
    while (end > start && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(start, end - start);
}

}  // namespace

QString DeviceEntry::kindNoun(Kind kind) {
    switch (kind) {
        case Kind::camera:
            return QStringLiteral("camera");
        case Kind::microphone:
            return QStringLiteral("microphone");
        case Kind::display:
            return QStringLiteral("display");
    }
    return {};
}

std::shared_ptr<CameraDevice> DeviceEntry::camera() const {
    const auto* camera = std::get_if<std::shared_ptr<CameraDevice>>(&device_);
    return camera ? *camera : nullptr;
}

std::shared_ptr<MicrophoneDevice> DeviceEntry::microphone() const {
    const auto* microphone = std::get_if<std::shared_ptr<MicrophoneDevice>>(&device_);
    return microphone ? *microphone : nullptr;
}

std::shared_ptr<DisplayDevice> DeviceEntry::display() const {
    const auto* display = std::get_if<std::shared_ptr<DisplayDevice>>(&device_);
    return display ? *display : nullptr;
}

SidebarDevice& DeviceEntry::device() const {
    return std::visit([](const auto& device) -> SidebarDevice& { return *device; }, device_);
}

QUuid DeviceEntry::id() const {
    return device().uuid();
}

QString DeviceEntry::localizedName() const {
    return std::visit([](const auto& device) { return device->localizedName(); }, device_);
}

QString DeviceEntry::symbolName() const {
    return std::visit(
        Overloaded{
            [](const std::shared_ptr<CameraDevice>&) { return QStringLiteral("video"); },
            [](const std::shared_ptr<MicrophoneDevice>&) { return QStringLiteral("mic"); },
            [](const std::shared_ptr<DisplayDevice>& display) {
                return display->symbolName().isEmpty() ? QStringLiteral("display")
                                                       : display->symbolName();
            },
        },
        device_);
}

QString DeviceEntry::sidebarSymbolName(const SymbolCatalog& symbols) const {
    const auto symbol = symbolName();
    if (isAvailable()) {
        return symbol;
    }
    const auto slashed = symbol + QStringLiteral(".slash");
    return symbols.hasSymbol(slashed) ? slashed : symbol;
}

bool DeviceEntry::isAvailable() const {
    return std::visit(
        [](const auto& device) {
            return device->availability().knownCase() == SXAvailability::Case::available;
        },
        device_);
}

QString DeviceEntry::modelID() const {
    return std::visit(Overloaded{
                          [](const std::shared_ptr<DisplayDevice>&) { return QString(); },
                          [](const auto& device) { return device->modelID(); },
                      },
                      device_);
}

QString DeviceEntry::manufacturer() const {
    return std::visit(Overloaded{
                          [](const std::shared_ptr<DisplayDevice>&) { return QString(); },
                          [](const auto& device) { return device->manufacturer(); },
                      },
                      device_);
}

std::optional<QString> DeviceEntry::subtitle() const {
    QStringList parts = std::visit(
        Overloaded{
            [](const std::shared_ptr<CameraDevice>& camera) {
                if (const auto label = continuityLabel(*camera)) {
                    return QStringList{*label};
                }
                return QStringList{camera->manufacturer(), transportText(*camera)};
            },
            [](const std::shared_ptr<MicrophoneDevice>& microphone) {
                return QStringList{microphone->manufacturer(), transportText(*microphone)};
            },
            [](const std::shared_ptr<DisplayDevice>& display) {
                return QStringList{backingSizeText(display->backingPixelSize())};
            },
        },
        device_);
    parts.removeAll(QString());
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}

DeviceStatus DeviceEntry::status() const {
    return std::visit(
        Overloaded{
            [](const std::shared_ptr<CameraDevice>& camera) {
                if (camera->availability().knownCase() == SXAvailability::Case::available &&
                    camera->isInUseByAnotherApplication()) {
                    return DeviceStatus{
                        QStringLiteral("In Use"), StatusTint::blue,
                        QStringLiteral("Another application is currently using this camera."),
                        true};
                }
                return availabilityStatus(camera->availability(), true);
            },
            [](const std::shared_ptr<MicrophoneDevice>& microphone) {
                return availabilityStatus(microphone->availability(), true);
            },
            [](const std::shared_ptr<DisplayDevice>& display) {
                return availabilityStatus(display->availability(), false);
            },
        },
        device_);
}

std::optional<StatusTint> DeviceEntry::statusDotColor() const {
    if (!isAvailable()) {
        return std::nullopt;
    }
    if (const auto camera = this->camera(); camera && camera->isRunningSomewhere()) {
        return StatusTint::green;
    }
    if (const auto microphone = this->microphone();
        microphone && microphone->isRunningSomewhere()) {
        return StatusTint::orange;
    }
    return std::nullopt;
}

bool DeviceEntry::matches(const QString& searchText) const {
    const auto text = trimmedSearchText(searchText);
    if (text.isEmpty()) {
        return true;
    }
    return localizedName().contains(text, Qt::CaseInsensitive) ||
           manufacturer().contains(text, Qt::CaseInsensitive) ||
           modelID().contains(text, Qt::CaseInsensitive);
}

}  // namespace tavrin
