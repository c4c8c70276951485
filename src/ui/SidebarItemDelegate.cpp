#include "ui/SidebarItemDelegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/SidebarModel.h"
#include "ui/StatusColors.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

constexpr int leading = 4;
constexpr int iconWidth = 20;
constexpr int iconSize = 16;
constexpr int iconTextSpacing = 8;
constexpr int accessorySpacing = 5;
constexpr int warningSize = 12;
constexpr int dotSize = 7;
constexpr int accessoryTrailing = 8;

}  // namespace

SidebarRowGeometry SidebarRowGeometry::of(const QRect& row, bool warning, bool dot) {
    SidebarRowGeometry geometry;
    const int middle = row.center().y();
    geometry.icon = QRect(row.left() + leading, middle - iconSize / 2, iconWidth, iconSize);
    int trailing = row.right() + 1 - accessoryTrailing;
    if (dot) {
        geometry.dot = QRect(trailing - dotSize, middle - dotSize / 2, dotSize, dotSize);
        trailing = geometry.dot.left() - accessorySpacing;
    }
    if (warning) {
        geometry.warning =
            QRect(trailing - warningSize, middle - warningSize / 2, warningSize, warningSize);
        trailing = geometry.warning.left() - accessorySpacing;
    }
    // The text ends 6 points before the accessories, or 8 before the edge without them.
    const int textEnd = (dot || warning) ? trailing + accessorySpacing - 6 : row.right() + 1 - 8;
    const int textStart = geometry.icon.right() + 1 + iconTextSpacing;
    geometry.text = QRect(textStart, row.top(), std::max(0, textEnd - textStart), row.height());
    return geometry;
}

QSize SidebarItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const bool section = index.data(SidebarModel::IsSectionRole).toBool();
    return QSize(option.rect.width(), section ? sectionRowHeight : deviceRowHeight);
}

void SidebarItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index.data(SidebarModel::IsSectionRole).toBool()) {
        paintSection(painter, option, index);
    } else {
        paintDevice(painter, option, index);
    }
}

void SidebarItemDelegate::paintSection(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    painter->save();
    painter->setFont(uiFont(FontRole::sectionHeader));
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    const auto area = option.rect.adjusted(leading, 0, -6, 0);
    const auto text =
        painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, area.width());
    painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft, text);
    painter->restore();
}

void SidebarItemDelegate::paintDevice(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const auto* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const bool selected = option.state & QStyle::State_Selected;
    const auto textRole = selected ? QPalette::HighlightedText : QPalette::Text;
    const auto dotValue = index.data(SidebarModel::StatusDotRole);
    const bool warning = index.data(SidebarModel::NeedsAttentionRole).toBool();
    const auto geometry = SidebarRowGeometry::of(option.rect, warning, dotValue.isValid());

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const qreal scale = painter->device()->devicePixelRatioF();
    const auto textColor = option.palette.color(option.palette.currentColorGroup(), textRole);
    const auto icon =
        tintedSymbol(index.data(SidebarModel::SymbolRole).toString(), iconSize, textColor, scale);
    painter->drawPixmap(QRect(geometry.icon.left() + (iconWidth - iconSize) / 2,
                              geometry.icon.top(), iconSize, iconSize),
                        icon);

    const auto subtitle = index.data(SidebarModel::SubtitleRole).toString();
    auto titleFont = uiFont(FontRole::body);
    auto subtitleFont = uiFont(FontRole::caption);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics subtitleMetrics(subtitleFont);
    const int textHeight =
        titleMetrics.height() + (subtitle.isEmpty() ? 0 : subtitleMetrics.height());
    int y = geometry.text.center().y() - textHeight / 2 + 1;
    painter->setFont(titleFont);
    painter->setPen(option.palette.color(option.palette.currentColorGroup(), textRole));
    painter->drawText(
        QRect(geometry.text.left(), y, geometry.text.width(), titleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(index.data().toString(), Qt::ElideRight, geometry.text.width()));
    if (!subtitle.isEmpty()) {
        y += titleMetrics.height();
        painter->setFont(subtitleFont);
        auto secondary = selected ? option.palette.color(QPalette::HighlightedText)
                                  : option.palette.color(QPalette::PlaceholderText);
        painter->setPen(secondary);
        painter->drawText(
            QRect(geometry.text.left(), y, geometry.text.width(), subtitleMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            subtitleMetrics.elidedText(subtitle, Qt::ElideRight, geometry.text.width()));
    }
    if (warning) {
        painter->setOpacity(0.5);
        const auto secondary = selected ? option.palette.color(QPalette::HighlightedText)
                                        : option.palette.color(QPalette::PlaceholderText);
        painter->drawPixmap(geometry.warning,
                            tintedSymbol(QStringLiteral("exclamationmark.triangle.fill"),
                                         geometry.warning.width(), secondary, scale));
        painter->setOpacity(1);
    }
    if (dotValue.isValid()) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(tintColor(StatusTint(dotValue.toInt()), option.palette));
        painter->drawEllipse(geometry.dot);
    }
    painter->restore();
}

}  // namespace tavrin
