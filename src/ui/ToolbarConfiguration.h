#pragma once

#include <QObject>
#include <QStringList>

namespace tavrin {

// The toolbar's items in order, shared by every window and kept under "Tavrin.Toolbar", and
// whether toolbars are shown. A stored list that can't be used gives the default set.
class ToolbarConfiguration final : public QObject {
    Q_OBJECT
public:
    explicit ToolbarConfiguration(QObject* parent = nullptr);

    const QStringList& items() const { return items_; }
    void setItems(const QStringList& items);
    void restoreDefaults();
    bool isShown() const { return isShown_; }
    void setShown(bool shown);

signals:
    void itemsChanged();
    void isShownChanged();

private:
    QStringList items_;
    bool isShown_ = true;
};

}  // namespace tavrin
