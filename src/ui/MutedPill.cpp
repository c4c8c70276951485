#include "ui/MutedPill.h"

#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

MutedPill::MutedPill(QWidget* parent)
    : Pill(QStringLiteral("mic.slash.fill"), QStringLiteral("Muted"),
           uiFont(FontRole::caption, QFont::Medium), 5, parent) {}

Pill::Colors MutedPill::colors() const {
    const auto orange = tintColor(StatusTint::orange, palette());
    return {withOpacity(orange, 0.16), orange, orange};
}

}  // namespace tavrin
