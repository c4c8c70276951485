#include "ui/UiFonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace tavrin {

QFont uiFont(FontRole role) {
    QFont font = QApplication::font();
    const qreal base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    auto fixedAt = [base](qreal scale) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(base * scale);
        return fixed;
    };
    switch (role) {
        case FontRole::body:
            break;
        case FontRole::headline:
            font.setWeight(QFont::DemiBold);
            break;
        case FontRole::title:
            font.setPointSizeF(base * 1.6);
            font.setWeight(QFont::DemiBold);
            break;
        case FontRole::title2:
            font.setPointSizeF(base * 1.3);
            font.setWeight(QFont::DemiBold);
            break;
        case FontRole::title3:
            font.setPointSizeF(base * 1.15);
            break;
        case FontRole::subheadline:
            font.setPointSizeF(base * 0.88);
            break;
        case FontRole::callout:
            font.setPointSizeF(base * 0.95);
            break;
        case FontRole::footnote:
            font.setPointSizeF(base * 0.9);
            break;
        case FontRole::caption:
            font.setPointSizeF(base * 0.82);
            break;
        case FontRole::caption2:
            font.setPointSizeF(base * 0.76);
            break;
        case FontRole::sectionHeader:
            font.setPointSizeF(base * 0.82);
            font.setWeight(QFont::DemiBold);
            break;
        case FontRole::monospaced:
            font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            break;
        case FontRole::monospacedCallout:
            font = fixedAt(0.95);
            break;
        case FontRole::monospacedFootnote:
            font = fixedAt(0.9);
            break;
        case FontRole::monospacedCaption:
            font = fixedAt(0.82);
            break;
    }
    return font;
}

QFont uiFont(FontRole role, QFont::Weight weight) {
    QFont font = uiFont(role);
    font.setWeight(weight);
    return font;
}

}  // namespace tavrin
