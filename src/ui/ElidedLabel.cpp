#include "ui/ElidedLabel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace tavrin {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString& text) {
    if (fullText_ == text && !text.isEmpty()) {
        return;
    }
    fullText_ = text;
    elide();
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3,
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && isElided() && hasSelectedText()) {
        copyFullText();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ElidedLabel::contextMenuEvent(QContextMenuEvent* event) {
    if (!isElided() || !(textInteractionFlags() & Qt::TextSelectableByMouse)) {
        QLabel::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("Copy"), this, &ElidedLabel::copyFullText);
    menu.exec(event->globalPos());
}

void ElidedLabel::copyFullText() const {
    QGuiApplication::clipboard()->setText(fullText_);
}

void ElidedLabel::elide() {
    const int width = contentsRect().width();
    const auto shown = width > 0 ? fontMetrics().elidedText(fullText_, mode_, width) : fullText_;
    if (shown != text()) {
        setText(shown);
    }
    setToolTip(shown == fullText_ ? QString() : fullText_);
}

}  // namespace tavrin
