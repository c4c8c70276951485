#include "ui/StatusPill.h"

#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

StatusPill::StatusPill(const DeviceStatus& status, QWidget* parent)
    : Pill({}, status.label, uiFont(FontRole::caption, QFont::Medium), 5, parent), status_(status) {
    setToolTip(status.recoverySuggestion);
}

void StatusPill::setStatus(const DeviceStatus& status) {
    if (status_ == status) {
        return;
    }
    status_ = status;
    setToolTip(status.recoverySuggestion);
    setText(status.label);
    update();
}

Pill::Colors StatusPill::colors() const {
    const auto tint = tintColor(status_.tint, palette());
    return {withOpacity(tint, 0.12), tint, palette().color(QPalette::WindowText)};
}

}  // namespace tavrin
