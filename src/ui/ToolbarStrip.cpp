#include "ui/ToolbarStrip.h"

#include <QEvent>
#include <QPainter>
#include <QToolButton>

#include "ui/SymbolIcons.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/ToolbarItems.h"

namespace tavrin {

namespace {

constexpr int buttonSize = 32;
constexpr int iconSize = 20;

}  // namespace

QIcon tintedIcon(const QIcon& icon, const QColor& color, const QSize& size) {
    QIcon tinted;
    for (const qreal scale : {1.0, 2.0}) {
        auto pixmap = icon.pixmap(size, scale);
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
        painter.end();
        tinted.addPixmap(pixmap);
    }
    return tinted;
}

ToolbarStrip::ToolbarStrip(ToolbarConfiguration& configuration, QWidget* parent)
    : QWidget(parent), configuration_(configuration) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&configuration_, &ToolbarConfiguration::itemsChanged, this, &ToolbarStrip::rebuild);
    rebuild();
}

QSize ToolbarStrip::sizeHint() const {
    return QSize(600, buttonSize + 4);
}

void ToolbarStrip::setDividers(Dividers dividers) {
    dividers_ = std::move(dividers);
    relayout();
}

QToolButton* ToolbarStrip::button(const QString& identifier) const {
    return buttons_.value(identifier);
}

void ToolbarStrip::setTinted(const QString& identifier, bool on) {
    if (tinted_.value(identifier) == on && tinted_.contains(identifier)) {
        return;
    }
    tinted_.insert(identifier, on);
    updateIcon(identifier);
}

void ToolbarStrip::updateIcon(const QString& identifier) {
    auto* button = buttons_.value(identifier);
    const auto description = toolbarItemDescription(identifier);
    if (!button || !description) {
        return;
    }
    const auto icon = symbolIcon(description->symbol);
    button->setIcon(
        tinted_.value(identifier)
            ? tintedIcon(icon, palette().color(QPalette::Highlight), QSize(iconSize, iconSize))
            : icon);
}

void ToolbarStrip::rebuild() {
    qDeleteAll(buttons_);
    buttons_.clear();
    items_ = configuration_.items();
    for (const auto& identifier : items_) {
        const auto description = toolbarItemDescription(identifier);
        if (!description || description->symbol.isEmpty()) {
            continue;  // spaces and separators are drawn, not made
        }
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIconSize(QSize(iconSize, iconSize));
        button->setFixedSize(buttonSize, buttonSize);
        button->setToolTip(description->toolTip);
        button->setAccessibleName(description->accessibleName);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this,
                [this, identifier] { emit triggered(identifier); });
        buttons_.insert(identifier, button);
        button->show();
        updateIcon(identifier);
    }
    relayout();
    emit buttonsRebuilt();
}

void ToolbarStrip::relayout() {
    ToolbarLayoutInput input;
    input.items = items_;
    input.widthOf = [this](const QString& identifier) {
        return buttons_.contains(identifier) ? buttonSize : 0;
    };
    if (dividers_) {
        std::tie(input.sidebarDivider, input.inspectorDivider) = dividers_();
    }
    input.width = width();
    placements_ = layoutToolbar(input);
    const int top = (height() - buttonSize) / 2;
    for (qsizetype i = 0; i < items_.size(); ++i) {
        if (auto* button = buttons_.value(items_[i])) {
            button->move(placements_[i].x, top);
        }
    }
    update();
}

void ToolbarStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void ToolbarStrip::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        for (const auto& identifier : buttons_.keys()) {
            updateIcon(identifier);
        }
    }
}

void ToolbarStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    auto line = palette().color(QPalette::Mid);
    line.setAlphaF(0.6f);
    painter.setPen(line);
    for (qsizetype i = 0; i < items_.size() && i < placements_.size(); ++i) {
        const auto& identifier = items_[i];
        if ((identifier == ToolbarItem::sidebarTracker ||
             identifier == ToolbarItem::inspectorTracker) &&
            placements_[i].isVisible) {
            painter.drawLine(placements_[i].x, 0, placements_[i].x, height());
        }
    }
}

}  // namespace tavrin
