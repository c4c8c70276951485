#include "runtime/FourCharCode.h"

namespace tavrin {

namespace {

bool isPrintableAscii(std::uint8_t byte) {
    return byte >= 0x20 && byte <= 0x7E;
}

std::uint8_t byteAt(FourCharCode code, int index) {
    return std::uint8_t(code >> (8 * (3 - index)));
}

}  // namespace

std::optional<FourCharCode> fourCharCodeFromText(QStringView text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    FourCharCode code = 0;
    for (const QChar character : text) {
        if (character.unicode() > 0xFF) {
            return std::nullopt;
        }
        code = (code << 8) | character.unicode();
    }
    return code;
}

QString fourCharCodeText(FourCharCode code) {
    QString text;
    for (int index = 0; index < 4; ++index) {
        const auto byte = byteAt(code, index);
        if (!isPrintableAscii(byte)) {
            return QStringLiteral("0x") +
                   QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
        }
        text.append(QLatin1Char(char(byte)));
    }
    return text;
}

QString hfsTypeCodeText(FourCharCode code) {
    QString text = fourCharCodeText(code);
    text.remove(QLatin1Char('\''));
    return text;
}

}  // namespace tavrin
