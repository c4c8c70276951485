#include "ui/WindowTab.h"

#include <QVBoxLayout>

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"
#include "ui/DeviceChanges.h"
#include "ui/MainSplitController.h"
#include "ui/SelectedDevice.h"
#include "ui/WindowState.h"

namespace tavrin {

WindowTab::WindowTab(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), state_(new WindowState(this)) {
    adoptDefaultSelection();
    selected_ = new SelectedDevice(context.deviceStore(), *state_, this);
    split_ = new MainSplitController(context, *state_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split_);
    connect(state_, &WindowState::selectionChanged, this, [this] { hasAdoptedDefault_ = true; });
    connectDeviceListChanges(context.deviceStore(), this, [this] { adoptDefaultSelection(); });
}

void WindowTab::adoptDefaultSelection() {
    if (hasAdoptedDefault_ || !state_->selection().isNull()) {
        return;
    }
    if (const auto selection = context_.deviceStore().defaultSelectionID()) {
        state_->setSelection(*selection);
    }
}

}  // namespace tavrin
