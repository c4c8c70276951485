#include "ui/DeviceHeaderRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/InspectorRow.h"
#include "ui/Pill.h"
#include "ui/StatusColors.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

DeviceHeaderRow::DeviceHeaderRow(QWidget* parent)
    : QWidget(parent),
      tile_(new QLabel(this)),
      title_(new QLabel(this)),
      subtitles_(new QHBoxLayout),
      pills_(new QHBoxLayout) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    tile_->setFixedSize(tileSize, tileSize);
    row->addWidget(tile_, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    row->addLayout(column, 1);
    title_->setFont(uiFont(FontRole::title2));
    title_->setTextFormat(Qt::PlainText);
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(title_);
    subtitles_->setSpacing(5);
    subtitles_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(subtitles_);
    pills_->setSpacing(6);
    pills_->setContentsMargins(0, 2, 0, 0);
    column->addLayout(pills_);
    column->addStretch(1);
    subtitles_->addStretch(1);
    pills_->addStretch(1);
}

QString DeviceHeaderRow::title() const {
    return title_->text();
}

QStringList DeviceHeaderRow::subtitleTexts() const {
    QStringList texts;
    for (auto* label : subtitleLabels_) {
        if (label->isVisibleTo(this)) {
            texts.append(label->text());
        }
    }
    return texts;
}

QList<Pill*> DeviceHeaderRow::shownPills() const {
    QList<Pill*> shown;
    for (auto* pill : pillList_) {
        if (pill->isVisibleTo(this)) {
            shown.append(pill);
        }
    }
    return shown;
}

void DeviceHeaderRow::setSymbol(const QString& symbol) {
    if (symbol_ == symbol) {
        return;
    }
    symbol_ = symbol;
    paintTile();
}

void DeviceHeaderRow::setTitle(const QString& title) {
    title_->setText(title);
    title_->setAccessibleName(title);
}

QLabel* DeviceHeaderRow::addSubtitle(const QString& text) {
    return addSubtitle(text, FontRole::subheadline);
}

QLabel* DeviceHeaderRow::addSubtitle(const QString& text, FontRole font) {
    auto* label = makeValueLabel(text, font, TextStyle::secondary, this);
    label->setWordWrap(false);
    subtitles_->insertWidget(subtitles_->count() - 1, label, 0, Qt::AlignVCenter);
    subtitleLabels_.append(label);
    return label;
}

QLabel* DeviceHeaderRow::addSeparator() {
    auto* label = addSubtitle(QStringLiteral("\u00b7"));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

void DeviceHeaderRow::addPill(Pill* pill) {
    pill->setParent(this);
    pills_->insertWidget(pills_->count() - 1, pill, 0, Qt::AlignVCenter);
    pillList_.append(pill);
}

void DeviceHeaderRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        paintTile();
    }
    QWidget::changeEvent(event);
}

// The tile is drawn once per symbol and palette, as a picture, rather than on every repaint.
void DeviceHeaderRow::paintTile() {
    const qreal scale = devicePixelRatioF();
    QPixmap tile(QSize(tileSize, tileSize) * scale);
    tile.setDevicePixelRatio(scale);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(tertiaryColor(palette()), 0.4));
    painter.drawRoundedRect(QRectF(0, 0, tileSize, tileSize), 10, 10);
    const auto symbol =
        tintedSymbol(symbol_, symbolSize, palette().color(QPalette::WindowText), scale);
    const int inset = (tileSize - symbolSize) / 2;
    painter.drawPixmap(QRect(inset, inset, symbolSize, symbolSize), symbol);
    painter.end();
    tile_->setPixmap(tile);
}

}  // namespace tavrin
