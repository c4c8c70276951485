#pragma once

#include <QSplitter>

#include "ui/DeferredSave.h"

class QVariantAnimation;

namespace tavrin {

class CanvasHost;
class AppContext;
class LogHost;
class WindowState;

// The centre pane: the device canvas over the event log. The log collapses to its 36-point
// header, snaps shut when dragged below 86 points, and opens and closes with a 0.35 s cubic
// ease-in-out; `WindowState::isLogExpanded` follows its height.
class VerticalSplitController final : public QSplitter {
    Q_OBJECT
public:
    static constexpr int collapsedLogHeight = 36;
    static constexpr int expandedThreshold = 37;  // taller than this counts as expanded
    static constexpr int snapBelow = 86;
    static constexpr int firstExpandedHeight = 160;
    static constexpr int smallestRememberedHeight = 120;
    static constexpr int maximumLogHeight = 480;
    static constexpr int minimumCanvasHeight = 200;
    static constexpr int animationMilliseconds = 350;

    VerticalSplitController(AppContext& context, WindowState& state, QWidget* parent = nullptr);
    ~VerticalSplitController() override;

    CanvasHost* canvasHost() const { return canvasHost_; }
    LogHost* logHost() const { return logHost_; }
    int logHeight() const;
    bool isAnimating() const;

    // Opens a collapsed log to its remembered height (160 the first time), or collapses an open
    // one, remembering max(height, 120).
    void toggleLog();
    // The height a toggle goes to from `height`; remembers the open height when it collapses.
    static int toggleTarget(int height);
    // Where a dragged divider leaves the log: below the snap height, collapsed.
    static int constrainedLogHeight(int proposed);
    // Puts the divider so that the log is `height` high.
    void setLogHeight(int height);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void animateLogHeight(int from, int to);
    void logHeightChanged();
    void save();

    WindowState& state_;
    CanvasHost* canvasHost_;
    LogHost* logHost_;
    QVariantAnimation* animation_;
    bool placing_ = false;
    DeferredSave saver_;
};

}  // namespace tavrin
