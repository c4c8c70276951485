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
    if (event->matches(QKeySequence::Copy) && hasSelectedText()) {
        copy();
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
    // Not a nested event loop: the rows are rebuilt by timers, and the label may go while its
    // menu is open.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Copy"), this,
                    [this] { QGuiApplication::clipboard()->setText(fullText_); });
    menu->popup(event->globalPos());
}

void ElidedLabel::copy() const {
    if (!hasSelectedText()) {
        return;
    }
    QGuiApplication::clipboard()->setText(isElided() ? fullText_ : selectedText());
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
