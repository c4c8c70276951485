#pragma once

#include <QWidget>

namespace tavrin {

// Holds the place of a live section that this build doesn't have yet (the camera preview, the
// level meter, the display arrangement), so that a page has its final order and spacing.
class SectionStandIn final : public QWidget {
    Q_OBJECT
public:
    explicit SectionStandIn(const QString& title, QWidget* parent = nullptr);

    QString title() const { return title_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
};

}  // namespace tavrin
