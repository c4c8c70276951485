#include "ui/InfoPill.h"

#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

InfoPill::InfoPill(const QString& systemImage, const QString& text, QWidget* parent)
    : Pill(systemImage, text, uiFont(FontRole::monospacedCaption), 4, parent) {}

Pill::Colors InfoPill::colors() const {
    const auto secondary = palette().color(QPalette::PlaceholderText);
    return {withOpacity(quaternaryColor(palette()), 0.6), secondary, secondary};
}

}  // namespace tavrin
