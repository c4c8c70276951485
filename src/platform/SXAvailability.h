#pragma once

#include <QString>

namespace tavrin {

// A device's availability as the device framework reports it. Values compare by raw value; the
// case name is what events show, and `status` and `recoverySuggestion` are the framework's texts.
// A raw value the framework adds later is kept as it is and reads as `Case::other`.
class SXAvailability {
public:
    enum class Case { available, notConnected, unknownSuspended, lidClosed, other };

    SXAvailability() : SXAvailability(Case::available) {}
    explicit SXAvailability(Case knownCase);
    static SXAvailability fromRawValue(const QString& rawValue);

    static SXAvailability available() { return SXAvailability(Case::available); }
    static SXAvailability notConnected() { return SXAvailability(Case::notConnected); }
    static SXAvailability unknownSuspended() { return SXAvailability(Case::unknownSuspended); }
    static SXAvailability lidClosed() { return SXAvailability(Case::lidClosed); }

    const QString& rawValue() const { return rawValue_; }
    Case knownCase() const { return case_; }
    QString caseName() const;
    QString status() const;
    QString recoverySuggestion() const;

    friend bool operator==(const SXAvailability& a, const SXAvailability& b) {
        return a.rawValue_ == b.rawValue_;
    }

private:
    QString rawValue_;
    Case case_ = Case::available;
};

}  // namespace tavrin
