#include "platform/linux/LinuxProcessNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tavrin {

std::optional<QString> LinuxProcessNames::applicationName(std::int32_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    for (const auto& client : connection_.state().clients) {
        if (client.processID == pid && !client.applicationName.isEmpty()) {
            return client.applicationName;
        }
    }
    return executableName(procRoot_, pid);
}

// The executable's link names the full file; it is unreadable for other users' processes, whose
// kernel-kept short name (at most 15 bytes) is still there.
std::optional<QString> LinuxProcessNames::executableName(const QString& procRoot,
                                                         std::int32_t pid) {
    const QDir process(procRoot + QLatin1Char('/') + QString::number(pid));
    if (pid <= 0 || !process.exists()) {
        return std::nullopt;
    }
    const auto target = QFileInfo(process.filePath(QStringLiteral("exe"))).symLinkTarget();
    if (!target.isEmpty()) {
        return QFileInfo(target).fileName();
    }
    QFile command(process.filePath(QStringLiteral("comm")));
    if (command.open(QIODevice::ReadOnly)) {
        const auto name = QString::fromUtf8(command.read(256)).trimmed();
        if (!name.isEmpty()) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace tavrin
