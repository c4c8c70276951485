#include "ui/PaintedItemsAccessible.h"

#include <QWidget>

namespace tavrin {

namespace {

// One painted item: it owns nothing and asks its widget's interface for every answer.
class PaintedItemAccessible final : public QAccessibleInterface, public QAccessibleValueInterface {
public:
    PaintedItemAccessible(const PaintedItemsAccessible& owner, PaintedItemsAccessible::Key key)
        : owner_(owner), key_(key) {}

    bool isValid() const override { return owner_.isValid() && owner_.hasItem(key_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_.window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return const_cast<PaintedItemsAccessible*>(&owner_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text text) const override {
        return isValid() ? owner_.itemText(key_, text) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        return isValid() ? owner_.itemRect(key_).translated(owner_.screenOrigin()) : QRect();
    }
    QAccessible::Role role() const override {
        return isValid() ? owner_.itemRole(key_) : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        return owner_.itemState(key_);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && isValid() && owner_.itemValue(key_)) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return nullptr;
    }

    QVariant currentValue() const override { return value(&ItemValue::current); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return value(&ItemValue::maximum); }
    QVariant minimumValue() const override { return value(&ItemValue::minimum); }
    QVariant minimumStepSize() const override { return {}; }

    PaintedItemsAccessible::Key key() const { return key_; }

private:
    using ItemValue = PaintedItemsAccessible::ItemValue;

    QVariant value(double ItemValue::*field) const {
        if (!isValid()) {
            return {};
        }
        const auto value = owner_.itemValue(key_);
        return value ? QVariant((*value).*field) : QVariant();
    }

    const PaintedItemsAccessible& owner_;
    PaintedItemsAccessible::Key key_;
};

}  // namespace

PaintedItemsAccessible::PaintedItemsAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

PaintedItemsAccessible::~PaintedItemsAccessible() {
    forgetItems();
}

void PaintedItemsAccessible::forgetItems() {
    for (const auto id : std::as_const(items_)) {
        QAccessible::deleteAccessibleInterface(id);
    }
    items_.clear();
}

void PaintedItemsAccessible::itemsReordered(QWidget* widget) {
    if (auto* painted =
            dynamic_cast<PaintedItemsAccessible*>(QAccessible::queryAccessibleInterface(widget))) {
        painted->forgetItems();
    }
    QAccessibleEvent event(widget, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

void PaintedItemsAccessible::itemFocused(QWidget* widget, int index) {
    QAccessibleEvent event(widget, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

QAccessible::State PaintedItemsAccessible::itemState(Key) const {
    QAccessible::State state;
    state.readOnly = true;
    return state;
}

std::optional<PaintedItemsAccessible::ItemValue> PaintedItemsAccessible::itemValue(Key) const {
    return std::nullopt;
}

std::optional<PaintedItemsAccessible::Key> PaintedItemsAccessible::focusedItem() const {
    return std::nullopt;
}

int PaintedItemsAccessible::itemIndex(Key key) const {
    return key < Key(itemCount()) ? int(key) : -1;
}

std::optional<PaintedItemsAccessible::Key> PaintedItemsAccessible::itemAt(
    const QPoint& point) const {
    // Last drawn is on top.
    for (int index = itemCount() - 1; index >= 0; --index) {
        if (itemRect(itemKey(index)).contains(point)) {
            return itemKey(index);
        }
    }
    return std::nullopt;
}

QAccessibleInterface* PaintedItemsAccessible::itemInterface(Key key) const {
    if (const auto found = items_.constFind(key); found != items_.constEnd()) {
        return QAccessible::accessibleInterface(*found);
    }
    auto* item = new PaintedItemAccessible(*this, key);
    items_.insert(key, QAccessible::registerAccessibleInterface(item));
    return item;
}

int PaintedItemsAccessible::childCount() const {
    return itemCount();
}

QAccessibleInterface* PaintedItemsAccessible::child(int index) const {
    return index >= 0 && index < itemCount() ? itemInterface(itemKey(index)) : nullptr;
}

int PaintedItemsAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->parent() != this) {
        return -1;
    }
    return itemIndex(static_cast<const PaintedItemAccessible*>(child)->key());
}

QAccessibleInterface* PaintedItemsAccessible::childAt(int x, int y) const {
    const auto key = itemAt(QPoint(x, y) - screenOrigin());
    return key ? itemInterface(*key) : nullptr;
}

QAccessibleInterface* PaintedItemsAccessible::focusChild() const {
    if (const auto key = focusedItem(); key && hasItem(*key)) {
        return itemInterface(*key);
    }
    return nullptr;
}

QPoint PaintedItemsAccessible::screenOrigin() const {
    return widget()->mapToGlobal(QPoint(0, 0));
}

}  // namespace tavrin
