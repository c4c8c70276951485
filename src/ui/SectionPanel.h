#pragma once

#include <QColor>
#include <QPushButton>
#include <QRect>
#include <QString>

class QBoxLayout;
class QLabel;
class QPainter;
class QWidget;

namespace tavrin {

enum class FontRole;

// What the lock and exclusive-access sections share: a symbol in a fixed-width column beside a
// column of texts and buttons, on a rounded panel.
namespace SectionPanel {

// The panel's padding and the spacing of its parts, in points.
inline constexpr int padding = 12;
inline constexpr int spacing = 8;
inline constexpr qreal cornerRadius = 8;

// Shows `symbol` in `color` at the height of `font` in `label`.
void setSymbol(QLabel* label, const QString& symbol, FontRole font, const QColor& color);
// A push button with a leading symbol, sized to its title.
QPushButton* makeButton(const QString& title, const QString& symbol, QWidget* parent);
// Fills the panel (and outlines it, with an outline colour) inside `widget`.
void paint(QWidget* widget, const QColor& fill, const QColor& outline = {});
// The same panel over `rect` only, for a section whose heading sits above its panel.
void paintRect(QWidget* widget, const QRect& rect, const QColor& fill, const QColor& outline = {});

}  // namespace SectionPanel

}  // namespace tavrin
