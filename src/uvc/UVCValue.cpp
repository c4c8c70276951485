#include "uvc/UVCValue.h"

namespace tavrin {

std::int64_t decodeUVCValue(const QByteArray& bytes) {
    auto byte = [&](int index) { return std::uint32_t(std::uint8_t(bytes[index])); };
    switch (bytes.size()) {
        case 4:
            return std::int32_t(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
        case 2:
            return std::int16_t(std::uint16_t(byte(0) | byte(1) << 8));
        case 1:
            return std::int8_t(std::uint8_t(byte(0)));
        default:
            return 0;
    }
}

QByteArray encodeUVCValue(std::int64_t value, int byteCount) {
    QByteArray bytes(qMax(byteCount, 0), '\0');
    for (int k = 0; k < bytes.size() && k < 8; ++k) {
        bytes[k] = char(std::uint8_t(std::uint64_t(value) >> (8 * k)));
    }
    return bytes;
}

}  // namespace tavrin
