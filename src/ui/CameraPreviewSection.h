#pragma once

#include <QWidget>
#include <memory>

#include "runtime/Subscription.h"

class QLabel;
class QPushButton;
class QStackedLayout;

namespace tavrin {

class CameraDevice;
class OnScreenWatch;
class CameraPreviewView;
class DeviceEventLog;
class DeviceFramework;
class SXAuthorizationStatus;
class WindowState;

// The live picture at the top of a camera's page. The preview runs only while the section is
// on screen, camera access is granted and the window's preview switch is on; opening the camera
// is itself a provocation, so every window starts with it off.
class CameraPreviewSection final : public QWidget {
    Q_OBJECT
public:
    enum class Content { access, preview, off };

    static constexpr int minimumPictureHeight = 180;
    static constexpr int maximumPictureHeight = 420;

    CameraPreviewSection(std::shared_ptr<CameraDevice> camera, WindowState& state,
                         SXAuthorizationStatus& authorization, DeviceEventLog& log,
                         DeviceFramework& framework, QWidget* parent = nullptr);
    ~CameraPreviewSection() override;

    Content content() const;
    bool isPreviewRunning() const { return preview_.isActive(); }
    CameraPreviewView* pictureView() const { return picture_; }
    QPushButton* enableButton() const { return enable_; }
    QPushButton* allowButton() const { return allow_; }
    // Why the stream stopped or never started; empty while it runs.
    QString failureText() const;

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeAccessPage();
    QWidget* makePreviewPage();
    QWidget* makeOffPage();
    void updatePreview();
    void refresh();
    void enablePreview();

    std::shared_ptr<CameraDevice> camera_;
    WindowState& state_;
    SXAuthorizationStatus& authorization_;
    DeviceEventLog& log_;
    DeviceFramework& framework_;
    bool isAuthorized_ = false;
    OnScreenWatch* onScreen_;
    // The width the height was last set for; -1 before the first.
    int sizedForWidth_ = -1;
    QStackedLayout* pages_ = nullptr;
    QWidget* accessPage_ = nullptr;
    QWidget* previewPage_ = nullptr;
    QWidget* offPage_ = nullptr;
    CameraPreviewView* picture_ = nullptr;
    QLabel* failure_ = nullptr;
    QPushButton* allow_ = nullptr;
    QPushButton* enable_ = nullptr;
    Subscription authorizationSubscription_;
    Subscription preview_;
};

}  // namespace tavrin
