#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/CaptureDevice.h"
#include "platform/PreviewFrameMailbox.h"
#include "platform/linux/SerialWorker.h"
#include "platform/linux/V4L2Enumeration.h"
#include "platform/linux/V4L2PreviewStream.h"
#include "platform/linux/V4L2System.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Who a camera is, as discovery found it.
struct V4L2CameraIdentity {
    QString uniqueID;
    QString node;  // "/dev/video0"
    QString localizedName;
    QString manufacturer;
    QString modelID;
    QString deviceType;
    std::int32_t transportType = 0;
    bool isVirtual = false;
    // Whether this user may open the node for reading and writing.
    bool isAuthorized = true;

    friend bool operator==(const V4L2CameraIdentity&, const V4L2CameraIdentity&) = default;
};

// A process that has a camera's node open.
using V4L2Opener = CaptureDeviceOpener;

// One camera over our own open handle of its node. Every ioctl runs on the camera's worker
// thread: the main thread only posts, and waits on an answer (the lock) for at most 40 ms. What
// the getters return is the state the worker last read, so they never touch the device.
//
// The configuration lock is the record priority on our handle (VIDIOC_S_PRIORITY): another
// holder makes taking it fail, and while we hold it other handles' changes answer EBUSY. The
// preview streams on the same handle, since a second handle of ours could not allocate buffers
// while the first holds the priority; its capture loop runs on the worker between commands.
// Observers are told on the worker thread.
class V4L2Camera final : public CaptureDevice, public std::enable_shared_from_this<V4L2Camera> {
public:
    // Takes over `fd` (-1 for a node we may not open) and reads the formats before returning:
    // a camera is listed complete or not at all.
    static std::shared_ptr<V4L2Camera> make(V4L2System& system, V4L2CameraIdentity identity,
                                            int fd);
    ~V4L2Camera() override;

    V4L2CameraIdentity identity() const;

    // Re-reads the active format, the controls and whether anyone streams; called by the
    // backend on node activity and periodically.
    void refresh(const QList<V4L2Opener>& openers);
    // The node is gone: the preview ends, the lock is given up, the handle closed.
    void disconnect();
    // The same camera is back, perhaps on another node: takes over `fd` as `make` does, and
    // reads the formats before returning. Whoever kept this object sees it connected again.
    void reconnect(V4L2CameraIdentity identity, int fd);
    // After `reconnect`: takes the record priority again if we held it when the camera went
    // and haven't given up the lock since.
    void retakeConfigurationLock();
    // Another descriptor of our handle, for control calls that must be made with its priority
    // (ours while we hold the configuration lock), or -errno. Any thread; never waits on the
    // device.
    int duplicateHandle();
    bool isRunningSomewhere() const;
    QList<V4L2Opener> openers() const;
    // Adds a preview; the stream starts with the first and stops when the last is removed.
    void addPreview(std::shared_ptr<PreviewFrameMailbox> mailbox);
    void removePreview(const std::shared_ptr<PreviewFrameMailbox>& mailbox);

    QString uniqueID() const override { return identity().uniqueID; }
    QString deviceType() const override { return identity().deviceType; }
    std::int32_t transportType() const override { return identity().transportType; }
    CameraPosition position() const override { return CameraPosition::unspecified; }
    QList<CaptureFormat> formats() const override;
    CaptureFormat activeFormat() const override;
    MediaTime activeVideoMinFrameDuration() const override;
    MediaTime activeVideoMaxFrameDuration() const override;
    int activeColorSpace() const override;
    bool isConnected() const override;
    bool isSuspended() const override;
    bool isInUseByAnotherApplication() const override;
    // Video effects have no V4L2 counterpart.
    bool isCenterStageActive() const override { return false; }
    bool isPortraitEffectActive() const override { return false; }
    bool isStudioLightActive() const override { return false; }
    bool isBackgroundReplacementActive() const override { return false; }
    bool canPerformReactionEffects() const override { return false; }
    int exposureMode() const override;
    int focusMode() const override;
    int whiteBalanceMode() const override;
    bool isExposureModeSupported(int mode) const override;
    bool isFocusModeSupported(int mode) const override;
    bool isWhiteBalanceModeSupported(int mode) const override;
    QList<CaptureDeviceOpener> openedBy() const override { return openers(); }
    QList<CaptureInputSource> inputSources() const override { return {}; }
    std::optional<CaptureInputSource> activeInputSource() const override { return std::nullopt; }
    bool hasConfigurationLock() const override { return true; }
    std::optional<CaptureError> lockForConfiguration() override;
    void unlockForConfiguration() override;
    void setActiveFormat(const CaptureFormat& format) override;
    void setActiveVideoMinFrameDuration(const MediaTime& duration) override;
    void setActiveVideoMaxFrameDuration(const MediaTime& duration) override;
    void setActiveColorSpace(int) override {}
    void setExposureMode(int mode) override;
    void setFocusMode(int mode) override;
    void setWhiteBalanceMode(int mode) override;
    void setActiveInputSource(const CaptureInputSource&) override {}
    Subscription observe(const QString& keyPath, std::function<void()> onChange) override;

    // Key paths of our own, observed like the capture key paths: whether anyone (this process
    // too) streams, and who has the node open.
    static inline const QString runningSomewhereKeyPath = QStringLiteral("v4l2.runningSomewhere");
    static inline const QString openersKeyPath = QStringLiteral("v4l2.openers");

    // How long the main thread waits for the worker's answer to a lock request.
    static constexpr std::chrono::milliseconds answerWait{40};

private:
    struct State {
        QList<CaptureFormat> formats;
        CaptureFormat activeFormat;
        MediaTime frameDuration;
        int colorSpace = 0;
        V4L2Controls controls;
        bool connected = true;
        bool runningSomewhere = false;
        bool previewing = false;
        QList<V4L2Opener> openers;
    };
    struct Observation {
        QString keyPath;
        std::function<void()> onChange;
    };
    struct Observations {
        std::uint64_t nextID = 0;
        QHash<std::uint64_t, std::shared_ptr<const Observation>> byID;
    };

    V4L2Camera(V4L2System& system, V4L2CameraIdentity identity, int fd);

    static QList<CaptureFormat> readFormats(V4L2System& system, int fd);
    QString node() const { return identity().node; }

    // Worker thread only. Replaces (and closes) our handle.
    void setHandle(int fd);
    void readActive(State& state);
    void probeStreaming(State& state);
    std::optional<CaptureError> takePriority();
    void releasePriority();
    void setControl(std::uint32_t id, std::int32_t value);
    void change(const std::function<void(State&)>& body);
    void update(const std::function<void(State&)>& read);
    void runPreviewStep();
    void endPreviews(const QString& reason);

    static QString keyPathValue(const State& state, const QString& keyPath, std::int32_t ownPID);

    V4L2System& system_;
    // A camera plugged back in may come back on another node.
    Mutex<V4L2CameraIdentity> identity_;
    // Changed on the worker only, under the lock, so that another thread may duplicate it.
    std::mutex handleMutex_;
    int fd_;
    Mutex<State> state_;
    Mutex<Observations> observations_;
    Mutex<QList<std::shared_ptr<PreviewFrameMailbox>>> previews_;
    // Worker thread only.
    bool holdsPriority_ = false;
    // Held when the camera went; taken again when it comes back.
    bool priorityToRetake_ = false;
    std::unique_ptr<V4L2PreviewStream> stream_;
    // Last: its thread stops first, before anything it uses goes.
    std::unique_ptr<SerialWorker> worker_;
};

}  // namespace tavrin
