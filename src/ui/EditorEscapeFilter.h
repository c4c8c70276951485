#pragma once

#include <QObject>

namespace tavrin {

// Lets a focused text field keep Escape from the window's shortcuts. The exclusive-access
// section's "Release" answers Escape anywhere in the window, which must not take the key from a
// field the user is in: the filter field clears, a slider's typed value is discarded and the
// log's row field closes, as they do without the section. The first window's delegate installs
// it on the application.
class EditorEscapeFilter final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tavrin
