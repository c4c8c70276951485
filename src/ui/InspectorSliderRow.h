#pragma once

#include <QString>
#include <optional>

#include "ui/InspectorRow.h"

class QLabel;
class QLineEdit;
class QSlider;
class QStackedWidget;
class QTimer;

namespace tavrin {

class SparklineView;

// What a typed slider value commits: the text without surrounding spaces and tabs, read as a C
// locale decimal (an exponent allowed, nothing else around it), clamped to [lower, upper].
// Nothing for text that is no finite number.
std::optional<double> parseSliderEntry(const QString& text, double lower, double upper);

// The text an edit of `value` starts from: no decimals from a magnitude of 100, one from 10,
// two below.
QString sliderEditStartText(double value);

// An inspector row with a slider, an optional sparkline and a numeric read-out that turns into a
// text field on one click. Return commits the typed number, clamped to the range; Escape or
// leaving the field discards it. The row shows what the caller gives it and reports the user's
// changes through `valueEdited`; the caller writes them to its model, whose change comes back
// through `setValue`. A drag reports at most one value per `dragReportMilliseconds`, the latest,
// and always the last one when the handle is let go; while the handle is held it follows the
// hand, and a value the model sends meanwhile is shown once it is let go.
class InspectorSliderRow final : public InspectorRow {
    Q_OBJECT
public:
    static constexpr int dragReportMilliseconds = 50;

    InspectorSliderRow(const QString& label, double lower, double upper, bool showSparkline = false,
                       QWidget* parent = nullptr);

    double value() const { return value_; }
    double lower() const { return lower_; }
    double upper() const { return upper_; }
    // A NaN leaves the row as it is.
    void setValue(double value);
    // Bounds in either order; the row keeps them ordered.
    void setRange(double lower, double upper);
    void setReadout(const QString& text);
    QString readout() const;

    bool isEditing() const { return editing_; }
    // As a click on the read-out does; nothing while the row is disabled.
    void startEditing();

    QSlider* slider() const { return slider_; }
    QLabel* readoutLabel() const { return readout_; }
    QLineEdit* editor() const { return editor_; }
    SparklineView* sparkline() const { return sparkline_; }

signals:
    void valueEdited(double value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void commit();
    // Reports the drag's latest value, if it has one not yet reported.
    void reportDrag();
    void endEditing();
    void placeSlider();
    int steps() const;
    void updateCursor();

    double lower_;
    double upper_;
    double value_;
    bool editing_ = false;
    bool placing_ = false;
    QSlider* slider_;
    SparklineView* sparkline_ = nullptr;
    QStackedWidget* readoutStack_;
    QLabel* readout_;
    QLineEdit* editor_;
    std::optional<double> unreportedDrag_;
    // What the model said while the handle was held.
    std::optional<double> heldBackValue_;
    QTimer* dragReport_;
};

}  // namespace tavrin
