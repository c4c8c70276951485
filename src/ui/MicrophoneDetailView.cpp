#include "ui/MicrophoneDetailView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceEntry.h"
#include "ui/AudioHogModeSection.h"
#include "ui/ConfigurationLockSection.h"
#include "ui/InfoPill.h"
#include "ui/MicrophoneMeterSection.h"
#include "ui/MutedPill.h"
#include "ui/StatusPill.h"
#include "ui/UiFonts.h"

namespace tavrin {

MicrophoneHeaderRow::MicrophoneHeaderRow(std::shared_ptr<MicrophoneDevice> microphone,
                                         const SymbolCatalog& symbols, QWidget* parent)
    : DeviceHeaderRow(parent),
      microphone_(std::move(microphone)),
      symbols_(symbols),
      manufacturer_(addSubtitle({})),
      modelID_((addSeparator(), addSubtitle({}, FontRole::monospacedFootnote))),
      status_(new StatusPill(microphone_->entry().status())),
      muted_(new MutedPill),
      virtual_(new InfoPill(QStringLiteral("rectangle.dashed"), QStringLiteral("Virtual"))) {
    for (auto* pill : std::initializer_list<Pill*>{status_, muted_, virtual_}) {
        addPill(pill);
    }
    auto* model = microphone_.get();
    for (auto signal :
         {&CaptureSourceDevice::localizedNameChanged, &CaptureSourceDevice::manufacturerChanged,
          &CaptureSourceDevice::modelIDChanged, &CaptureSourceDevice::isVirtualChanged,
          &CaptureSourceDevice::availabilityChanged,
          &CaptureSourceDevice::isRunningSomewhereChanged}) {
        connect(model, signal, this, &MicrophoneHeaderRow::refresh);
    }
    connect(model, &MicrophoneDevice::isMutedChanged, this, &MicrophoneHeaderRow::refresh);
    connect(model, &MicrophoneDevice::isConnectedChanged, this, &MicrophoneHeaderRow::refresh);
    refresh();
}

void MicrophoneHeaderRow::refresh() {
    const auto& microphone = *microphone_;
    const auto entry = microphone_->entry();
    setSymbol(entry.sidebarSymbolName(symbols_));
    setTitle(microphone.localizedName());
    manufacturer_->setText(microphone.manufacturer().isEmpty()
                               ? QStringLiteral("Unknown manufacturer")
                               : microphone.manufacturer());
    modelID_->setText(microphone.modelID());
    status_->setStatus(entry.status());
    muted_->setVisible(microphone.isMuted());
    virtual_->setVisible(microphone.isVirtual());
}

MicrophoneDetailView::MicrophoneDetailView(std::shared_ptr<MicrophoneDevice> microphone,
                                           AppContext& context, WindowState& state,
                                           const SymbolCatalog& symbols, QWidget* parent)
    : QWidget(parent),
      header_(new MicrophoneHeaderRow(microphone, symbols, this)),
      meter_(new MicrophoneMeterSection(microphone, state,
                                        context.platform().deviceFramework().authorizationStatus(
                                            SXAuthorizationSource::microphone),
                                        context.eventLog(), context.queue(),
                                        context.platform().audioCapture(), this)),
      lock_(new ConfigurationLockSection(microphone->configurationLock(),
                                         QStringLiteral("microphone"), this)),
      hogMode_(
          new AudioHogModeSection(microphone->audioHogMode(), QStringLiteral("microphone"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addWidget(header_);
    layout->addWidget(meter_);
    layout->addWidget(lock_);
    layout->addWidget(hogMode_);
    // Whether the device can be taken changes as it comes and goes.
    for (auto signal :
         {&CaptureSourceDevice::availabilityChanged, &CaptureSourceDevice::sourceObjectChanged}) {
        connect(microphone.get(), signal, hogMode_, &AudioHogModeSection::refresh);
    }
    connect(microphone.get(), &MicrophoneDevice::isConnectedChanged, hogMode_,
            &AudioHogModeSection::refresh);
}

}  // namespace tavrin
