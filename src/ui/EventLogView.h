#pragma once

#include <QSet>
#include <QUuid>

#include <QAbstractItemView>

class QAction;

namespace tavrin {

class EventLogModel;
class EventLogRowDelegate;

// The list of an event log pane. Rows are all one height, so that every geometry question is
// arithmetic on the row number: a new event costs the same with ten rows or a million, where the
// stock list and tree views lay out every row again. Multiple selection; Ctrl+C, the context
// menu's "Copy" and the Edit menu (through the `copy()` slot) copy the selected lines.
class EventLogView final : public QAbstractItemView {
    Q_OBJECT
public:
    explicit EventLogView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    EventLogModel* eventModel() const;
    EventLogRowDelegate* rowDelegate() const { return delegate_; }

    // Follows the newest event as events arrive. On by default.
    bool autoscroll() const { return autoscroll_; }
    void setAutoscroll(bool autoscroll) { autoscroll_ = autoscroll; }

    int rowHeight() const { return rowHeight_; }
    int selectedRowCount() const;
    QAction* copyAction() const { return copyAction_; }

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

public slots:
    // The selected lines in display order, else every line, to the clipboard; with nothing
    // shown the clipboard keeps what it had.
    void copy();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int rowCount() const;
    QRect rowRect(int row) const;
    void contentsChanged();
    QSet<QUuid> selectedEventIDs() const;
    void restoreSelection();

    EventLogRowDelegate* delegate_;
    QAction* copyAction_;
    int rowHeight_ = 0;
    bool autoscroll_ = true;
    // The events selected when the model began a reset.
    QSet<QUuid> keptSelection_;
};

}  // namespace tavrin
