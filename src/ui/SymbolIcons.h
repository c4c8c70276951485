#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tavrin {

// Icons for the application's symbol names, through the freedesktop name table: from the user's
// icon theme, falling back to the theme the install script installs.
QIcon symbolIcon(const QString& symbol);

// A symbol drawn in one colour at `size` device-independent pixels, as the sidebar and the
// toolbar tint their symbols. Cached.
QPixmap tintedSymbol(const QString& symbol, int size, const QColor& color, qreal scale);

// Sets the fallback icon theme (Breeze, or Breeze Dark on a dark palette). Once, at start.
void installIconThemeFallback();

}  // namespace tavrin
