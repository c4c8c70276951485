#pragma once

#include <QLabel>

namespace tavrin {

// A one-line label that cuts its text to the width it is given instead of widening the pane,
// with the whole text in its tooltip when cut.
class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    // The whole text; `text()` is what is shown.
    QString fullText() const { return fullText_; }
    void setFullText(const QString& text);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    Qt::TextElideMode mode_;
    QString fullText_;
};

}  // namespace tavrin
