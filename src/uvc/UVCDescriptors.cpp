#include "uvc/UVCDescriptors.h"

#include <QSet>

namespace tavrin {

namespace {

constexpr std::uint8_t inputTerminalSubtype = 0x02;
constexpr std::uint8_t processingUnitSubtype = 0x05;
constexpr std::uint16_t cameraTerminalType = 0x0201;

std::uint8_t byteAt(const QByteArray& bytes, qsizetype index) {
    return std::uint8_t(bytes[index]);
}

int hexDigitValue(QChar character) {
    const auto c = character.unicode();
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A whole string of hex digits as a number of at most `maxDigits` significant digits.
std::optional<std::uint64_t> parseHex(QStringView text, int maxDigits) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    int significant = 0;
    for (const QChar character : text) {
        const int digitValue = hexDigitValue(character);
        if (digitValue < 0) {
            return std::nullopt;
        }
        const auto digit = std::uint64_t(digitValue);
        if (value != 0 || digit != 0) {
            if (++significant > maxDigits) {
                return std::nullopt;  // overflows
            }
        }
        value = (value << 4) | digit;
    }
    return value;
}

}  // namespace

UVCUnitIDs readUnitIDs(const QList<QByteArray>& descriptors) {
    UVCUnitIDs ids;
    for (const auto& descriptor : descriptors) {
        // Callers may hand in any bytes, an empty descriptor too: nothing is read before the
        // size allows it. bLength is what the device claims; the bytes we hold are what it sent.
        if (descriptor.size() < 3) {
            continue;
        }
        const qsizetype length = qMin<qsizetype>(byteAt(descriptor, 0), descriptor.size());
        if (length < 3) {
            continue;
        }
        const auto subtype = byteAt(descriptor, 2);
        if (subtype == processingUnitSubtype && length >= 4) {
            ids.processingUnit = byteAt(descriptor, 3);
        } else if (subtype == inputTerminalSubtype && length >= 8 &&
                   (byteAt(descriptor, 4) | byteAt(descriptor, 5) << 8) == cameraTerminalType) {
            ids.cameraTerminal = byteAt(descriptor, 3);
        }
    }
    return ids;
}

QList<std::uint32_t> locationIDCandidates(const QString& uniqueID) {
    QSet<std::uint32_t> candidates;
    if (uniqueID.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        if (const auto value = parseHex(QStringView(uniqueID).mid(2), 16)) {
            candidates.insert(std::uint32_t(*value >> 32));
        }
    }
    const qsizetype count = uniqueID.size();
    for (qsizetype i = 0; i < count; ++i) {
        qsizetype start = i;
        if (i + 1 < count && uniqueID[i] == QLatin1Char('0') &&
            (uniqueID[i + 1] == QLatin1Char('x') || uniqueID[i + 1] == QLatin1Char('X'))) {
            start = i + 2;
        }
        if (start + 8 <= count) {
            if (const auto value = parseHex(QStringView(uniqueID).mid(start, 8), 8)) {
                candidates.insert(std::uint32_t(*value));
            }
        }
    }
    return QList<std::uint32_t>(candidates.begin(), candidates.end());
}

}  // namespace tavrin
