#include "ui/EventLogView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "ui/AccessibleViews.h"
#include "ui/EventLogModel.h"
#include "ui/EventLogRowDelegate.h"
#include "ui/PaintedItemsAccessible.h"

namespace tavrin {

EventLogView::EventLogView(QWidget* parent)
    : QAbstractItemView(parent),
      delegate_(new EventLogRowDelegate(this)),
      copyAction_(new QAction(QStringLiteral("Copy"), this)) {
    setItemDelegate(delegate_);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(DoubleClicked | EditKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(ScrollPerPixel);
    setFrameShape(QFrame::NoFrame);
    // Before anything asks for the interface, which is then kept.
    installAccessibleViews();
    setAccessibleName(QStringLiteral("Events"));
    rowHeight_ = delegate_->rowHeight(font());

    // Shown with its key in the context menu; the key itself reaches keyPressEvent, since the
    // view takes it before any shortcut (see event()).
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &EventLogView::copy);
    addAction(copyAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void EventLogView::setModel(QAbstractItemModel* model) {
    if (this->model()) {
        this->model()->disconnect(this);
    }
    QAbstractItemView::setModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::rowsRemoved, this, &EventLogView::contentsChanged);
        // The selection is of events, not rows: a reset (a device joins the scope, another
        // window clears one) keeps what is still shown selected.
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { keptSelection_ = selectedEventIDs(); });
        connect(model, &QAbstractItemModel::modelReset, this, &EventLogView::restoreSelection);
        connect(model, &QAbstractItemModel::modelReset, this, &EventLogView::contentsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &EventLogView::contentsChanged);
    }
    contentsChanged();
}

QSet<QUuid> EventLogView::selectedEventIDs() const {
    QSet<QUuid> ids;
    if (!selectionModel()) {
        return ids;
    }
    for (const auto& index : selectionModel()->selectedRows()) {
        ids.insert(index.data(EventLogModel::eventIDRole).toUuid());
    }
    return ids;
}

void EventLogView::restoreSelection() {
    const auto kept = std::exchange(keptSelection_, {});
    if (kept.isEmpty() || !selectionModel()) {
        return;
    }
    QItemSelection selection;
    int first = -1;
    const int rows = rowCount();
    for (int row = 0; row <= rows; ++row) {
        const bool selected =
            row < rows &&
            kept.contains(
                model()->index(row, 0, rootIndex()).data(EventLogModel::eventIDRole).toUuid());
        if (selected && first < 0) {
            first = row;
        } else if (!selected && first >= 0) {
            selection.select(model()->index(first, 0, rootIndex()),
                             model()->index(row - 1, 0, rootIndex()));
            first = -1;
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

EventLogModel* EventLogView::eventModel() const {
    return qobject_cast<EventLogModel*>(model());
}

int EventLogView::rowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int EventLogView::selectedRowCount() const {
    if (!selectionModel()) {
        return 0;
    }
    std::vector<std::pair<int, int>> spans;
    for (const auto& range : selectionModel()->selection()) {
        spans.emplace_back(range.top(), range.bottom());
    }
    std::sort(spans.begin(), spans.end());
    int count = 0;
    int next = 0;
    for (auto [top, bottom] : spans) {
        count += std::max(0, bottom + 1 - std::max(top, next));
        next = std::max(next, bottom + 1);
    }
    return count;
}

QRect EventLogView::rowRect(int row) const {
    return {0, row * rowHeight_ - verticalOffset(), viewport()->width(), rowHeight_};
}

QRect EventLogView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex()) {
        return {};
    }
    return rowRect(index.row());
}

void EventLogView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const int top = index.row() * rowHeight_;
    const int visible = viewport()->height();
    auto* bar = verticalScrollBar();
    int value = bar->value();
    switch (hint) {
        case EnsureVisible:
            if (top < value) {
                value = top;
            } else if (top + rowHeight_ > value + visible) {
                value = top + rowHeight_ - visible;
            }
            break;
        case PositionAtTop:
            value = top;
            break;
        case PositionAtBottom:
            value = top + rowHeight_ - visible;
            break;
        case PositionAtCenter:
            value = top - (visible - rowHeight_) / 2;
            break;
    }
    bar->setValue(value);
}

