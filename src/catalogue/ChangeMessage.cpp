#include "catalogue/ChangeMessage.h"

#include "runtime/TextFormat.h"

namespace tavrin {

QString changeMessage(const QString& deviceName, const QString& label, const QString& oldText,
                      const QString& newText) {
    return deviceName + QLatin1Char(' ') + label + QStringLiteral(": ") + oldText +
           QStringLiteral(" \u2192 ") + newText;
}

QString discoveryMessage(const QString& deviceName, const QStringList& parts) {
    QStringList kept;
    for (const auto& part : parts) {
        if (!part.isEmpty() && part != absentText()) {
            kept.append(part);
        }
    }
    auto message = QStringLiteral("Discovered ") + deviceName;
    if (!kept.isEmpty()) {
        message += QStringLiteral(" (") + kept.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return message;
}

}  // namespace tavrin
