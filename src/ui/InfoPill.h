#pragma once

#include "ui/Pill.h"

namespace tavrin {

// A fact about the device: a symbol and a monospaced text in the secondary style, on a faint
// capsule.
class InfoPill final : public Pill {
    Q_OBJECT
public:
    InfoPill(const QString& systemImage, const QString& text, QWidget* parent = nullptr);

    using Pill::setText;

protected:
    Colors colors() const override;
};

}  // namespace tavrin
