#include "ui/StatusColors.h"

namespace tavrin {

bool isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor tintColor(StatusTint tint, const QPalette& palette) {
    const bool dark = isDarkPalette(palette);
    switch (tint) {
        case StatusTint::green:
            return dark ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
        case StatusTint::orange:
            return dark ? QColor(0xff, 0x9f, 0x0a) : QColor(0xf0, 0x8c, 0x00);
        case StatusTint::blue:
            return dark ? QColor(0x0a, 0x84, 0xff) : QColor(0x00, 0x7a, 0xff);
        case StatusTint::secondary:
            break;
    }
    return palette.color(QPalette::PlaceholderText);
}

QColor redColor(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0xff, 0x45, 0x3a) : QColor(0xff, 0x3b, 0x30);
}

QColor tertiaryColor(const QPalette& palette) {
    return withOpacity(palette.color(QPalette::WindowText), 0.26);
}

QColor quaternaryColor(const QPalette& palette) {
    return withOpacity(palette.color(QPalette::WindowText), 0.1);
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

}  // namespace tavrin
