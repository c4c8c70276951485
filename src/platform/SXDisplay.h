#pragma once

#include <QRectF>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/SXAvailability.h"
#include "runtime/Published.h"

namespace tavrin {

using DisplayID = std::uint32_t;

// A display as the device framework lists it. Compared by identity. Published values are
// delivered on the main thread.
class SXDisplay {
public:
    struct Values {
        QString symbolName;
        std::optional<QRectF> visibleFrame;
        QString localizedName;
        QRectF frame;
        bool isMain = false;
        SXAvailability availability;
    };

    SXDisplay(DisplayID id, const Values& values)
        : id_(id),
          symbolName_(values.symbolName),
          visibleFrame_(values.visibleFrame),
          localizedName(values.localizedName),
          frame(values.frame),
          isMain(values.isMain),
          availability(values.availability) {}

    DisplayID id() const { return id_; }
    const QString& symbolName() const { return symbolName_; }
    const std::optional<QRectF>& visibleFrame() const { return visibleFrame_; }

private:
    DisplayID id_;
    QString symbolName_;
    std::optional<QRectF> visibleFrame_;

public:
    Published<QString> localizedName;
    Published<QRectF> frame;
    Published<bool> isMain;
    Published<SXAvailability> availability;
};

}  // namespace tavrin
