#include "ui/PlaceholderView.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

PlaceholderView::PlaceholderView(const QString& symbol, const QString& title,
                                 const QString& description, QWidget* parent)
    : QWidget(parent),
      symbol_(symbol),
      icon_(new QLabel(this)),
      title_(new QLabel(title, this)),
      description_(new QLabel(description, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(6);
    layout->addStretch(1);
    for (auto* label : {icon_, title_, description_}) {
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    title_->setFont(uiFont(FontRole::title));
    description_->setWordWrap(true);
    description_->setForegroundRole(QPalette::PlaceholderText);
    icon_->setVisible(!symbol.isEmpty());
    title_->setVisible(!title.isEmpty());
    description_->setVisible(!description.isEmpty());
    updateIcon();
}

QString PlaceholderView::title() const {
    return title_->text();
}

QString PlaceholderView::description() const {
    return description_->text();
}

void PlaceholderView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        updateIcon();
    }
    QWidget::changeEvent(event);
}

void PlaceholderView::updateIcon() {
    if (!symbol_.isEmpty()) {
        icon_->setPixmap(tintedSymbol(symbol_, 48, palette().color(QPalette::PlaceholderText),
                                      devicePixelRatioF()));
    }
}

}  // namespace tavrin
