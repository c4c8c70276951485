#pragma once

#include <QPointF>
#include <QWidget>
#include <memory>
#include <optional>

#include "display/DisplayArrangement.h"
#include "platform/SXDisplay.h"

class QVariantAnimation;

namespace tavrin {

class DisplayDevice;
class DisplayDiscovery;
class WindowState;

// The arrangement canvas of a display's page: every connected display drawn at its place in the
// global arrangement, one tile per mirror group. A click selects a display in the window, a drag
// moves a display (permanently), and a drag of the menu bar from the main display's tile onto
// another tile makes that display the main one. The geometry comes from `DisplayArrangement`;
// this widget keeps only the gesture in progress and draws from the models' current frames.
//
// Without a mouse: Tab walks the tiles (and leaves the canvas after the last), the arrow keys
// drag the focused display's tile (Shift for single points), snapping as a pointer drag does,
// Enter drops it through the same decision and Escape puts it back; Space selects the display,
// and M or the context menu's "Make Main" makes it the main one. Main thread.
class DisplayArrangementSection final : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumCanvasHeight = 120;
    static constexpr int idealCanvasHeight = 240;
    // How far the pointer must travel before a press becomes a drag, in points.
    static constexpr qreal tileDragDistance = 4;
    static constexpr qreal menuBarDragDistance = 2;
    // How far behind its primary a mirroring display's drawing is stacked, in points.
    static constexpr qreal mirrorOffset = 6;
    // How far an arrow key drags the focused tile, in points; with Shift, one point.
    static constexpr qreal keyboardStep = 10;

    struct LiveDrag {
        DisplayID displayID = 0;
        QPointF translation;
    };
    struct MenubarDrag {
        DisplayID displayID = 0;
        QPointF translation;
        QPointF location;
    };

    DisplayArrangementSection(DisplayDiscovery& discovery, WindowState& state,
                              QWidget* parent = nullptr);

    const std::optional<LiveDrag>& liveDrag() const { return liveDrag_; }
    // The display whose tile has the keyboard; none before the canvas first takes focus.
    std::optional<DisplayID> focusedDisplay() const { return focusedDisplay_; }
    void setFocusedDisplay(DisplayID display);
    // The displays drawn, in list order.
    QList<std::shared_ptr<DisplayDevice>> onCanvas() const;
    // What a tile reads as to a screen reader: "2560 × 1440 at 0, 0", then ", main display".
    static QString tileDescription(const DisplayDevice& display);
    const WindowState& windowState() const { return state_; }
    const std::optional<MenubarDrag>& menubarDrag() const { return menubarDrag_; }

    // The canvas geometry at the widget's current size.
    DisplayArrangement::Layout layout() const;
    // Where a display's drawing is now, in canvas points: its place in the layout, moved by a
    // drag or a spring in progress, and stacked behind its primary when it mirrors one. Null for
    // a display that is not drawn.
    QRectF drawnRect(DisplayID display) const;
    // The menu-bar strip on the main display's tile; null without a main display on the canvas.
    QRectF menuBarRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

private:
    // A left-button press that is not yet a drag: where it went down, which display's drawing
    // it hit and whether it hit the menu bar.
    struct Press {
        QPointF at;
        std::shared_ptr<DisplayDevice> hit;
        std::shared_ptr<DisplayDevice> group;  // the primary of the hit tile
        bool onMenuBar = false;
    };
    // A tile easing back from where it was dropped to where its display is: `from` is the
    // drawn top-left at the drop, `remaining` runs from 1 to 0.
    struct Spring {
        DisplayID displayID = 0;
        QPointF from;
        qreal remaining = 0;
    };

    // The drawn rectangle of a mirror group's primary, before any stacking.
    QRectF tileRect(const DisplayDevice& primary, const DisplayArrangement::Layout& layout) const;
    // The topmost display drawing under `point` and the primary of its tile.
    std::pair<std::shared_ptr<DisplayDevice>, std::shared_ptr<DisplayDevice>> hitTest(
        const QPointF& point) const;
    void followDisplays();
    // Ends a gesture whose display left the canvas; a release then does nothing.
    void dropVanishedGesture();
    // Asks for the dropped display's new origin, if it has one, and lets the tile spring back
    // to wherever its display then is. The drag is still set.
    void dropTile(DisplayDevice& display);
    // Dragged or springing back: drawn over the other tiles.
    bool isInHand(DisplayID display) const;
    void startSpring(DisplayID display, const QPointF& from, int milliseconds);
    // The keyboard's tile, or the selected display's, or the first; null on an empty canvas.
    std::shared_ptr<DisplayDevice> keyboardDisplay() const;
    // The primary of the tile a display is drawn on.
    std::shared_ptr<DisplayDevice> tilePrimary(DisplayID display) const;
    void dragWithKeys(const QPointF& step);
    void dropKeyboardDrag();
    void cancelKeyboardDrag();
    void makeMain(DisplayDevice& display);
    void tellFocus();

    DisplayDiscovery& discovery_;
    WindowState& state_;
    std::optional<Press> press_;
    std::optional<LiveDrag> liveDrag_;
    std::optional<MenubarDrag> menubarDrag_;
    std::optional<Spring> spring_;
    std::optional<DisplayID> focusedDisplay_;
    // The live drag is the keyboard's, not the pointer's.
    bool keyboardDrag_ = false;
    QVariantAnimation* springAnimation_;
    // Carries the connections to the displays; replaced with the list.
    QObject* watcher_ = nullptr;
};

}  // namespace tavrin
