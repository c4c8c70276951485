#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tavrin {

// What the live sections show instead of their picture or meter: a large symbol over a short
// text, and optionally a button, in a centred column.
struct CentredMessage {
    QString symbol;
    int symbolSize = 32;
    QColor symbolColor;
    QString text;
    QColor textColor;
    int spacing = 12;

    // Builds the column in a new widget; `button` (optional) goes last.
    QWidget* make(QPushButton* button, QWidget* parent) const;
};

// A push button of the large control size, with a leading symbol.
QPushButton* makeLargeButton(const QString& title, const QString& symbol, QWidget* parent);

}  // namespace tavrin
