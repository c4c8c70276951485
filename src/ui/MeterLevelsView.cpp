#include "ui/MeterLevelsView.h"

#include <QPainter>

#include "ui/ChannelBar.h"
#include "ui/ChannelReadoutRow.h"
#include "ui/ScaleColumn.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

// Caption-sized digits of one width, so the readouts don't jitter as they change.
QFont readoutFont() {
    QFont font = uiFont(FontRole::monospacedCaption);
    font.setPointSizeF(uiFont(FontRole::caption2).pointSizeF());
    return font;
}

}  // namespace

MeterLevelsView::MeterLevelsView(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Levels"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

qreal MeterLevelsView::readoutInset() {
    return ScaleColumn::frameWidth() + scaleSpacing;
}

QSize MeterLevelsView::sizeHint() const {
    const qreal width = readoutInset() + levels_.size() * (ChannelBar::width + barSpacing);
    const qreal height =
        topInset + barHeight + scaleSpacing + ChannelReadoutRow::height(readoutFont());
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

QSize MeterLevelsView::minimumSizeHint() const {
    return sizeHint();
}

void MeterLevelsView::setLevels(const QList<ChannelLevel>& levels, bool enabled) {
    if (levels == levels_ && enabled == enabled_) {
        return;
    }
    const bool channelsChanged = levels.size() != levels_.size();
    levels_ = levels;
    enabled_ = enabled;
    if (channelsChanged) {
        updateGeometry();
    }
    requestRepaint();
}

void MeterLevelsView::requestRepaint() {
    if (frameTimer_.isActive()) {
        return;
    }
    const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : frameMilliseconds;
    if (since >= frameMilliseconds) {
        update();
    } else {
        frameTimer_.start(int(frameMilliseconds - since));
    }
}

void MeterLevelsView::paintEvent(QPaintEvent*) {
    ++paintCount_;
    sinceLastPaint_.start();
    QPainter painter(this);
    const auto palette = this->palette();
    const QFont font = readoutFont();
    ScaleColumn::paint(painter, QRectF(0, topInset, ScaleColumn::frameWidth(), barHeight), enabled_,
                       font, palette);
    qreal x = readoutInset();
    for (const auto& level : levels_) {
        ChannelBar::paint(painter, QRectF(x, topInset, ChannelBar::width, barHeight), level,
                          enabled_, palette);
        x += ChannelBar::width + barSpacing;
    }
    ChannelReadoutRow::paint(painter, QPointF(0, topInset + barHeight + scaleSpacing),
                             readoutInset(), levels_, font, palette);
}

}  // namespace tavrin
