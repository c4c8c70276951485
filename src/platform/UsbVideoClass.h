#pragma once

#include <cstdint>

namespace tavrin::UsbVideoClass {

// Class-specific request codes of the USB Video Class, sent on the default pipe.
inline constexpr std::uint8_t requestTypeSet = 0x21;  // host to interface
inline constexpr std::uint8_t requestTypeGet = 0xA1;  // interface to host
inline constexpr std::uint8_t setCur = 0x01;
inline constexpr std::uint8_t getCur = 0x81;
inline constexpr std::uint8_t getMin = 0x82;
inline constexpr std::uint8_t getMax = 0x83;
inline constexpr std::uint8_t getRes = 0x84;
inline constexpr std::uint8_t getLen = 0x85;
inline constexpr std::uint8_t getInfo = 0x86;
inline constexpr std::uint8_t getDef = 0x87;

inline constexpr std::uint8_t videoInterfaceClass = 14;
inline constexpr std::uint8_t videoControlSubclass = 1;

}  // namespace tavrin::UsbVideoClass
