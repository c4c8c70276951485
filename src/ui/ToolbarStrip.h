#pragma once

#include <QHash>
#include <QList>
#include <QWidget>
#include <functional>

#include "ui/ToolbarLayout.h"

class QToolButton;

namespace tavrin {

class ToolbarConfiguration;

// The window's toolbar content: the configured items laid out by `layoutToolbar`, with the
// separators drawn over the split's dividers. Buttons are icon-only and carry their tooltips and
// accessible names. The owner wires each button and supplies the divider positions.
class ToolbarStrip final : public QWidget {
    Q_OBJECT
public:
    using Dividers = std::function<std::pair<std::optional<int>, std::optional<int>>()>;

    ToolbarStrip(ToolbarConfiguration& configuration, QWidget* parent = nullptr);

    // The divider positions, in this widget's coordinates.
    void setDividers(Dividers dividers);
    // The button of an item, when the toolbar has it.
    QToolButton* button(const QString& identifier) const;
    // Shows an item's symbol tinted with the accent colour while `on`.
    void setTinted(const QString& identifier, bool on);
    const QList<ToolbarPlacement>& placements() const { return placements_; }
    void relayout();

    QSize sizeHint() const override;

signals:
    // The buttons were made anew; the owner wires them again.
    void buttonsRebuilt();
    void triggered(const QString& identifier);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void updateIcon(const QString& identifier);

    ToolbarConfiguration& configuration_;
    Dividers dividers_;
    QStringList items_;
    QHash<QString, QToolButton*> buttons_;
    QHash<QString, bool> tinted_;
    QList<ToolbarPlacement> placements_;
};

// An icon drawn in one colour, keeping its shape: how a switched-on toolbar item shows.
QIcon tintedIcon(const QIcon& icon, const QColor& color, const QSize& size);

}  // namespace tavrin
