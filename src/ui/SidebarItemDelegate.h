#pragma once

#include <QRect>
#include <QStyledItemDelegate>

namespace tavrin {

// Where the parts of a device row go, for a row of `width` points: the icon, the text column and
// the accessories (the warning symbol, then the status dot) at the trailing edge.
struct SidebarRowGeometry {
    QRect icon;
    QRect text;
    QRect warning;  // empty when not shown
    QRect dot;      // empty when not shown

    static SidebarRowGeometry of(const QRect& row, bool warning, bool dot);
};

// Paints the sidebar's rows: upper-case section headers, and device rows with their icon, name,
// subtitle, warning symbol and status dot (painted, not an icon).
class SidebarItemDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int deviceRowHeight = 38;
    static constexpr int sectionRowHeight = 22;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintSection(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const;
    void paintDevice(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const;
};

}  // namespace tavrin
