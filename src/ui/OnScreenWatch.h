#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tavrin {

// Whether a widget can be seen: shown (a page in a hidden tab is not), its window not
// minimised, and not scrolled out of the scroll areas that hold it. The live sections run their
// camera or microphone only while it holds, and come back by themselves when it holds again.
class OnScreenWatch final : public QObject {
    Q_OBJECT
public:
    explicit OnScreenWatch(QWidget* widget);

    bool isOnScreen() const { return onScreen_; }
    // Looks again; the watch also does on its own at every show, hide, minimise, restore and
    // scroll.
    void update();

signals:
    void onScreenChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window and the scroll areas above the widget, which change with its parent.
    void watchAncestors();

    QWidget* widget_;
    bool onScreen_ = false;
    QList<QPointer<QObject>> ancestors_;
    QList<QMetaObject::Connection> scrolls_;
};

}  // namespace tavrin
