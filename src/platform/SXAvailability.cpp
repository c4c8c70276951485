#include "platform/SXAvailability.h"

#include <array>

namespace tavrin {

namespace {

struct KnownCase {
    SXAvailability::Case knownCase;
    const char* rawValue;
    const char* status;
    const char* recoverySuggestion;
};

constexpr std::array knownCases{
    KnownCase{SXAvailability::Case::available, "available", "Available", ""},
    KnownCase{SXAvailability::Case::notConnected, "notConnected", "Disconnected",
              "Connect the device and make sure it is powered on."},
    KnownCase{SXAvailability::Case::unknownSuspended, "unknownSuspended", "Suspended",
              "The system suspended the device. Close other apps that may be using it, or "
              "reconnect it."},
    KnownCase{SXAvailability::Case::lidClosed, "lidClosed", "Lid Closed",
              "Open the lid to use the built-in device."},
};

const KnownCase* findCase(SXAvailability::Case knownCase) {
    for (const auto& entry : knownCases) {
        if (entry.knownCase == knownCase) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

SXAvailability::SXAvailability(Case knownCase) : case_(knownCase) {
    if (const auto* entry = findCase(knownCase)) {
        rawValue_ = QString::fromLatin1(entry->rawValue);
    } else {
        rawValue_ = QStringLiteral("other");
    }
}

SXAvailability SXAvailability::fromRawValue(const QString& rawValue) {
    SXAvailability availability;
    availability.rawValue_ = rawValue;
    availability.case_ = Case::other;
    for (const auto& entry : knownCases) {
        if (rawValue == QLatin1String(entry.rawValue)) {
            availability.case_ = entry.knownCase;
        }
    }
    return availability;
}

QString SXAvailability::caseName() const {
    return rawValue_;
}

QString SXAvailability::status() const {
    const auto* entry = findCase(case_);
    return entry ? QString::fromLatin1(entry->status)
                 : QStringLiteral("Unknown (%1)").arg(rawValue_);
}

QString SXAvailability::recoverySuggestion() const {
    const auto* entry = findCase(case_);
    return entry ? QString::fromLatin1(entry->recoverySuggestion) : QString();
}

}  // namespace tavrin
