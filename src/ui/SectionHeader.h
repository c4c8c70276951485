#pragma once

#include <QWidget>

class QLabel;

namespace tavrin {

// A heading in the headline font with an optional widget at the trailing end.
class SectionHeader final : public QWidget {
    Q_OBJECT
public:
    explicit SectionHeader(const QString& title, QWidget* trailing = nullptr,
                           QWidget* parent = nullptr);

    QString title() const;
    QWidget* trailing() const { return trailing_; }

private:
    QLabel* title_;
    QWidget* trailing_;
};

}  // namespace tavrin
