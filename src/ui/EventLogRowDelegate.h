#pragma once

#include <QFont>
#include <QRect>
#include <QStyledItemDelegate>

namespace tavrin {

// Where a row of the event list puts its two columns.
struct EventLogRowGeometry {
    QRect timestamp;
    QRect message;
};

// Paints an event row: its timestamp in monospaced digits and the secondary colour, then its
// message, elided at the row's end. Editing opens a read-only field over the row, so that some
// of the line can be selected and copied.
class EventLogRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 8;
    static constexpr int columnGap = 12;
    static constexpr int verticalPadding = 3;

    explicit EventLogRowDelegate(QObject* parent = nullptr);

    const QFont& timestampFont() const { return timestampFont_; }
    // Wide enough for every "HH:mm:ss.SSS", whatever the time.
    int timestampWidth() const { return timestampWidth_; }
    int rowHeight(const QFont& messageFont) const;
    static EventLogRowGeometry geometry(const QRect& row, int timestampWidth);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    QFont timestampFont_;
    int timestampWidth_;
};

}  // namespace tavrin
