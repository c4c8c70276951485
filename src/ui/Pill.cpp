#include "ui/Pill.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/SymbolIcons.h"

namespace tavrin {

PillGeometry PillGeometry::make(QSize leading, QSize text, int spacing) {
    const int content = std::max(leading.height(), text.height());
    PillGeometry geometry;
    geometry.size = QSize(horizontalPadding * 2 + leading.width() + spacing + text.width(),
                          verticalPadding * 2 + content);
    const int middle = verticalPadding + content / 2;
    geometry.leading = QRect(QPoint(horizontalPadding, middle - leading.height() / 2), leading);
    geometry.text =
        QRect(QPoint(geometry.leading.right() + 1 + spacing, middle - text.height() / 2), text);
    return geometry;
}

Pill::Pill(const QString& symbol, const QString& text, const QFont& font, int spacing,
           QWidget* parent)
    : QWidget(parent), symbol_(symbol), text_(text), spacing_(spacing) {
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void Pill::setText(const QString& text) {
    if (text_ == text) {
        return;
    }
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize Pill::leadingSize() const {
    if (symbol_.isEmpty()) {
        return {dotSize, dotSize};
    }
    // The symbol stands as tall as the text's capitals and descenders.
    const int side = fontMetrics().ascent() + 1;
    return {side, side};
}

PillGeometry Pill::geometryForContent() const {
    const auto metrics = fontMetrics();
    return PillGeometry::make(leadingSize(),
                              QSize(metrics.horizontalAdvance(text_), metrics.height()), spacing_);
}

QSize Pill::sizeHint() const {
    return geometryForContent().size;
}

void Pill::paintEvent(QPaintEvent*) {
    const auto geometry = geometryForContent();
    const auto palette = colors();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.fill);
    painter.drawRoundedRect(capsule, radius, radius);
    // Centred in whatever height the layout gives.
    const int dy = (height() - geometry.size.height()) / 2;
    if (symbol_.isEmpty()) {
        painter.setBrush(palette.mark);
        painter.drawEllipse(geometry.leading.translated(0, dy));
    } else {
        const auto pixmap =
            tintedSymbol(symbol_, geometry.leading.width(), palette.mark, devicePixelRatioF());
        painter.drawPixmap(geometry.leading.translated(0, dy), pixmap);
    }
    painter.setPen(palette.text);
    painter.drawText(geometry.text.translated(0, dy), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

void Pill::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

}  // namespace tavrin
