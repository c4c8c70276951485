#pragma once

#include "ui/Pill.h"

namespace tavrin {

// "Muted", in orange: a microphone that records silence whatever its level shows.
class MutedPill final : public Pill {
    Q_OBJECT
public:
    explicit MutedPill(QWidget* parent = nullptr);

protected:
    Colors colors() const override;
};

}  // namespace tavrin
