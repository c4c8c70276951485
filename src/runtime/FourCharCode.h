#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tavrin {

using FourCharCode = std::uint32_t;

// Packs four ASCII characters, the first in the most significant byte: fourCC("glob") ==
// 0x676C6F62.
consteval FourCharCode fourCC(const char (&text)[5]) {
    return (FourCharCode(std::uint8_t(text[0])) << 24) |
           (FourCharCode(std::uint8_t(text[1])) << 16) |
           (FourCharCode(std::uint8_t(text[2])) << 8) | FourCharCode(std::uint8_t(text[3]));
}

// The code of a four-character text; absent unless the text is exactly four Latin-1 characters.
std::optional<FourCharCode> fourCharCodeFromText(QStringView text);

// The code's four characters when all are printable ASCII (0x20 to 0x7E), else "0x%08X".
QString fourCharCodeText(FourCharCode code);

// The file-type text of a code as the system's HFS type-code conversion gives it, with its
// wrapping apostrophes (and any inside the code) removed: 'usb ' gives "usb ".
QString hfsTypeCodeText(FourCharCode code);

}  // namespace tavrin
