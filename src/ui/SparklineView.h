#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>

namespace tavrin {

// The 24 heights of a sparkline, each in [0.02, 0.98], for a value in [lower, upper] and a phase
// from the row's label. Heights grow upwards.
std::array<double, 24> sparklineHeights(double value, double lower, double upper, double phase);

// The phase of a seed: its string hash (seeded per process, so stable within one run) modulo 1000
// as a fraction of pi.
double sparklinePhase(const QString& seed);

// The curve's points in a rectangle of `size`: x spread evenly over the width, y downwards.
std::array<QPointF, 24> sparklinePoints(const std::array<double, 24>& heights, QSizeF size);

// A small decorative curve beside a slider that moves with the value; it keeps no history.
class SparklineView final : public QWidget {
    Q_OBJECT
public:
    SparklineView(const QString& seed, QWidget* parent = nullptr);

    void setValue(double value, double lower, double upper);
    const std::array<double, 24>& heights() const { return heights_; }
    // Where the value sits in its range, for a screen reader: "0%" to "100%".
    QString valueText() const;

    QSize sizeHint() const override { return {38, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double phase_;
    std::array<double, 24> heights_{};
    double fraction_ = 0;
};

}  // namespace tavrin
