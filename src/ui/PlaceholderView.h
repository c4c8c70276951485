#pragma once

#include <QWidget>

class QLabel;

namespace tavrin {

// What a pane shows when there is nothing to show: a large symbol, a title and a description,
// centred. Either line may be empty.
class PlaceholderView final : public QWidget {
    Q_OBJECT
public:
    PlaceholderView(const QString& symbol, const QString& title, const QString& description,
                    QWidget* parent = nullptr);

    QString title() const;
    QString description() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateIcon();

    QString symbol_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* description_;
};

}  // namespace tavrin
