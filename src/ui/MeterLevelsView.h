#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QTimer>
#include <QWidget>

#include "audio/ChannelLevel.h"
#include "ui/ChannelReadoutRow.h"
#include "ui/ScaleColumn.h"

namespace tavrin {

// The painted part of the level meter: the decibel scale, one bar per channel and the
// readouts under them. It repaints only when the levels change, and at most once per screen
// frame however often they do.
class MeterLevelsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal barHeight = 150;
    static constexpr qreal barSpacing = 10;
    static constexpr qreal scaleSpacing = 8;
    // Room above the bars for the top tick's label, which is centred on the bars' top edge.
    static constexpr qreal topInset = 6;
    static constexpr int frameMilliseconds = 16;

    explicit MeterLevelsView(QWidget* parent = nullptr);

    void setLevels(const QList<ChannelLevel>& levels, bool enabled);
    const QList<ChannelLevel>& levels() const { return levels_; }
    bool isMeterEnabled() const { return enabled_; }
    // Where the readouts start, so that each sits under its bar.
    static qreal readoutInset();
    // Where channel `channel`'s bar is drawn.
    static QRectF barRect(int channel);
    const ChannelReadoutRow& readouts() const { return readouts_; }
    int paintCount() const { return paintCount_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void requestRepaint(bool onlyLevels);
    // The part that changes with the levels: the bars and the readouts.
    QRect levelsArea() const;

    QList<ChannelLevel> levels_;
    bool enabled_ = false;
    QElapsedTimer sinceLastPaint_;
    QTimer frameTimer_;
    int paintCount_ = 0;
    // Only the bars and readouts need painting when just the levels changed.
    bool onlyLevelsChanged_ = false;
    QFont font_;
    ScaleColumn scale_;
    ChannelReadoutRow readouts_;
};

}  // namespace tavrin
