#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "catalogue/SidebarDevice.h"
#include "platform/CaptureDevice.h"
#include "platform/SXCaptureSource.h"
#include "runtime/Subscription.h"

namespace tavrin {

class AppContext;

// What cameras and microphones share: the framework object and its five published values, the
// capture device of the same unique ID (looked up once, at creation), and whether the device is
// in use elsewhere. Every change of a logged field records one event for `uuid`.
class CaptureSourceDevice : public SidebarDevice {
    Q_OBJECT
    Q_PROPERTY(QString localizedName READ localizedName NOTIFY localizedNameChanged)
    Q_PROPERTY(QString manufacturer READ manufacturer NOTIFY manufacturerChanged)
    Q_PROPERTY(QString modelID READ modelID NOTIFY modelIDChanged)
    Q_PROPERTY(bool isVirtual READ isVirtual NOTIFY isVirtualChanged)
    Q_PROPERTY(bool isInUseByAnotherApplication READ isInUseByAnotherApplication NOTIFY
                   isInUseByAnotherApplicationChanged)
    Q_PROPERTY(bool isRunningSomewhere READ isRunningSomewhere NOTIFY isRunningSomewhereChanged)
public:
    ~CaptureSourceDevice() override;

    // The capture device's unique ID, the framework's `id`.
    const QString& id() const { return id_; }
    QUuid uuid() const override { return uuid_; }
    // Availability and usage; the kinds add their own.
    QList<LoggedValue> loggedValues() const override;
    // Absent when the capture service had no device of this ID at creation.
    const std::shared_ptr<CaptureDevice>& avDevice() const { return avDevice_; }

    const QString& localizedName() const { return localizedName_; }
    const QString& manufacturer() const { return manufacturer_; }
    const QString& modelID() const { return modelID_; }
    bool isVirtual() const { return isVirtual_; }
    const SXAvailability& availability() const { return availability_; }
    bool isInUseByAnotherApplication() const { return isInUseByAnotherApplication_; }
    bool isRunningSomewhere() const { return isRunningSomewhere_; }

    // Written by the device's own observers; the discovery also marks a departed device
    // `notConnected`.
    void setAvailability(const SXAvailability& value);
    void setIsInUseByAnotherApplication(bool value);
    void setIsRunningSomewhere(bool value);

signals:
    void sourceObjectChanged();
    void localizedNameChanged();
    void manufacturerChanged();
    void modelIDChanged();
    void isVirtualChanged();
    void availabilityChanged();
    void isInUseByAnotherApplicationChanged();
    void isRunningSomewhereChanged();

protected:
    CaptureSourceDevice(AppContext& context, std::shared_ptr<SXCaptureSource> source);

    const std::shared_ptr<SXCaptureSource>& sourceObject() const { return source_; }

    // Follows the framework object's published values; ends the subscriptions to an earlier one.
    void subscribe(const std::shared_ptr<SXCaptureSource>& source);
    // Adopts a newer framework object for the same ID: stores it and its values, and follows it
    // when it is a different object.
    void adopt(const std::shared_ptr<SXCaptureSource>& source);

    // Runs `reread` on the main thread after each change of the capture device's key path, while
    // this device still exists. Notifications arrive on another thread.
    void observeKeyPath(const QString& keyPath, std::function<void()> reread);

    // The usage flags' first values, set at creation before anyone observes and without events.
    void initializeUsage(bool isInUseByAnotherApplication, bool isRunningSomewhere);

    void recordEvent(const QString& message, const QString& source);
    void recordChange(const QString& label, const QString& oldText, const QString& newText,
                      const QString& source) override;
    // "in use" or "idle", as the discovery event tells the usage.
    QString usagePart() const;
    // "type=..." and "transport='...'" of the discovery event, with a capture device only.
    QStringList captureDeviceDiscoveryParts() const;

    AppContext& context_;

private:
    void setLocalizedName(const QString& value);
    void setManufacturer(const QString& value);
    void setModelID(const QString& value);
    void setIsVirtual(bool value);

    const QString id_;
    const QUuid uuid_;
    std::shared_ptr<SXCaptureSource> source_;
    const std::shared_ptr<CaptureDevice> avDevice_;
    QString localizedName_;
    QString manufacturer_;
    QString modelID_;
    bool isVirtual_ = false;
    SXAvailability availability_;
    bool isInUseByAnotherApplication_ = false;
    bool isRunningSomewhere_ = false;
    std::vector<Subscription> sxCancellables_;
    std::vector<Subscription> kvoObservers_;
};

}  // namespace tavrin
