#include "ui/InspectorRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/UiFonts.h"

namespace tavrin {

QString yesNoWord(bool value) {
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

void applyTextStyle(QWidget* widget, TextStyle style) {
    switch (style) {
        case TextStyle::primary:
            widget->setForegroundRole(QPalette::WindowText);
            return;
        case TextStyle::secondary:
            widget->setForegroundRole(QPalette::PlaceholderText);
            return;
        case TextStyle::tertiary: {
            // The palette has no third level of text: the secondary colour, fainter.
            auto palette = widget->palette();
            auto color = palette.color(QPalette::PlaceholderText);
            color.setAlphaF(color.alphaF() * 0.6);
            palette.setColor(QPalette::WindowText, color);
            widget->setPalette(palette);
            widget->setForegroundRole(QPalette::WindowText);
            return;
        }
    }
}

QLabel* makeValueLabel(const QString& text, FontRole font, TextStyle style, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(uiFont(font));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    // A long value wraps rather than widening the pane past its edge.
    label->setWordWrap(true);
    applyTextStyle(label, style);
    return label;
}

InspectorRow::InspectorRow(const QString& label, QWidget* content, QWidget* parent)
    : QWidget(parent), labelText_(label), label_(new QLabel(this)), content_(content) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->setSpacing(8);
    label_->setFont(uiFont(FontRole::callout));
    label_->setFixedWidth(labelWidth);
    label_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label_->setTextFormat(Qt::PlainText);
    applyTextStyle(label_, TextStyle::secondary);
    elide();
    // A text value shares the label's first line; a control is taller, and its text sits on
    // its middle.
    Qt::Alignment labelAlignment = Qt::AlignVCenter;
    if (!content_) {
        value_ = makeValueLabel({}, FontRole::callout, TextStyle::primary, this);
        value_->setAccessibleName(label);
        content_ = value_;
        labelAlignment = Qt::AlignTop;
    }
    content_->setParent(this);
    layout->addWidget(label_, 0, labelAlignment);
    layout->addWidget(content_, 1, labelAlignment);
}

InspectorRow::InspectorRow(const QString& label, FontRole valueFont, TextStyle style,
                           QWidget* parent)
    : InspectorRow(label, nullptr, parent) {
    value_->setFont(uiFont(valueFont));
    applyTextStyle(value_, style);
}

QString InspectorRow::text() const {
    return value_ ? value_->text() : QString();
}

void InspectorRow::setText(const QString& text) {
    if (value_ && value_->text() != text) {
        value_->setText(text);
    }
}

void InspectorRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange) {
        elide();
    }
    QWidget::changeEvent(event);
}

void InspectorRow::elide() {
    const auto shown = label_->fontMetrics().elidedText(labelText_, Qt::ElideRight, labelWidth);
    label_->setText(shown);
    label_->setToolTip(shown == labelText_ ? QString() : labelText_);
}

}  // namespace tavrin
