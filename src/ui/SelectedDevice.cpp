#include "ui/SelectedDevice.h"

#include "catalogue/DeviceStore.h"
#include "ui/DeviceChanges.h"
#include "ui/WindowState.h"

namespace tavrin {

SelectedDevice::SelectedDevice(DeviceStore& store, WindowState& state, QObject* parent)
    : QObject(parent), store_(store), state_(state) {
    connect(&state_, &WindowState::selectionChanged, this, &SelectedDevice::resolve);
    connectDeviceListChanges(store_, this, [this] { resolve(); });
    resolve();
}

void SelectedDevice::resolve() {
    auto entry = state_.selection().isNull() ? std::nullopt : store_.entry(state_.selection());
    // The store keeps a model for the whole run, so the same uuid is the same model.
    const bool same = entry.has_value() == entry_.has_value() && (!entry || *entry == *entry_);
    if (same) {
        return;
    }
    entry_ = std::move(entry);
    delete watcher_;
    watcher_ = nullptr;
    if (entry_) {
        watcher_ = new QObject(this);
        connectDeviceChanges(*entry_, DeviceAspect::name, watcher_, [this] {
            emit nameChanged();
            emit titleChanged();
        });
        connectDeviceChanges(*entry_, DeviceAspect::title, watcher_,
                             [this] { emit titleChanged(); });
    }
    emit entryChanged();
}

}  // namespace tavrin
