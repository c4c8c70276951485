#include "ui/DeviceHosts.h"

#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "catalogue/DeviceStore.h"
#include "ui/EventLogPane.h"
#include "ui/PlaceholderView.h"
#include "ui/SelectedDevice.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

DeviceHost::DeviceHost(DeviceStore& store, WindowState& state, PlaceholderView* placeholder,
                       QWidget* parent)
    : QWidget(parent),
      selected_(new SelectedDevice(store, state, this)),
      stack_(new QStackedLayout(this)),
      placeholder_(placeholder),
      name_(new QLabel(this)) {
    name_->hide();  // until the device's page takes it
    placeholder_->setParent(this);
    stack_->addWidget(placeholder_);
    name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(selected_, &SelectedDevice::entryChanged, this, &DeviceHost::refresh);
    connect(selected_, &SelectedDevice::nameChanged, this, &DeviceHost::refresh);
}

QWidget* DeviceHost::makeStandIn(QLabel* name) {
    return name;
}

bool DeviceHost::showsPlaceholder() const {
    return stack_->currentWidget() == placeholder_;
}

QString DeviceHost::standInText() const {
    return name_->text();
}

void DeviceHost::refresh() {
    const auto& entry = selected_->entry();
    if (!entry) {
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    if (stack_->count() == 1) {
        stack_->addWidget(makeStandIn(name_));
        name_->show();
    }
    name_->setText(entry->localizedName());
    stack_->setCurrentIndex(1);
}

CanvasHost::CanvasHost(DeviceStore& store, WindowState& state, QWidget* parent)
    : DeviceHost(store, state,
                 new PlaceholderView(QStringLiteral("camera.metering.center.weighted"),
                                     QStringLiteral("Select a Device"),
                                     QStringLiteral("Choose a device from the sidebar.")),
                 parent) {
    setAccessibleName(QStringLiteral("Device"));
    refresh();
}

QWidget* CanvasHost::makeStandIn(QLabel* name) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(20, 20, 20, 20);
    name->setFont(uiFont(FontRole::title));
    layout->addWidget(name);
    layout->addStretch(1);
    return page;
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

QWidget* LogHost::makeStandIn(QLabel* name) {
    page_ = new QWidget;
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    // The pane's header names no device: the host's name label stays an empty spot.
    name->setParent(page_);
    name->setGeometry(0, 0, 0, 0);
    showPane();
    return page_;
}

void LogHost::showPane() {
    const auto& entry = selected()->entry();
    if (!page_ || (pane_ && entry && entry->id() == pane_->model()->entry().id())) {
        return;
    }
    delete pane_;
    pane_ = nullptr;
    if (entry) {
        pane_ = new EventLogPane(store_.eventLog(), store_, *entry, page_);
        page_->layout()->addWidget(pane_);
        connect(pane_, &EventLogPane::toggleLogRequested, this, &LogHost::toggleLogRequested);
    }
}

InspectorHost::InspectorHost(DeviceStore& store, WindowState& state, QWidget* parent)
    : DeviceHost(store, state,
                 new PlaceholderView(QStringLiteral("slider.horizontal.3"),
                                     QStringLiteral("No Device Selected"),
                                     QStringLiteral("Select a device in the sidebar to edit its "
                                                    "properties.")),
                 parent) {
    setAccessibleName(QStringLiteral("Inspector"));
    refresh();
}

QWidget* InspectorHost::makeStandIn(QLabel* name) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 16);
    name->setFont(uiFont(FontRole::headline));
    name->setWordWrap(true);
    layout->addWidget(name);
    layout->addStretch(1);
    return page;
}

}  // namespace tavrin
