#include "ui/CentredMessage.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

QWidget* CentredMessage::make(QPushButton* button, QWidget* parent) const {
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    auto* image = new QLabel(column);
    image->setAccessibleName(symbol);
    image->setPixmap(tintedSymbol(symbol, symbolSize, symbolColor, column->devicePixelRatioF()));
    image->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    auto* label = new QLabel(text, column);
    label->setTextFormat(Qt::PlainText);
    label->setFont(uiFont(FontRole::callout));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    if (textColor.isValid()) {
        auto palette = label->palette();
        palette.setColor(QPalette::WindowText, textColor);
        label->setPalette(palette);
    }
    layout->addWidget(label);
    if (button) {
        button->setParent(column);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    layout->addStretch(1);
    return column;
}

QPushButton* makeLargeButton(const QString& title, const QString& symbol, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol));
        button->setIconSize(QSize(18, 18));
    }
    button->setFont(uiFont(FontRole::body, QFont::Medium));
    button->setMinimumHeight(32);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

}  // namespace tavrin
