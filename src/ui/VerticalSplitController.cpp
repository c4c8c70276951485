#include "ui/VerticalSplitController.h"

#include <QEasingCurve>
#include <QResizeEvent>
#include <QVariantAnimation>

#include "app/AppContext.h"
#include "ui/DeviceHosts.h"
#include "ui/Settings.h"
#include "ui/WindowState.h"

namespace tavrin {

VerticalSplitController::VerticalSplitController(AppContext& context, WindowState& state,
                                                 QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      state_(state),
      canvasHost_(new CanvasHost(context, state)),
      logHost_(new LogHost(context.deviceStore(), state)),
      animation_(new QVariantAnimation(this)),
      saver_([this] { openSettings()->setValue(SettingsKey::verticalSplit, saveState()); }) {
    setChildrenCollapsible(false);
    setHandleWidth(1);
    // A thin visible line, as a split's divider reads on this desktop.
    setStyleSheet(QStringLiteral("QSplitter::handle { background-color: palette(mid); }"));
    canvasHost_->setMinimumHeight(minimumCanvasHeight);
    logHost_->setMinimumHeight(collapsedLogHeight);
    logHost_->setMaximumHeight(maximumLogHeight);
    addWidget(canvasHost_);
    addWidget(logHost_);
    connect(logHost_, &LogHost::toggleLogRequested, this, &VerticalSplitController::toggleLog);
    setStretchFactor(0, 1);
    setStretchFactor(1, 0);

    animation_->setDuration(animationMilliseconds);
    animation_->setEasingCurve(QEasingCurve::InOutCubic);
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setLogHeight(qRound(value.toReal())); });

    const auto stored = openSettings()->value(SettingsKey::verticalSplit).toByteArray();
    if (stored.isEmpty() || !restoreState(stored)) {
        // The log takes 18 % of a new window's centre pane.
        setSizes({820, 180});
    }
    connect(this, &QSplitter::splitterMoved, this, [this] {
        if (!placing_ && !isAnimating()) {
            const int constrained = constrainedLogHeight(logHeight());
            if (constrained != logHeight()) {
                setLogHeight(constrained);
            }
        }
        logHeightChanged();
    });
    logHeightChanged();
}

int VerticalSplitController::logHeight() const {
    return sizes().value(1);
}

bool VerticalSplitController::isAnimating() const {
    return animation_->state() == QAbstractAnimation::Running;
}

int VerticalSplitController::toggleTarget(int height) {
    if (height <= expandedThreshold) {
        return int(storedLength(SettingsKey::lastExpandedLogHeight).value_or(firstExpandedHeight));
    }
    openSettings()->setValue(SettingsKey::lastExpandedLogHeight,
                             double(std::max(height, smallestRememberedHeight)));
    return collapsedLogHeight;
}

int VerticalSplitController::constrainedLogHeight(int proposed) {
    return proposed < snapBelow ? collapsedLogHeight : proposed;
}

void VerticalSplitController::toggleLog() {
    const int height = logHeight();
    animateLogHeight(height, toggleTarget(height));
}

void VerticalSplitController::animateLogHeight(int from, int to) {
    animation_->stop();
    animation_->setStartValue(qreal(from));
    animation_->setEndValue(qreal(to));
    animation_->start();
}

void VerticalSplitController::setLogHeight(int height) {
    const auto current = sizes();
    const int total = current.value(0) + current.value(1);
    placing_ = true;
    setSizes({std::max(0, total - height), height});
    placing_ = false;
    logHeightChanged();
}

void VerticalSplitController::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    logHeightChanged();
}

void VerticalSplitController::logHeightChanged() {
    state_.setLogExpanded(logHeight() > expandedThreshold);
    save();
}

VerticalSplitController::~VerticalSplitController() {
    saver_.flush();
}

void VerticalSplitController::save() {
    if (isVisible()) {
        saver_.schedule();
    }
}

}  // namespace tavrin
