#pragma once

#include <QLabel>

namespace tavrin {

// A one-line label that cuts its text to the width it is given instead of widening the pane,
// with the whole text in its tooltip when cut. Only the painting is cut: copying a selection of
// a cut text (with the keys or the context menu) copies the whole text, since an ID is what
// users copy and an "…" in it is no ID.
class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    // The whole text; `text()` is what is shown.
    QString fullText() const { return fullText_; }
    void setFullText(const QString& text);
    bool isElided() const { return text() != fullText_; }

public slots:
    // What Edit ▸ Copy and the copy keys do: the whole text when a cut text has a selection,
    // otherwise the selection, as a label copies it.
    void copy() const;

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void elide();

    Qt::TextElideMode mode_;
    QString fullText_;
};

}  // namespace tavrin
