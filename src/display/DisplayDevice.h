#pragma once

#include <QRectF>
#include <QSizeF>
#include <memory>
#include <optional>

#include "catalogue/SidebarDevice.h"
#include "platform/SXDisplay.h"
#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;

// The model of one display, kept by the display discovery for the whole run. It follows the
// framework display's published values; every change of a logged value records one event.
class DisplayDevice final : public SidebarDevice,
                            public std::enable_shared_from_this<DisplayDevice> {
    Q_OBJECT
    Q_PROPERTY(QString localizedName READ localizedName NOTIFY localizedNameChanged)
    Q_PROPERTY(bool isMain READ isMain NOTIFY isMainChanged)
    Q_PROPERTY(QRectF frame READ frame NOTIFY frameChanged)
    Q_PROPERTY(QSizeF backingPixelSize READ backingPixelSize NOTIFY backingPixelSizeChanged)
public:
    static std::shared_ptr<DisplayDevice> create(AppContext& context,
                                                 std::shared_ptr<SXDisplay> display);

    QUuid uuid() const override { return uuid_; }
    DeviceEntry entry() override;

    DisplayID id() const { return id_; }
    const std::shared_ptr<SXDisplay>& sxDisplay() const { return sxDisplay_; }
    const QString& localizedName() const { return localizedName_; }
    bool isMain() const { return isMain_; }
    const QRectF& frame() const { return frame_; }
    const SXAvailability& availability() const { return availability_; }
    // A symbol-image name, fixed at creation.
    const QString& symbolName() const { return symbolName_; }
    const QSizeF& backingPixelSize() const { return backingPixelSize_; }
    const std::optional<QRectF>& visibleFrame() const { return visibleFrame_; }

    // Adopts a newer framework object for the same display.
    void update(const std::shared_ptr<SXDisplay>& display);

    void setAvailability(const SXAvailability& value);
    void setBackingPixelSize(const QSizeF& value);
    void setVisibleFrame(const std::optional<QRectF>& value);

signals:
    void sxDisplayChanged();
    void localizedNameChanged();
    void isMainChanged();
    void frameChanged();
    void availabilityChanged();
    void backingPixelSizeChanged();
    void visibleFrameChanged();

private:
    DisplayDevice(AppContext& context, std::shared_ptr<SXDisplay> display);

    void subscribe(const std::shared_ptr<SXDisplay>& display);
    void setLocalizedName(const QString& value);
    void setIsMain(bool value);
    void setFrame(const QRectF& value);
    void recordChange(const QString& label, const QString& oldText, const QString& newText,
                      const QString& source);

    AppContext& context_;
    const DisplayID id_;
    const QUuid uuid_;
    std::shared_ptr<SXDisplay> sxDisplay_;
    QString localizedName_;
    bool isMain_ = false;
    QRectF frame_;
    SXAvailability availability_;
    const QString symbolName_;
    QSizeF backingPixelSize_{0, 0};
    std::optional<QRectF> visibleFrame_;
    std::vector<Subscription> sxCancellables_;
};

}  // namespace tavrin
