#include "ui/EditorEscapeFilter.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace tavrin {

bool EditorEscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    // A shortcut override the focused widget accepts reaches it as a key press instead of
    // triggering the shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && widget &&
            widget->hasFocus() &&
            (qobject_cast<const QLineEdit*>(widget) ||
             qobject_cast<const QAbstractSpinBox*>(widget))) {
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tavrin
