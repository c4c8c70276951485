#include "platform/linux/Edid.h"

#include <array>
#include <cstdint>

namespace tavrin {

namespace {

constexpr qsizetype blockSize = 128;
constexpr std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr qsizetype featureSupportOffset = 0x18;
constexpr std::uint8_t srgbDefaultBit = 0x04;
// The four 18-byte descriptor slots of the base block.
constexpr std::array<qsizetype, 4> descriptorOffsets{54, 72, 90, 108};
constexpr qsizetype descriptorSize = 18;
constexpr std::uint8_t monitorNameTag = 0xFC;
constexpr qsizetype descriptorTextOffset = 5;

std::uint8_t byteAt(QByteArrayView bytes, qsizetype offset) {
    return std::uint8_t(bytes[offset]);
}

// A display descriptor's text: up to 13 printable ASCII characters, ended by a line feed and
// padded with spaces. Anything unprintable ends the text there.
QString descriptorText(QByteArrayView descriptor) {
    QString text;
    for (qsizetype i = descriptorTextOffset; i < descriptorSize; ++i) {
        const auto c = byteAt(descriptor, i);
        if (c < 0x20 || c > 0x7E) {
            break;
        }
        text.append(QChar(c));
    }
    return text.trimmed();
}

}  // namespace

std::optional<EdidInfo> parseEdid(QByteArrayView bytes) {
    if (bytes.size() < blockSize) {
        return std::nullopt;
    }
    const auto block = bytes.first(blockSize);
    for (qsizetype i = 0; i < qsizetype(header.size()); ++i) {
        if (byteAt(block, i) != header[std::size_t(i)]) {
            return std::nullopt;
        }
    }
    std::uint8_t sum = 0;
    for (qsizetype i = 0; i < blockSize; ++i) {
        sum = std::uint8_t(sum + byteAt(block, i));
    }
    if (sum != 0) {
        return std::nullopt;
    }
    EdidInfo info;
    if (byteAt(block, featureSupportOffset) & srgbDefaultBit) {
        info.colorSpaceName = QStringLiteral("sRGB");
    }
    for (const auto offset : descriptorOffsets) {
        const auto descriptor = block.sliced(offset, descriptorSize);
        // A zero pixel clock marks a display descriptor rather than a detailed timing.
        const bool isDisplayDescriptor =
            byteAt(descriptor, 0) == 0 && byteAt(descriptor, 1) == 0 && byteAt(descriptor, 2) == 0;
        if (isDisplayDescriptor && byteAt(descriptor, 3) == monitorNameTag) {
            const auto name = descriptorText(descriptor);
            if (!name.isEmpty()) {
                info.monitorName = name;
            }
            break;
        }
    }
    return info;
}

}  // namespace tavrin
