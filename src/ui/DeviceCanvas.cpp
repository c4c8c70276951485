#include "ui/DeviceCanvas.h"

#include <QVBoxLayout>

#include "platform/linux/FreedesktopSymbolCatalog.h"
#include "ui/CameraDetailView.h"
#include "ui/DisplayDetailView.h"
#include "ui/MicrophoneDetailView.h"

namespace tavrin {

namespace {

// The symbols this interface can draw: a device's slashed symbol is used when the table has it.
const SymbolCatalog& drawableSymbols() {
    static const FreedesktopSymbolCatalog catalog;
    return catalog;
}

QWidget* makeDetailView(const DeviceEntry& entry, AppContext& context, WindowState& state) {
    const auto& symbols = drawableSymbols();
    switch (entry.kind()) {
        case DeviceEntry::Kind::camera:
            return new CameraDetailView(entry.camera(), context, state, symbols);
        case DeviceEntry::Kind::microphone:
            return new MicrophoneDetailView(entry.microphone(), context, state, symbols);
        case DeviceEntry::Kind::display:
            return new DisplayDetailView(entry.display(), context, state, symbols);
    }
    return new QWidget;
}

}  // namespace

DeviceCanvas::DeviceCanvas(const DeviceEntry& entry, AppContext& context, WindowState& state,
                           QWidget* parent)
    : QScrollArea(parent), entry_(entry), detail_(makeDetailView(entry, context, state)) {
    setAccessibleName(entry.localizedName());
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Window);
    auto* content = new QWidget;
    content->setBackgroundRole(QPalette::Window);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(detail_);
    // What is left of a tall pane stays below the page, which keeps to the top.
    layout->addStretch(1);
    setWidget(content);
    viewport()->setBackgroundRole(QPalette::Window);
}

CameraDetailView* DeviceCanvas::cameraView() const {
    return qobject_cast<CameraDetailView*>(detail_);
}

MicrophoneDetailView* DeviceCanvas::microphoneView() const {
    return qobject_cast<MicrophoneDetailView*>(detail_);
}

DisplayDetailView* DeviceCanvas::displayView() const {
    return qobject_cast<DisplayDetailView*>(detail_);
}

}  // namespace tavrin
