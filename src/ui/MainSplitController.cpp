#include "ui/MainSplitController.h"

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"
#include "ui/DeviceHosts.h"
#include "ui/Settings.h"
#include "ui/SidebarViewController.h"
#include "ui/VerticalSplitController.h"

namespace tavrin {

MainSplitController::MainSplitController(AppContext& context, WindowState& state, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent),
      sidebar_(
          new SidebarViewController(context.deviceStore(), context.platform().symbols(), state)),
      center_(new VerticalSplitController(context, state)),
      inspector_(new InspectorHost(context, state)),
      lastOpenWidths_{260, 0, 300},
      saver_([this] { openSettings()->setValue(SettingsKey::mainSplit, saveState()); }) {
    setHandleWidth(1);
    // A thin visible line, as a split's divider reads on this desktop.
    setStyleSheet(QStringLiteral("QSplitter::handle { background-color: palette(mid); }"));
    sidebar_->setMinimumWidth(sidebarMinimum);
    sidebar_->setMaximumWidth(sidebarMaximum);
    center_->setMinimumWidth(centerMinimum);
    inspector_->setMinimumWidth(inspectorMinimum);
    inspector_->setMaximumWidth(inspectorMaximum);
    addWidget(sidebar_);
    addWidget(center_);
    addWidget(inspector_);
    setCollapsible(0, true);
    setCollapsible(1, false);
    setCollapsible(2, true);
    // The centre takes what the window gains or loses first.
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setStretchFactor(2, 0);
    connect(this, &QSplitter::splitterMoved, this, [this] {
        save();
        emit layoutChanged();
    });
}

void MainSplitController::showEvent(QShowEvent* event) {
    QSplitter::showEvent(event);
    placeInitially();
}

void MainSplitController::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    placeInitially();
    emit layoutChanged();
}

// Once the split has its window's width: the stored positions, or 21 % for each side pane.
void MainSplitController::placeInitially() {
    const int minimumTotal = sidebarMinimum + centerMinimum + inspectorMinimum;
    if (sized_ || !isVisible() || width() < minimumTotal) {
        return;
    }
    sized_ = true;
    const auto stored = openSettings()->value(SettingsKey::mainSplit).toByteArray();
    if (stored.isEmpty() || !restoreState(stored) || sizes().value(1) < centerMinimum) {
        // The fractions are of the window: the split may get its final width only later, and
        // the centre takes what it gains then.
        const int total = width();
        const int side = int(std::max(total, window()->width()) * preferredFraction);
        const int sidebar = std::clamp(side, sidebarMinimum, sidebarMaximum);
        const int inspector = std::clamp(side, inspectorMinimum, inspectorMaximum);
        setSizes({sidebar, total - sidebar - inspector, inspector});
    }
    emit layoutChanged();
}

bool MainSplitController::isSidebarShown() const {
    return sizes().value(0) > 0;
}

bool MainSplitController::isInspectorShown() const {
    return sizes().value(2) > 0;
}

void MainSplitController::toggleSidebar() {
    togglePane(0, sidebarMinimum, sidebarMaximum);
}

void MainSplitController::toggleInspector() {
    togglePane(2, inspectorMinimum, inspectorMaximum);
}

void MainSplitController::togglePane(int index, int minimum, int maximum) {
    auto current = sizes();
    if (current.value(index) > 0) {
        lastOpenWidths_[index] = current[index];
        current[1] += current[index];
        current[index] = 0;
    } else {
        const int width = std::clamp(lastOpenWidths_[index], minimum, maximum);
        current[index] = width;
        current[1] = std::max(centerMinimum, current[1] - width);
    }
    setSizes(current);
    save();
    emit layoutChanged();
}

std::optional<int> MainSplitController::sidebarDivider() const {
    if (!isSidebarShown()) {
        return std::nullopt;
    }
    return handle(1)->geometry().center().x();
}

std::optional<int> MainSplitController::inspectorDivider() const {
    if (!isInspectorShown()) {
        return std::nullopt;
    }
    return handle(2)->geometry().center().x();
}

MainSplitController::~MainSplitController() {
    saver_.flush();
}

void MainSplitController::save() {
    saver_.schedule();
}

}  // namespace tavrin
