#pragma once

#include <QByteArray>
#include <cstdint>

namespace tavrin {

// A control value as the device sent it: 4 bytes little-endian signed 32-bit, 2 bytes signed
// 16-bit, 1 byte signed 8-bit, each sign-extended; any other length gives 0.
std::int64_t decodeUVCValue(const QByteArray& bytes);

// `byteCount` bytes of the value, little-endian two's complement; bytes from index 8 on are 0.
QByteArray encodeUVCValue(std::int64_t value, int byteCount);

}  // namespace tavrin