QModelIndex EventLogView::indexAt(const QPoint& point) const {
    const int y = point.y() + verticalOffset();
    if (y < 0 || rowHeight_ <= 0 || !viewport()->rect().contains(point)) {
        return {};
    }
    const int row = y / rowHeight_;
    return row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

QModelIndex EventLogView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int rows = rowCount();
    if (rows == 0) {
        return {};
    }
    const auto current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int page = std::max(1, viewport()->height() / rowHeight_);
    int target = row;
    switch (action) {
        case MoveUp:
        case MovePrevious:
            target = row - 1;
            break;
        case MoveDown:
        case MoveNext:
            target = row + 1;
            break;
        case MovePageUp:
            target = row - page;
            break;
        case MovePageDown:
            target = row + page;
            break;
        case MoveHome:
            target = 0;
            break;
        case MoveEnd:
            target = rows - 1;
            break;
        case MoveLeft:
        case MoveRight:
            break;
    }
    return model()->index(std::clamp(target, 0, rows - 1), 0, rootIndex());
}

int EventLogView::horizontalOffset() const {
    return 0;
}

int EventLogView::verticalOffset() const {
    return verticalScrollBar()->value();
}

bool EventLogView::isIndexHidden(const QModelIndex&) const {
    return false;
}

void EventLogView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    const int rows = rowCount();
    if (rows == 0 || !selectionModel()) {
        return;
    }
    const auto normal = rect.normalized();
    const int top = std::clamp((normal.top() + verticalOffset()) / rowHeight_, 0, rows - 1);
    const int bottom = std::clamp((normal.bottom() + verticalOffset()) / rowHeight_, 0, rows - 1);
    selectionModel()->select(
        QItemSelection(model()->index(top, 0, rootIndex()), model()->index(bottom, 0, rootIndex())),
        flags);
}

QRegion EventLogView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const auto visible = viewport()->rect();
    for (const auto& range : selection) {
        const QRect rows(0, range.top() * rowHeight_ - verticalOffset(), visible.width(),
                         range.height() * rowHeight_);
        region += rows.intersected(visible);
    }
    return region;
}

void EventLogView::updateGeometries() {
    const qint64 content = qint64(rowCount()) * rowHeight_;
    const int visible = viewport()->height();
    auto* bar = verticalScrollBar();
    bar->setSingleStep(rowHeight_);
    bar->setPageStep(visible);
    bar->setRange(0, int(std::clamp<qint64>(content - visible, 0, INT_MAX)));
    QAbstractItemView::updateGeometries();
}

void EventLogView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    // The stock views tell a screen reader which row the arrow keys reached; this one must too.
    if (current.isValid() && hasFocus()) {
        PaintedItemsAccessible::itemFocused(this, current.row());
    }
}

void EventLogView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    contentsChanged();
}

void EventLogView::contentsChanged() {
    PaintedItemsAccessible::itemsReordered(this);
    updateGeometries();
    if (autoscroll_) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
    viewport()->update();
}

void EventLogView::paintEvent(QPaintEvent* event) {
    const int rows = rowCount();
    if (rows == 0) {
        return;
    }
    QPainter painter(viewport());
    const auto area = event->rect();
    const int first = std::max(0, (area.top() + verticalOffset()) / rowHeight_);
    const int last = std::min(rows - 1, (area.bottom() + verticalOffset()) / rowHeight_);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const auto base = option.state;
    const auto current = currentIndex();
    for (int row = first; row <= last; ++row) {
        const auto index = model()->index(row, 0, rootIndex());
        option.rect = rowRect(row);
        option.state = base;
        if (selectionModel() && selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (index == current && hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void EventLogView::copy() {
    auto* events = eventModel();
    if (!events) {
        return;
    }
    const auto text =
        events->copyText(selectionModel() ? selectionModel()->selection() : QItemSelection());
    if (text.isEmpty()) {
        return;
    }
    QGuiApplication::clipboard()->setText(text);
}

bool EventLogView::event(QEvent* event) {
    // Taken before the window's Edit menu shortcuts, which would copy the same way but only when
    // this view has the focus anyway.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractItemView::event(event);
}

void EventLogView::keyPressEvent(QKeyEvent* event) {
    // The stock view would copy only the current row.
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void EventLogView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        rowHeight_ = delegate_->rowHeight(font());
        contentsChanged();
    }
    QAbstractItemView::changeEvent(event);
}

}  // namespace tavrin
