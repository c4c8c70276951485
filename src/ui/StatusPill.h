#pragma once

#include "catalogue/DeviceStatus.h"
#include "ui/Pill.h"

namespace tavrin {

// A device's status: a dot in the status tint and the label, on the tint at 12%; the recovery
// suggestion is the tooltip.
class StatusPill final : public Pill {
    Q_OBJECT
public:
    explicit StatusPill(const DeviceStatus& status, QWidget* parent = nullptr);

    const DeviceStatus& status() const { return status_; }
    void setStatus(const DeviceStatus& status);

protected:
    Colors colors() const override;

private:
    DeviceStatus status_;
};

}  // namespace tavrin
