#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QVBoxLayout;

namespace tavrin {

// A titled group of inspector rows that the user opens and closes with a "Hide"/"Show" button
// that appears while the pointer is over the header. The open state is a preference per title,
// so every section of that title, in every window and after a relaunch, opens the same way.
class InspectorSection final : public QWidget {
    Q_OBJECT
public:
    // `initiallyExpanded` applies until the user first opens or closes a section of this title.
    InspectorSection(const QString& title, bool initiallyExpanded, QWidget* parent = nullptr);

    QString title() const { return title_; }
    bool isExpanded() const { return expanded_; }
    // Opens or closes the section, animated, and stores the choice.
    void setExpanded(bool expanded);

    // Rows go here, top to bottom.
    void addRow(QWidget* row);
    QWidget* contentArea() const { return content_; }
    QPushButton* toggleButton() const { return toggle_; }
    // The button's opacity: 1 while the pointer is over the header, else 0, eased between.
    qreal toggleOpacity() const;

    static constexpr int fadeMilliseconds = 120;
    static constexpr int openMilliseconds = 150;

signals:
    void expandedChanged(bool expanded);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(bool animated);
    void setHovering(bool hovering);

    QString title_;
    bool expanded_;
    QWidget* header_;
    QPushButton* toggle_;
    QGraphicsOpacityEffect* toggleOpacity_;
    QPropertyAnimation* fade_;
    QWidget* content_;
    QVBoxLayout* rows_;
    QPropertyAnimation* openClose_;
};

}  // namespace tavrin
