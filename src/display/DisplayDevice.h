#pragma once

#include <QRectF>
#include <QSizeF>
#include <memory>
#include <optional>

#include "catalogue/SidebarDevice.h"
#include "platform/DisplayServices.h"
#include "platform/SXDisplay.h"
#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;

// The model of one display, kept by the display discovery for the whole run. It follows the
// framework display's published values and adds what the display services and the screen list
// tell; every real change of a logged value is recorded as an event.
class DisplayDevice final : public SidebarDevice,
                            public std::enable_shared_from_this<DisplayDevice> {
    Q_OBJECT
    Q_PROPERTY(QString localizedName READ localizedName NOTIFY localizedNameChanged)
    Q_PROPERTY(bool isMain READ isMain NOTIFY isMainChanged)
    Q_PROPERTY(QRectF frame READ frame NOTIFY frameChanged)
    Q_PROPERTY(QSizeF backingPixelSize READ backingPixelSize NOTIFY backingPixelSizeChanged)
public:
    // Creates the model from a framework display and records its "Discovered" event.
    static std::shared_ptr<DisplayDevice> create(AppContext& context,
                                                 std::shared_ptr<SXDisplay> display);

    QUuid uuid() const override { return uuid_; }
    DeviceEntry entry() override;
    QList<LoggedValue> loggedValues() const override;

    DisplayID id() const { return id_; }
    const std::shared_ptr<SXDisplay>& sxDisplay() const { return sxDisplay_; }
    const QString& localizedName() const { return localizedName_; }
    bool isMain() const { return isMain_; }
    const QRectF& frame() const { return frame_; }
    const SXAvailability& availability() const { return availability_; }
    // A symbol-image name, fixed at creation.
    const QString& symbolName() const { return symbolName_; }
    const QSizeF& backingPixelSize() const { return backingPixelSize_; }
    const std::optional<QSizeF>& nativePixelSize() const { return nativePixelSize_; }
    const std::optional<double>& refreshRate() const { return refreshRate_; }
    const std::optional<double>& backingScaleFactor() const { return backingScaleFactor_; }
    const std::optional<QString>& colorSpaceName() const { return colorSpaceName_; }
    const std::optional<QRectF>& visibleFrame() const { return visibleFrame_; }
    int modeCount() const { return modeCount_; }
    const std::optional<DisplayID>& mirrorOfID() const { return mirrorOfID_; }
    double rotation() const { return rotation_; }
    const QSizeF& physicalSize() const { return physicalSize_; }
    const std::optional<double>& maxPotentialEDRHeadroom() const {
        return maxPotentialEDRHeadroom_;
    }
    const std::optional<double>& currentEDRHeadroom() const { return currentEDRHeadroom_; }
    const std::optional<int>& bitsPerSample() const { return bitsPerSample_; }
    bool isBuiltIn() const { return isBuiltIn_; }

    // Adopts a newer framework object for the same display.
    void update(const std::shared_ptr<SXDisplay>& display);
    // Re-reads every value that comes from the display services or the screen, in a fixed order.
    void refreshScreenProperties();
    // Moves the display in the global arrangement, permanently; the display-services status.
    DisplayError setOrigin(std::int32_t x, std::int32_t y);

    void setAvailability(const SXAvailability& value);

signals:
    void sxDisplayChanged();
    void localizedNameChanged();
    void isMainChanged();
    void frameChanged();
    void availabilityChanged();
    void backingPixelSizeChanged();
    void screenPropertiesChanged();

private:
    DisplayDevice(AppContext& context, std::shared_ptr<SXDisplay> display);

    void subscribe(const std::shared_ptr<SXDisplay>& display);
    void setLocalizedName(const QString& value);
    void setIsMain(bool value);
    void setFrame(const QRectF& value);
    void recordChange(const QString& label, const QString& oldText, const QString& newText,
                      const QString& source) override;

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
    std::optional<QSizeF> nativePixelSize_;
    std::optional<double> refreshRate_;
    std::optional<double> backingScaleFactor_;
    std::optional<QString> colorSpaceName_;
    std::optional<QRectF> visibleFrame_;
    int modeCount_ = 0;
    std::optional<DisplayID> mirrorOfID_;
    double rotation_ = 0;
    QSizeF physicalSize_{0, 0};
    std::optional<double> maxPotentialEDRHeadroom_;
    std::optional<double> currentEDRHeadroom_;
    std::optional<int> bitsPerSample_;
    bool isBuiltIn_ = false;
    bool isRecording_ = false;  // off while the first values are read
    std::vector<Subscription> sxCancellables_;
    Subscription screenChangeObserver_;
};

}  // namespace tavrin
