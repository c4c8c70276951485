#pragma once

#include <QSplitter>

#include "ui/DeferredSave.h"

namespace tavrin {

class AppContext;
class InspectorHost;
class SidebarViewController;
class VerticalSplitController;
class WindowState;

// A window tab's content: the sidebar, the centre (canvas over log) and the inspector. The side
// panes keep their minimum and maximum widths, start at 21 % of the window, collapse with the
// toggles, and the centre takes what the window gains. The positions persist.
class MainSplitController final : public QSplitter {
    Q_OBJECT
public:
    static constexpr int sidebarMinimum = 200;
    static constexpr int sidebarMaximum = 380;
    static constexpr int centerMinimum = 420;
    static constexpr int inspectorMinimum = 280;
    static constexpr int inspectorMaximum = 460;
    static constexpr double preferredFraction = 0.21;

    MainSplitController(AppContext& context, WindowState& state, QWidget* parent = nullptr);
    ~MainSplitController() override;

    SidebarViewController* sidebar() const { return sidebar_; }
    VerticalSplitController* center() const { return center_; }
    InspectorHost* inspector() const { return inspector_; }

    bool isSidebarShown() const;
    bool isInspectorShown() const;
    void toggleSidebar();
    void toggleInspector();
    // The x of the sidebar's trailing and the inspector's leading divider, in this widget's
    // coordinates; absent while that pane is collapsed.
    std::optional<int> sidebarDivider() const;
    std::optional<int> inspectorDivider() const;

signals:
    // The panes moved or were shown or hidden.
    void layoutChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeInitially();
    void togglePane(int index, int minimum, int maximum);
    void save();

    SidebarViewController* sidebar_;
    VerticalSplitController* center_;
    InspectorHost* inspector_;
    QList<int> lastOpenWidths_;
    bool sized_ = false;
    DeferredSave saver_;
};

}  // namespace tavrin
