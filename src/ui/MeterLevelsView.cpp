#include "ui/MeterLevelsView.h"

#include <QPainter>

#include "ui/AccessibleViews.h"
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
    // Before anything asks for the interface, which is then kept.
    installAccessibleViews();
    setAccessibleName(QStringLiteral("Levels"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    font_ = readoutFont();
    readouts_.setFont(font_);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] {
        if (onlyLevelsChanged_) {
            update(levelsArea());
        } else {
            update();
        }
    });
}

QRect MeterLevelsView::levelsArea() const {
    return QRect(int(readoutInset()) - 10, 0, width() - int(readoutInset()) + 10, height());
}

qreal MeterLevelsView::readoutInset() {
    return ScaleColumn::frameWidth() + scaleSpacing;
}

QRectF MeterLevelsView::barRect(int channel) {
    return QRectF(readoutInset() + channel * (ChannelBar::width + barSpacing), topInset,
                  ChannelBar::width, barHeight);
}

QSize MeterLevelsView::sizeHint() const {
    const qreal width = readoutInset() + levels_.size() * (ChannelBar::width + barSpacing);
    const qreal height = topInset + barHeight + scaleSpacing + readouts_.height();
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
    const bool onlyLevels = !channelsChanged && enabled == enabled_;
    levels_ = levels;
    enabled_ = enabled;
    readouts_.setLevels(levels_);
    if (channelsChanged) {
        updateGeometry();
    }
    requestRepaint(onlyLevels);
}

void MeterLevelsView::requestRepaint(bool onlyLevels) {
    if (frameTimer_.isActive()) {
        onlyLevelsChanged_ = onlyLevelsChanged_ && onlyLevels;
        return;
    }
    const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : frameMilliseconds;
    if (since >= frameMilliseconds) {
        if (onlyLevels) {
            update(levelsArea());
        } else {
            update();
        }
    } else {
        onlyLevelsChanged_ = onlyLevels;
        frameTimer_.start(int(frameMilliseconds - since));
    }
}

void MeterLevelsView::paintEvent(QPaintEvent*) {
    ++paintCount_;
    sinceLastPaint_.start();
    QPainter painter(this);
    const auto palette = this->palette();
    scale_.paint(painter, QRectF(0, topInset, ScaleColumn::frameWidth(), barHeight), enabled_,
                 font_, palette, devicePixelRatioF());
    for (int channel = 0; channel < levels_.size(); ++channel) {
        ChannelBar::paint(painter, barRect(channel), levels_[channel], enabled_, palette);
    }
    readouts_.paint(painter, QPointF(0, topInset + barHeight + scaleSpacing), readoutInset(),
                    palette);
}

}  // namespace tavrin
