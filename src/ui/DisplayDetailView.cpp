#include "ui/DisplayDetailView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/DisplayInspectorView.h"
#include "ui/InfoPill.h"
#include "ui/StatusPill.h"
#include "ui/UiFonts.h"

namespace tavrin {

DisplayHeaderRow::DisplayHeaderRow(std::shared_ptr<DisplayDevice> display,
                                   const SymbolCatalog& symbols, QWidget* parent)
    : DeviceHeaderRow(parent),
      display_(std::move(display)),
      symbols_(symbols),
      id_((addSubtitle(QStringLiteral("Display ID")),
           addSubtitle(QString::number(display_->id()), FontRole::monospacedFootnote))),
      mainSeparator_(addSeparator()),
      main_(addSubtitle(QStringLiteral("Main"))),
      status_(new StatusPill(display_->entry().status())),
      size_(new InfoPill(QStringLiteral("rectangle"), {})) {
    addPill(status_);
    addPill(size_);
    auto* model = display_.get();
    for (auto signal : {&DisplayDevice::localizedNameChanged, &DisplayDevice::isMainChanged,
                        &DisplayDevice::frameChanged, &DisplayDevice::availabilityChanged}) {
        connect(model, signal, this, &DisplayHeaderRow::refresh);
    }
    refresh();
}

void DisplayHeaderRow::refresh() {
    const auto& display = *display_;
    const auto entry = display_->entry();
    setSymbol(entry.sidebarSymbolName(symbols_));
    setTitle(display.localizedName());
    mainSeparator_->setVisible(display.isMain());
    main_->setVisible(display.isMain());
    status_->setStatus(entry.status());
    size_->setText(displaySizeText(display.frame().size()));
}

DisplayDetailView::DisplayDetailView(std::shared_ptr<DisplayDevice> display, AppContext& context,
                                     WindowState& state, const SymbolCatalog& symbols,
                                     QWidget* parent)
    : QWidget(parent),
      header_(new DisplayHeaderRow(display, symbols, this)),
      arrangement_(
          new DisplayArrangementSection(context.deviceStore().displayDiscovery(), state, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addWidget(header_);
    layout->addWidget(arrangement_);
}

}  // namespace tavrin
