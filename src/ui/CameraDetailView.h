#pragma once

#include <QWidget>
#include <memory>

#include "ui/DeviceHeaderRow.h"

namespace tavrin {

class AppContext;
class WindowState;
class CameraDevice;
class CameraFormatsTable;
class ConfigurationLockSection;
class InfoPill;
class CameraPreviewSection;
class StatusPill;
class SymbolCatalog;

// A camera's name; its manufacturer, model ID and device type; and its pills: status, active
// format, frame rate, "Virtual" and "In Use", each while it applies.
class CameraHeaderRow final : public DeviceHeaderRow {
    Q_OBJECT
public:
    CameraHeaderRow(std::shared_ptr<CameraDevice> camera, const SymbolCatalog& symbols,
                    QWidget* parent = nullptr);

private:
    void refresh();

    std::shared_ptr<CameraDevice> camera_;
    const SymbolCatalog& symbols_;
    QLabel* manufacturer_;
    QLabel* modelID_;
    QLabel* deviceType_;
    StatusPill* status_;
    InfoPill* format_;
    InfoPill* frameRate_;
    InfoPill* virtual_;
    InfoPill* inUse_;
};

// A camera's page: header, preview, configuration lock and supported formats.
class CameraDetailView final : public QWidget {
    Q_OBJECT
public:
    CameraDetailView(std::shared_ptr<CameraDevice> camera, AppContext& context, WindowState& state,
                     const SymbolCatalog& symbols, QWidget* parent = nullptr);

    CameraHeaderRow* header() const { return header_; }
    CameraPreviewSection* preview() const { return preview_; }
    ConfigurationLockSection* configurationLock() const { return lock_; }
    CameraFormatsTable* formats() const { return formats_; }

private:
    CameraHeaderRow* header_;
    CameraPreviewSection* preview_;
    ConfigurationLockSection* lock_;
    CameraFormatsTable* formats_;
};

}  // namespace tavrin
