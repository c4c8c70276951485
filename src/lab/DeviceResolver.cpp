#include "lab/DeviceResolver.h"

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"

namespace tavrin {

namespace {

std::optional<DeviceEntry::Kind> kindNamed(const QString& noun) {
    for (const auto kind :
         {DeviceEntry::Kind::camera, DeviceEntry::Kind::microphone, DeviceEntry::Kind::display}) {
        if (DeviceEntry::kindNoun(kind) == noun) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace

QString DeviceNameError::text() const {
    if (kind == Kind::notFound) {
        return QStringLiteral("no device is named \"%1\" (tavrin list shows the names)").arg(name);
    }
    auto text = QStringLiteral("\"%1\" names several devices; say which:").arg(name);
    for (const auto& candidate : candidates) {
        text += QStringLiteral("\n  ") + DeviceEntry::kindNoun(candidate.kind()) +
                QStringLiteral("  ") + DeviceResolver::uniqueID(candidate) + QStringLiteral("  ") +
                candidate.localizedName();
    }
    return text;
}

DeviceResolver DeviceResolver::of(const DeviceStore& store) {
    return DeviceResolver(store.allEntries());
}

QString DeviceResolver::uniqueID(const DeviceEntry& entry) {
    if (const auto display = entry.display()) {
        return QString::number(display->id());
    }
    if (const auto camera = entry.camera()) {
        return camera->id();
    }
    return entry.microphone()->id();
}

int DeviceResolver::indexInKind(const DeviceEntry& entry) const {
    int index = 0;
    for (const auto& other : entries_) {
        if (other == entry) {
            return index;
        }
        if (other.kind() == entry.kind()) {
            ++index;
        }
    }
    return -1;
}

QString DeviceResolver::shortName(const DeviceEntry& entry) const {
    return DeviceEntry::kindNoun(entry.kind()) + QLatin1Char(':') +
           QString::number(indexInKind(entry));
}

DeviceResolver::Result DeviceResolver::resolve(const QString& name,
                                               const QList<DeviceEntry::Kind>& kinds) const {
    std::vector<DeviceEntry> allowed;
    for (const auto& entry : entries_) {
        if (kinds.isEmpty() || kinds.contains(entry.kind())) {
            allowed.push_back(entry);
        }
    }
    for (const auto& entry : allowed) {
        if (uniqueID(entry) == name || entry.id().toString(QUuid::WithoutBraces) == name) {
            return entry;
        }
    }
    if (const auto colon = name.indexOf(QLatin1Char(':')); colon > 0) {
        bool isNumber = false;
        const int index = name.mid(colon + 1).toInt(&isNumber);
        if (const auto kind = kindNamed(name.left(colon)); kind && isNumber && index >= 0) {
            int seen = 0;
            for (const auto& entry : entries_) {
                if (entry.kind() == *kind && seen++ == index) {
                    if (kinds.isEmpty() || kinds.contains(*kind)) {
                        return entry;
                    }
                    break;
                }
            }
            return DeviceNameError{DeviceNameError::Kind::notFound, name, {}};
        }
    }
    // A whole name wins over longer names that start with it.
    for (const auto compare : {0, 1}) {
        std::vector<DeviceEntry> matches;
        for (const auto& entry : allowed) {
            const auto& deviceName = entry.localizedName();
            const bool fits =
                compare == 0 ? deviceName.compare(name, Qt::CaseInsensitive) == 0
                             : !name.isEmpty() && deviceName.startsWith(name, Qt::CaseInsensitive);
            if (fits) {
                matches.push_back(entry);
            }
        }
        if (matches.size() == 1) {
            return matches.front();
        }
        if (matches.size() > 1) {
            return DeviceNameError{DeviceNameError::Kind::ambiguous, name, std::move(matches)};
        }
    }
    return DeviceNameError{DeviceNameError::Kind::notFound, name, {}};
}

}  // namespace tavrin
