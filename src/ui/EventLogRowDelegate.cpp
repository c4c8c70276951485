#include "ui/EventLogRowDelegate.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>

#include "ui/EventLogModel.h"
#include "ui/UiFonts.h"

namespace tavrin {

EventLogRowDelegate::EventLogRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      timestampFont_(uiFont(FontRole::monospaced)),
      timestampWidth_(
          QFontMetrics(timestampFont_).horizontalAdvance(QStringLiteral("00:00:00.000"))) {}

int EventLogRowDelegate::rowHeight(const QFont& messageFont) const {
    return std::max(QFontMetrics(timestampFont_).height(), QFontMetrics(messageFont).height()) +
           2 * verticalPadding;
}

EventLogRowGeometry EventLogRowDelegate::geometry(const QRect& row, int timestampWidth) {
    const QRect timestamp(row.left() + horizontalPadding, row.top(), timestampWidth, row.height());
    const int messageLeft = timestamp.right() + 1 + columnGap;
    const QRect message(messageLeft, row.top(),
                        std::max(0, row.right() + 1 - horizontalPadding - messageLeft),
                        row.height());
    return {timestamp, message};
}

void EventLogRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const auto* widget = option.widget;
    auto* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);

    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const auto group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const auto primary =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const auto secondary =
        selected ? primary : option.palette.color(group, QPalette::PlaceholderText);
    const auto columns = geometry(option.rect, timestampWidth_);

    painter->save();
    painter->setFont(timestampFont_);
    painter->setPen(secondary);
    painter->drawText(columns.timestamp, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(EventLogModel::timestampTextRole).toString());
    painter->setFont(option.font);
    painter->setPen(primary);
    const auto message = index.data(EventLogModel::messageRole).toString();
    painter->drawText(
        columns.message, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(message, Qt::ElideRight, columns.message.width()));
    painter->restore();
}

QSize EventLogRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {timestampWidth_ + columnGap + 2 * horizontalPadding, rowHeight(option.font)};
}

QWidget* EventLogRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex&) const {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setAccessibleName(QStringLiteral("Event"));
    return field;
}

void EventLogRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* field = qobject_cast<QLineEdit*>(editor)) {
        field->setText(index.data(Qt::DisplayRole).toString());
        field->selectAll();
    }
}

void EventLogRowDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
    // Events never change: the field is only there to select from.
}

void EventLogRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex&) const {
    editor->setGeometry(option.rect.adjusted(horizontalPadding - 2, 0, 0, 0));
}

}  // namespace tavrin
