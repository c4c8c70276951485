#include "ui/SymbolIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QStandardPaths>

#include "platform/linux/FreedesktopSymbolCatalog.h"

namespace tavrin {

QIcon symbolIcon(const QString& symbol) {
    const auto name = freedesktopIconName(symbol);
    return name ? QIcon::fromTheme(*name) : QIcon();
}

QPixmap tintedSymbol(const QString& symbol, int size, const QColor& color, qreal scale) {
    const auto key = QStringLiteral("tavrin-symbol:%1:%2:%3:%4")
                         .arg(symbol)
                         .arg(size)
                         .arg(color.rgba(), 0, 16)
                         .arg(scale);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    pixmap = symbolIcon(symbol).pixmap(QSize(size, size), scale);
    if (!pixmap.isNull()) {
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void installIconThemeFallback() {
    // Outside a desktop session (the offscreen platform, a bare X server) Qt searches only its
    // resources: add the system's icon directories.
    auto paths = QIcon::themeSearchPaths();
    for (const auto& directory :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory)) {
        if (!paths.contains(directory)) {
            paths.append(directory);
        }
    }
    QIcon::setThemeSearchPaths(paths);
    const auto palette = QApplication::palette();
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    const auto fallback = dark ? QStringLiteral("breeze-dark") : QStringLiteral("breeze");
    QIcon::setFallbackThemeName(fallback);
    // Without a desktop session (a bare X server, the offscreen platform) no theme is set.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(fallback);
    }
}

}  // namespace tavrin
