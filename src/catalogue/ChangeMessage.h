#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// "<name> <label>: <old> → <new>", the line of every observed property change.
QString changeMessage(const QString& deviceName, const QString& label, const QString& oldText,
                      const QString& newText);

// "Discovered <name>", then " (" + the parts joined with ", " + ")" when any part is left after
// dropping empty parts and absent ("—") ones.
QString discoveryMessage(const QString& deviceName, const QStringList& parts);

}  // namespace tavrin
