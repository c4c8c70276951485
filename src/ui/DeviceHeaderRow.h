#pragma once

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace tavrin {

class Pill;
enum class FontRole;
enum class TextStyle;

// The head of a device page: a 52-point tile with the device's symbol beside its title, a
// subtitle row and a row of pills. The page's own header row fills it and keeps it current.
class DeviceHeaderRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int tileSize = 52;
    static constexpr int symbolSize = 30;

    QString title() const;
    QString symbolName() const { return symbol_; }
    // The subtitle row's shown parts, in order.
    QStringList subtitleTexts() const;
    // The shown pills, in order.
    QList<Pill*> shownPills() const;

protected:
    explicit DeviceHeaderRow(QWidget* parent);

    void setSymbol(const QString& symbol);
    void setTitle(const QString& title);
    // A subtitle part in the subheadline font (or the given one), secondary style.
    QLabel* addSubtitle(const QString& text);
    QLabel* addSubtitle(const QString& text, FontRole font);
    // The "·" between two subtitle parts.
    QLabel* addSeparator();
    // Pills go into the row in the order they are added and show as their conditions say.
    void addPill(Pill* pill);

    void changeEvent(QEvent* event) override;

private:
    void paintTile();

    QString symbol_;
    QLabel* tile_;
    QLabel* title_;
    QHBoxLayout* subtitles_;
    QHBoxLayout* pills_;
    QList<QLabel*> subtitleLabels_;
    QList<Pill*> pillList_;
};

}  // namespace tavrin
