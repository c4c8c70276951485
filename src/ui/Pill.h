#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

namespace tavrin {

// Where a pill's parts go: its leading mark (a dot or a symbol) and its text, inside a capsule
// padded 7 points left and right and 3 at the top and bottom, both centred vertically.
struct PillGeometry {
    QSize size;
    QRect leading;
    QRect text;

    static constexpr int horizontalPadding = 7;
    static constexpr int verticalPadding = 3;

    static PillGeometry make(QSize leading, QSize text, int spacing);
};

// A small painted capsule with a leading mark and a one-line text: the base of the status, info
// and muted pills of the device pages. Colours are read from the palette at paint time, so a
// pill follows a change between light and dark.
class Pill : public QWidget {
    Q_OBJECT
public:
    QString text() const { return text_; }
    // The symbol drawn before the text; empty for a pill that leads with a dot.
    QString symbolName() const { return symbol_; }
    PillGeometry geometryForContent() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    struct Colors {
        QColor fill;
        QColor mark;  // the dot or the symbol
        QColor text;
    };

    // A pill leading with a `dotSize` dot when `symbol` is empty.
    Pill(const QString& symbol, const QString& text, const QFont& font, int spacing,
         QWidget* parent);

    void setText(const QString& text);
    virtual Colors colors() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

    static constexpr int dotSize = 6;

private:
    QSize leadingSize() const;

    QString symbol_;
    QString text_;
    int spacing_;
};

}  // namespace tavrin
