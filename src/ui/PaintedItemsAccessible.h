#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QRect>
#include <optional>

namespace tavrin {

// The screen reader's view of a widget that paints its items itself (the tiles of the
// arrangement, the meter's channels, the log's rows): the widget's own interface, whose children
// are those items. An item is known by a key that stays its own while the item lives (a display
// ID, a channel or row number); its interface is made when first asked for and kept until the
// widget's interface goes, as the accessibility cache requires. Every answer is read from the
// widget when asked, so nothing is kept that could go stale.
class PaintedItemsAccessible : public QAccessibleWidget {
public:
    using Key = quint64;

    // A value an item can report: its current value within its bounds.
    struct ItemValue {
        double current = 0;
        double minimum = 0;
        double maximum = 0;
    };

    PaintedItemsAccessible(QWidget* widget, QAccessible::Role role);
    ~PaintedItemsAccessible() override;

    // The items now, in reading order; by default an item's key is its place.
    virtual int itemCount() const = 0;
    virtual Key itemKey(int index) const { return Key(index); }
    // Where the item with `key` is in reading order, or -1 when it has gone.
    virtual int itemIndex(Key key) const;
    virtual QString itemText(Key key, QAccessible::Text text) const = 0;
    virtual QAccessible::Role itemRole(Key key) const = 0;
    // Where the item is drawn, in the widget's coordinates.
    virtual QRect itemRect(Key key) const = 0;
    virtual QAccessible::State itemState(Key key) const;
    virtual std::optional<ItemValue> itemValue(Key key) const;
    // The item that has the keyboard, when the widget has it.
    virtual std::optional<Key> focusedItem() const;
    // The topmost item drawn at `point`, in the widget's coordinates.
    virtual std::optional<Key> itemAt(const QPoint& point) const;

    bool hasItem(Key key) const { return itemIndex(key) >= 0; }
    QAccessibleInterface* itemInterface(Key key) const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The widget's own origin on the screen.
    QPoint screenOrigin() const;

    // The items of `widget` are others now (rows came or went, so a row number names another
    // event): the interfaces kept for the old ones go, and a screen reader reads the children
    // again.
    static void itemsReordered(QWidget* widget);
    // The item at `index` has the keyboard now.
    static void itemFocused(QWidget* widget, int index);

private:
    void forgetItems();

    mutable QHash<Key, QAccessible::Id> items_;
};

}  // namespace tavrin
