#include "ui/DeviceHosts.h"

#include <QApplication>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"
#include "ui/DeviceCanvas.h"
#include "ui/EventLogPane.h"
#include "ui/InspectorView.h"
#include "ui/PlaceholderView.h"
#include "ui/RetiredWidget.h"
#include "ui/SelectedDevice.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

DeviceHost::DeviceHost(DeviceStore& store, WindowState& state, PlaceholderView* placeholder,
                       QWidget* parent)
    : QWidget(parent),
      selected_(new SelectedDevice(store, state, this)),
      stack_(new QStackedLayout(this)),
      placeholder_(placeholder) {
    placeholder_->setParent(this);
    stack_->addWidget(placeholder_);
    connect(selected_, &SelectedDevice::entryChanged, this, &DeviceHost::refresh);
}

bool DeviceHost::showsPlaceholder() const {
    return stack_->currentWidget() == placeholder_;
}

void DeviceHost::refresh() {
    if (!selected_->entry()) {
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    if (stack_->count() == 1) {
        stack_->addWidget(makePage());
    }
    stack_->setCurrentIndex(1);
}

CanvasHost::CanvasHost(AppContext& context, WindowState& state, QWidget* parent)
    : DeviceHost(context.deviceStore(), state,
                 new PlaceholderView(QStringLiteral("camera.metering.center.weighted"),
                                     QStringLiteral("Select a Device"),
                                     QStringLiteral("Choose a device from the sidebar.")),
                 parent),
      context_(context),
      state_(state) {
    setAccessibleName(QStringLiteral("Device"));
    refresh();
    // After the host's own refresh, which shows the page or the placeholder.
    connect(selected(), &SelectedDevice::entryChanged, this, &CanvasHost::rebuild);
    rebuild();
}

QWidget* CanvasHost::makePage() {
    page_ = new QWidget;
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    return page_;
}

void CanvasHost::rebuild() {
    const auto& entry = selected()->entry();
    if (canvas_ && entry && entry->id() == canvas_->entry().id()) {
        return;
    }
    // A keyboard user who selected another device from inside the canvas (Space on an
    // arrangement tile) carries on from the same control on the new canvas. Only controls
    // this application named are carried, never Qt's own parts.
    auto* focused = QApplication::focusWidget();
    if (canvas_ && focused && canvas_->isAncestorOf(focused) && !focused->objectName().isEmpty() &&
        !focused->objectName().startsWith(QLatin1String("qt_"))) {
        focusAfterRebuild_ = focused->objectName();
    }
    retireWidget(std::exchange(canvas_, nullptr));
    if (!entry || !page_) {
        return;
    }
    canvas_ = new DeviceCanvas(*entry, context_, state_, page_);
    page_->layout()->addWidget(canvas_);
    if (focusAfterRebuild_.isEmpty()) {
        return;
    }
    // The layout shows the canvas from the event loop; the focus follows it there, to the
    // newest canvas however many came in between.
    QTimer::singleShot(0, this, [this] {
        const auto name = std::exchange(focusAfterRebuild_, QString());
        if (auto* control = canvas_ ? canvas_->findChild<QWidget*>(name) : nullptr) {
            control->setFocus(Qt::OtherFocusReason);
        }
    });
}

static_assert(EventLogPane::headerHeight == LogHost::headerHeight,
              "collapsed, the host shows exactly the pane's header");

LogHost::LogHost(DeviceStore& store, WindowState& state, QWidget* parent)
    : DeviceHost(store, state, new PlaceholderView({}, {}, QStringLiteral("No device selected")),
                 parent),
      store_(store) {
    setAccessibleName(QStringLiteral("Event Log"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    refresh();
    connect(selected(), &SelectedDevice::entryChanged, this, &LogHost::showPane);
}

QWidget* LogHost::makePage() {
    page_ = new QWidget;
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    showPane();
    return page_;
}

void LogHost::showPane() {
    const auto& entry = selected()->entry();
    if (!page_ || (pane_ && entry && entry->id() == pane_->model()->entry().id())) {
        return;
    }
    retireWidget(std::exchange(pane_, nullptr));
    if (entry) {
        pane_ = new EventLogPane(store_.eventLog(), store_, *entry, page_);
        page_->layout()->addWidget(pane_);
        connect(pane_, &EventLogPane::toggleLogRequested, this, &LogHost::toggleLogRequested);
    }
}

InspectorHost::InspectorHost(AppContext& context, WindowState& state, QWidget* parent)
    : DeviceHost(context.deviceStore(), state,
                 new PlaceholderView(QStringLiteral("slider.horizontal.3"),
                                     QStringLiteral("No Device Selected"),
                                     QStringLiteral("Select a device in the sidebar to edit its "
                                                    "properties.")),
                 parent),
      context_(context),
      state_(state) {
    setAccessibleName(QStringLiteral("Inspector"));
    refresh();
    // After the host's own refresh, which shows the page or the placeholder.
    connect(selected(), &SelectedDevice::entryChanged, this, &InspectorHost::rebuild);
    rebuild();
}

QWidget* InspectorHost::makePage() {
    page_ = new QWidget;
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    return page_;
}

void InspectorHost::rebuild() {
    retireWidget(std::exchange(inspector_, nullptr));
    const auto& entry = selected()->entry();
    if (!entry || !page_) {
        return;
    }
    inspector_ = new InspectorView(context_, state_, *entry, page_);
    page_->layout()->addWidget(inspector_);
}

}  // namespace tavrin
