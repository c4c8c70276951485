#include "ui/SectionPanel.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin::SectionPanel {

void setSymbol(QLabel* label, const QString& symbol, FontRole font, const QColor& color) {
    const int side = QFontMetrics(uiFont(font)).height();
    label->setPixmap(tintedSymbol(symbol, side, color, label->devicePixelRatioF()));
}

QPushButton* makeButton(const QString& title, const QString& symbol, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol));
    }
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

void paint(QWidget* widget, const QColor& fill, const QColor& outline) {
    paintRect(widget, widget->rect(), fill, outline);
}

void paintRect(QWidget* widget, const QRect& rect, const QColor& fill, const QColor& outline) {
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    // A one-point border drawn inside the panel: its middle lies half a point in.
    const QRectF panel = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(fill);
    painter.setPen(outline.isValid() ? QPen(outline, 1) : QPen(Qt::NoPen));
    painter.drawRoundedRect(panel, cornerRadius, cornerRadius);
}

}  // namespace tavrin::SectionPanel
