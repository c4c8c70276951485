#pragma once

#include <QObject>
#include <QString>
#include <QUuid>

namespace tavrin {

// What one window tab shows and which live features are on in it: the selected device, the
// sidebar's filter, the camera preview and microphone meter switches, and whether the event log
// is expanded. Nothing of it persists. A setter given the current value stores nothing and
// notifies nobody. Main thread.
class WindowState final : public QObject {
    Q_OBJECT
    // A null uuid is no selection.
    Q_PROPERTY(QUuid selection READ selection WRITE setSelection NOTIFY selectionChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool cameraPreviewEnabled READ isCameraPreviewEnabled WRITE setCameraPreviewEnabled
                   NOTIFY cameraPreviewEnabledChanged)
    Q_PROPERTY(bool cameraPreviewMirrored READ isCameraPreviewMirrored WRITE
                   setCameraPreviewMirrored NOTIFY cameraPreviewMirroredChanged)
    Q_PROPERTY(bool microphoneMeterEnabled READ isMicrophoneMeterEnabled WRITE
                   setMicrophoneMeterEnabled NOTIFY microphoneMeterEnabledChanged)
    Q_PROPERTY(
        bool isLogExpanded READ isLogExpanded WRITE setLogExpanded NOTIFY isLogExpandedChanged)
public:
    using QObject::QObject;

    const QUuid& selection() const { return selection_; }
    const QString& searchText() const { return searchText_; }
    bool isCameraPreviewEnabled() const { return cameraPreviewEnabled_; }
    bool isCameraPreviewMirrored() const { return cameraPreviewMirrored_; }
    bool isMicrophoneMeterEnabled() const { return microphoneMeterEnabled_; }
    bool isLogExpanded() const { return isLogExpanded_; }

    void setSelection(const QUuid& value);
    void setSearchText(const QString& value);
    void setCameraPreviewEnabled(bool value);
    void setCameraPreviewMirrored(bool value);
    void setMicrophoneMeterEnabled(bool value);
    void setLogExpanded(bool value);

signals:
    void selectionChanged();
    void searchTextChanged();
    void cameraPreviewEnabledChanged();
    void cameraPreviewMirroredChanged();
    void microphoneMeterEnabledChanged();
    void isLogExpandedChanged();

private:
    QUuid selection_;
    QString searchText_;
    bool cameraPreviewEnabled_ = false;
    bool cameraPreviewMirrored_ = false;
    bool microphoneMeterEnabled_ = false;
    bool isLogExpanded_ = false;
};

}  // namespace tavrin
