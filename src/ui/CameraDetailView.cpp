#include "ui/CameraDetailView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "camera/CameraText.h"
#include "catalogue/DeviceEntry.h"
#include "runtime/TextFormat.h"
#include "ui/CameraFormatsTable.h"
#include "ui/CameraPreviewSection.h"
#include "ui/ConfigurationLockSection.h"
#include "ui/InfoPill.h"
#include "ui/StatusPill.h"
#include "ui/UiFonts.h"

namespace tavrin {

CameraHeaderRow::CameraHeaderRow(std::shared_ptr<CameraDevice> camera, const SymbolCatalog& symbols,
                                 QWidget* parent)
    : DeviceHeaderRow(parent),
      camera_(std::move(camera)),
      symbols_(symbols),
      manufacturer_(addSubtitle({})),
      modelID_((addSeparator(), addSubtitle({}, FontRole::monospacedFootnote))),
      deviceType_((addSeparator(), addSubtitle({}))),
      status_(new StatusPill(camera_->entry().status())),
      format_(new InfoPill(QStringLiteral("viewfinder"), {})),
      frameRate_(new InfoPill(QStringLiteral("speedometer"), {})),
      virtual_(new InfoPill(QStringLiteral("rectangle.dashed"), QStringLiteral("Virtual"))),
      inUse_(new InfoPill(QStringLiteral("person.fill.questionmark"), QStringLiteral("In Use"))) {
    for (auto* pill :
         std::initializer_list<Pill*>{status_, format_, frameRate_, virtual_, inUse_}) {
        addPill(pill);
    }
    auto* model = camera_.get();
    for (auto signal :
         {&CaptureSourceDevice::localizedNameChanged, &CaptureSourceDevice::manufacturerChanged,
          &CaptureSourceDevice::modelIDChanged, &CaptureSourceDevice::isVirtualChanged,
          &CaptureSourceDevice::availabilityChanged,
          &CaptureSourceDevice::isInUseByAnotherApplicationChanged,
          &CaptureSourceDevice::isRunningSomewhereChanged}) {
        connect(model, signal, this, &CameraHeaderRow::refresh);
    }
    for (auto signal :
         {&CameraDevice::activeFormatChanged, &CameraDevice::activeFrameDurationsChanged,
          &CameraDevice::isConnectedChanged, &CameraDevice::isSuspendedChanged}) {
        connect(model, signal, this, &CameraHeaderRow::refresh);
    }
    refresh();
}

void CameraHeaderRow::refresh() {
    const auto& camera = *camera_;
    const auto entry = camera_->entry();
    setSymbol(entry.sidebarSymbolName(symbols_));
    setTitle(camera.localizedName());
    manufacturer_->setText(camera.manufacturer().isEmpty() ? QStringLiteral("Unknown manufacturer")
                                                           : camera.manufacturer());
    modelID_->setText(camera.modelID());
    deviceType_->setText(camera.avDevice() ? camera.deviceTypeName() : absentText());

    status_->setStatus(entry.status());
    format_->setVisible(camera.activeFormat() != nullptr);
    format_->setText(CameraText::format(camera.activeFormat()));
    // The frame rate the way the capture service counts it: whole frames per second, cut.
    const auto& duration = camera.activeMinFrameDuration();
    const bool hasRate = duration.isValid() && duration.value > 0;
    frameRate_->setVisible(hasRate);
    if (hasRate) {
        frameRate_->setText(QString::number(duration.timescale / duration.value) +
                            QStringLiteral(" fps"));
    }
    virtual_->setVisible(camera.isVirtual());
    inUse_->setVisible(camera.isInUseByAnotherApplication());
}

CameraDetailView::CameraDetailView(std::shared_ptr<CameraDevice> camera, AppContext& context,
                                   WindowState& state, const SymbolCatalog& symbols,
                                   QWidget* parent)
    : QWidget(parent),
      header_(new CameraHeaderRow(camera, symbols, this)),
      preview_(new CameraPreviewSection(
          camera, state,
          context.platform().deviceFramework().authorizationStatus(SXAuthorizationSource::camera),
          context.eventLog(), context.platform().deviceFramework(), this)),
      lock_(new ConfigurationLockSection(camera->configurationLock(), QStringLiteral("camera"),
                                         this)),
      formats_(new CameraFormatsTable(camera, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addWidget(header_);
    layout->addWidget(preview_);
    layout->addWidget(lock_);
    layout->addWidget(formats_);
}

}  // namespace tavrin
