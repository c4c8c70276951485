#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace tavrin {

enum class FontRole;

// How prominent a value's text is: the palette's text, its secondary (placeholder) colour, or a
// fainter tertiary one.
enum class TextStyle { primary, secondary, tertiary };

// "Yes" or "No", as the inspector writes a flag (the event log writes them in lower case).
QString yesNoWord(bool value);

// Gives `widget` the foreground of `style` on its current palette.
void applyTextStyle(QWidget* widget, TextStyle style);

// A selectable value label for an inspector row.
QLabel* makeValueLabel(const QString& text, FontRole font, TextStyle style = TextStyle::primary,
                       QWidget* parent = nullptr);

// One line of the inspector: a label in a fixed column, right-aligned and cut at the tail, and
// a value that fills the rest. Without a content widget the value is a selectable text.
class InspectorRow : public QWidget {
    Q_OBJECT
public:
    // The width of the label column, in device-independent pixels.
    static constexpr int labelWidth = 108;

    explicit InspectorRow(const QString& label, QWidget* content = nullptr,
                          QWidget* parent = nullptr);
    // A text row whose value has this font and style.
    InspectorRow(const QString& label, FontRole valueFont, TextStyle style,
                 QWidget* parent = nullptr);

    QString label() const { return labelText_; }
    QWidget* content() const { return content_; }
    // The row's own value text; only for a row made without a content widget.
    QLabel* valueLabel() const { return value_; }
    QString text() const;
    void setText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString labelText_;
    QLabel* label_;
    QLabel* value_ = nullptr;
    QWidget* content_;
};

}  // namespace tavrin
