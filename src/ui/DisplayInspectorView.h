#pragma once

#include <QSizeF>
#include <QWidget>

#include <memory>
#include "ui/InspectorIndex.h"

namespace tavrin {

class DisplayDevice;
class InspectorRow;

// "1512 × 982": whole numbers, fractions cut off.
QString displaySizeText(QSizeF size);
// "597 × 336 mm (26.97")": the panel's size and its diagonal in inches.
QString physicalSizeText(QSizeF millimetres);
// A factor, rate or headroom in the user's locale, 0 to 2 fraction digits, no grouping.
QString displayNumberText(double value);

// The inspector of a display: what the display services tell of its geometry, colour and modes.
// A value the display doesn't report leaves its row out. Follows the model live.
class DisplayInspectorView final : public QWidget {
    Q_OBJECT
public:
    explicit DisplayInspectorView(std::shared_ptr<DisplayDevice> display,
                                  QWidget* parent = nullptr);

    // The row of that label, or null; a row whose condition fails is hidden, not gone.
    InspectorRow* row(const QString& label) const { return index_.row(label); }

private:
    void refresh();
    InspectorRow* addRow(class InspectorSection* section, const QString& label,
                         bool monospaced = true, bool callout = false);

    std::shared_ptr<DisplayDevice> display_;
    InspectorIndex index_;
};

}  // namespace tavrin
