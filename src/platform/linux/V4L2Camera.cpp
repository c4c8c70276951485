#include "platform/linux/V4L2Camera.h"

#include <linux/videodev2.h>

#include <QLoggingCategory>
#include <cerrno>
#include <future>
#include <utility>

#include "platform/linux/V4L2Mapping.h"
#include "runtime/CurrentProcess.h"

Q_LOGGING_CATEGORY(lcV4L2Camera, "tavrin.v4l2.camera")

namespace tavrin {

namespace {

// The capture service's error for a device that refuses to be configured.
constexpr int deviceBusyError = -11818;
constexpr int notConnectedError = -11814;
// How long one capture step waits for a frame before the worker looks at its commands again.
constexpr int previewStepMs = 20;

CaptureError busyError(const QString& text) {
    return CaptureError{deviceBusyError, text};
}

}  // namespace

V4L2Camera::V4L2Camera(V4L2System& system, V4L2CameraIdentity identity, int fd)
    : system_(system), identity_(std::move(identity)), fd_(fd) {}

std::shared_ptr<V4L2Camera> V4L2Camera::make(V4L2System& system, V4L2CameraIdentity identity,
                                             int fd) {
    std::shared_ptr<V4L2Camera> camera(new V4L2Camera(system, std::move(identity), fd));
    if (fd >= 0) {
        camera->state_.withLock([&](State& state) {
            state.formats = readFormats(system, fd);
            camera->readActive(state);
        });
    }
    camera->worker_ = std::make_unique<SerialWorker>();
    return camera;
}

QList<CaptureFormat> V4L2Camera::readFormats(V4L2System& system, int fd) {
    const auto active = V4L2Enumeration::activeFormat(system, fd);
    const QList<int> colorSpaces{active ? V4L2Mapping::captureColorSpace(active->colorspace) : 0};
    return V4L2Enumeration::formats(system, fd, colorSpaces);
}

V4L2CameraIdentity V4L2Camera::identity() const {
    return identity_.withLock([](const V4L2CameraIdentity& identity) { return identity; });
}

void V4L2Camera::reconnect(V4L2CameraIdentity identity, int fd) {
    identity_.withLock([&](V4L2CameraIdentity& current) { current = std::move(identity); });
    auto formats = fd >= 0 ? readFormats(system_, fd) : QList<CaptureFormat>();
    worker_->post([this, fd, formats = std::move(formats)] {
        setHandle(fd);
        // Nothing read before it went stands: a node we may no longer open shows no format.
        change([&](State& state) {
            State fresh;
            fresh.formats = formats;
            readActive(fresh);
            state = fresh;
        });
    });
}

void V4L2Camera::retakeConfigurationLock() {
    worker_->post([this] {
        if (std::exchange(priorityToRetake_, false)) {
            if (const auto error = takePriority()) {
                qCWarning(lcV4L2Camera) << node() << "came back, but its configuration lock could "
                                        << "not be taken again:" << error->localizedDescription;
            }
        }
    });
}

V4L2Camera::~V4L2Camera() {
    worker_.reset();
    stream_.reset();
    if (fd_ >= 0) {
        system_.close(fd_);
    }
}

void V4L2Camera::readActive(State& state) {
    if (fd_ < 0) {
        return;
    }
    if (const auto active = V4L2Enumeration::activeFormat(system_, fd_)) {
        state.activeFormat = V4L2Enumeration::matchingFormat(state.formats, *active);
        state.frameDuration = active->frameDuration;
        state.colorSpace = V4L2Mapping::captureColorSpace(active->colorspace);
    }
    state.controls = V4L2Enumeration::controls(system_, fd_);
}

// Another handle owns the queue (it streams, or has buffers to) when our REQBUFS of zero
// buffers answers EBUSY; on a free queue it changes nothing. The kernel checks the priority
// first, so while another handle holds the record priority the answer says nothing about
// streaming: the last known value stays.
void V4L2Camera::probeStreaming(State& state) {
    if (fd_ < 0 || !state.connected) {
        state.runningSomewhere = false;
        return;
    }
    if (state.previewing) {
        state.runningSomewhere = true;
        return;
    }
    if (!holdsPriority_) {
        std::uint32_t priority = 0;
        if (system_.ioctl(fd_, VIDIOC_G_PRIORITY, &priority) == 0 &&
            priority == V4L2_PRIORITY_RECORD) {
            return;
        }
    }
    v4l2_requestbuffers request{};
    request.count = 0;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    state.runningSomewhere = system_.ioctl(fd_, VIDIOC_REQBUFS, &request) == -EBUSY;
}

void V4L2Camera::change(const std::function<void(State&)>& body) {
    static const QStringList keyPaths{CaptureKeyPath::formats,
                                      CaptureKeyPath::activeFormat,
                                      CaptureKeyPath::activeVideoMinFrameDuration,
                                      CaptureKeyPath::activeVideoMaxFrameDuration,
                                      CaptureKeyPath::activeColorSpace,
                                      CaptureKeyPath::connected,
                                      CaptureKeyPath::suspended,
                                      CaptureKeyPath::inUseByAnotherApplication,
                                      CaptureKeyPath::exposureMode,
                                      CaptureKeyPath::focusMode,
                                      CaptureKeyPath::whiteBalanceMode,
                                      runningSomewhereKeyPath,
                                      openersKeyPath};
    const auto ownPID = currentProcessID();
    QStringList changed;
    state_.withLock([&](State& state) {
        const auto before = state;
        body(state);
        for (const auto& keyPath : keyPaths) {
            if (keyPathValue(before, keyPath, ownPID) != keyPathValue(state, keyPath, ownPID)) {
                changed.append(keyPath);
            }
        }
    });
    if (changed.isEmpty()) {
        return;
    }
    const auto all = observations_.withLock([](const Observations& all) { return all.byID; });
    for (const auto& observation : all) {
        if (changed.contains(observation->keyPath)) {
            observation->onChange();
        }
    }
}

// The device is asked on a copy, outside the lock: a device that hangs must not hold up the
// getters, which the main thread calls. Only the worker writes the state, so the copy is current.
void V4L2Camera::update(const std::function<void(State&)>& read) {
    auto next = state_.withLock([](const State& state) { return state; });
    read(next);
    change([&](State& state) { state = std::move(next); });
}

QString V4L2Camera::keyPathValue(const State& state, const QString& keyPath, std::int32_t) {
    namespace Key = CaptureKeyPath;
    const auto format = [](const CaptureFormat& format) {
        return format ? QStringLiteral("%1 %2x%3")
                            .arg(format->mediaSubtype)
                            .arg(format->width)
                            .arg(format->height)
                      : QString();
    };
    if (keyPath == Key::formats) {
        QStringList all;
        for (const auto& entry : state.formats) {
            all.append(format(entry));
        }
        return all.join(QLatin1Char(','));
    }
    if (keyPath == Key::activeFormat) {
        return format(state.activeFormat);
    }
    if (keyPath == Key::activeVideoMinFrameDuration ||
        keyPath == Key::activeVideoMaxFrameDuration) {
        return QString::number(state.frameDuration.seconds(), 'g', 12);
    }
    if (keyPath == Key::activeColorSpace) {
        return QString::number(state.colorSpace);
    }
    if (keyPath == Key::connected) {
        return QString::number(state.connected);
    }
    if (keyPath == Key::suspended) {
        return QString::number(state.controls.privacy.value_or(false));
    }
    if (keyPath == Key::inUseByAnotherApplication) {
        return QString::number(state.runningSomewhere && !state.previewing);
    }
    if (keyPath == runningSomewhereKeyPath) {
        return QString::number(state.runningSomewhere);
    }
    if (keyPath == openersKeyPath) {
        QStringList openers;
        for (const auto& opener : state.openers) {
            openers.append(QString::number(opener.pid) + QLatin1Char(' ') + opener.name);
        }
        return openers.join(QLatin1Char('\n'));
    }
    if (keyPath == Key::exposureMode) {
        return QString::number(state.controls.exposureAuto.value_or(-1));
    }
    if (keyPath == Key::focusMode) {
        return QString::number(state.controls.focusAuto.value_or(-1));
    }
    if (keyPath == Key::whiteBalanceMode) {
        return QString::number(state.controls.whiteBalanceAuto.value_or(-1));
    }
    return {};
}

void V4L2Camera::refresh(const QList<V4L2Opener>& openers) {
    worker_->post([this, openers] {
        update([&](State& state) {
            if (state.connected) {
                readActive(state);
                probeStreaming(state);
                state.openers = openers;
            }
        });
    });
}

void V4L2Camera::disconnect() {
    worker_->post([this] {
        if (stream_) {
            stream_->stop();
        }
        worker_->setIdleStep({});
        endPreviews(V4L2PreviewStream::failureText(ENODEV));
        // The configuration lock outlives the handle: it is taken again if the camera comes
        // back before it is given up.
        priorityToRetake_ = holdsPriority_;
        holdsPriority_ = false;
        // Closed before anyone hears of it, so that no handle of ours outlives the news.
        stream_.reset();
        setHandle(-1);
        change([&](State& state) {
            state.connected = false;
            state.runningSomewhere = false;
            state.previewing = false;
            state.openers.clear();
        });
    });
}

void V4L2Camera::setHandle(int fd) {
    std::lock_guard lock(handleMutex_);
    if (fd_ >= 0) {
        system_.close(fd_);
    }
    fd_ = fd;
}

int V4L2Camera::duplicateHandle() {
    std::lock_guard lock(handleMutex_);
    return fd_ >= 0 ? system_.duplicate(fd_) : -ENODEV;
}

bool V4L2Camera::isRunningSomewhere() const {
    return state_.withLock([](const State& state) { return state.runningSomewhere; });
}

QList<V4L2Opener> V4L2Camera::openers() const {
    return state_.withLock([](const State& state) { return state.openers; });
}

QList<CaptureFormat> V4L2Camera::formats() const {
    return state_.withLock([](const State& state) { return state.formats; });
}

CaptureFormat V4L2Camera::activeFormat() const {
    return state_.withLock([](const State& state) { return state.activeFormat; });
}

MediaTime V4L2Camera::activeVideoMinFrameDuration() const {
    return state_.withLock([](const State& state) { return state.frameDuration; });
}

MediaTime V4L2Camera::activeVideoMaxFrameDuration() const {
    return activeVideoMinFrameDuration();  // V4L2 has one frame interval
}

int V4L2Camera::activeColorSpace() const {
    return state_.withLock([](const State& state) { return state.colorSpace; });
}

bool V4L2Camera::isConnected() const {
    return state_.withLock([](const State& state) { return state.connected; });
}

bool V4L2Camera::isSuspended() const {
    return state_.withLock(
        [](const State& state) { return state.controls.privacy.value_or(false); });
}

bool V4L2Camera::isInUseByAnotherApplication() const {
    return state_.withLock(
        [](const State& state) { return state.runningSomewhere && !state.previewing; });
}

// A camera without an auto control adjusts itself, as far as anyone can tell: it reports
// continuous, and no other mode.
int V4L2Camera::exposureMode() const {
    return state_.withLock([](const State& state) {
        return V4L2Mapping::exposureMode(state.controls.exposureAuto.value_or(V4L2_EXPOSURE_AUTO));
    });
}

int V4L2Camera::focusMode() const {
    return state_.withLock([](const State& state) {
        return V4L2Mapping::autoSwitchMode(state.controls.focusAuto.value_or(true));
    });
}

int V4L2Camera::whiteBalanceMode() const {
    return state_.withLock([](const State& state) {
        return V4L2Mapping::autoSwitchMode(state.controls.whiteBalanceAuto.value_or(true));
    });
}

bool V4L2Camera::isExposureModeSupported(int mode) const {
    return state_.withLock([&](const State& state) {
        if (!state.controls.exposureAuto) {
            return mode == 2;
        }
        return V4L2Mapping::exposureAutoValue(mode, state.controls.exposureAutoOffered).has_value();
    });
}

bool V4L2Camera::isFocusModeSupported(int mode) const {
    return state_.withLock([&](const State& state) {
        return state.controls.focusAuto ? V4L2Mapping::autoSwitchValue(mode).has_value()
                                        : mode == 2;
    });
}

bool V4L2Camera::isWhiteBalanceModeSupported(int mode) const {
    return state_.withLock([&](const State& state) {
        return state.controls.whiteBalanceAuto ? V4L2Mapping::autoSwitchValue(mode).has_value()
                                               : mode == 2;
    });
}

std::optional<CaptureError> V4L2Camera::takePriority() {
    const bool connected = state_.withLock([](const State& state) { return state.connected; });
    if (!connected || fd_ < 0) {
        return CaptureError{notConnectedError, QStringLiteral("the camera is not connected")};
    }
    if (holdsPriority_) {
        return std::nullopt;
    }
    std::uint32_t priority = V4L2_PRIORITY_RECORD;
    if (const int result = system_.ioctl(fd_, VIDIOC_S_PRIORITY, &priority); result != 0) {
        return busyError(result == -EBUSY
                             ? QStringLiteral("another process holds the camera's record priority")
                             : V4L2PreviewStream::failureText(-result));
    }
    holdsPriority_ = true;
    // With the priority ours, only another handle's queue makes the probe busy, and every
    // format change would be refused while it streams.
    State probe = state_.withLock([](const State& state) { return state; });
    probeStreaming(probe);
    if (probe.runningSomewhere && !probe.previewing) {
        releasePriority();
        return busyError(V4L2PreviewStream::failureText(EBUSY));
    }
    return std::nullopt;
}

void V4L2Camera::releasePriority() {
    priorityToRetake_ = false;
    if (!holdsPriority_ || fd_ < 0) {
        return;
    }
    std::uint32_t priority = V4L2_PRIORITY_DEFAULT;
    system_.ioctl(fd_, VIDIOC_S_PRIORITY, &priority);
    holdsPriority_ = false;
}

std::optional<CaptureError> V4L2Camera::lockForConfiguration() {
    // The answer is shared with the worker; if it comes too late, the worker gives the priority
    // back itself, so that no one holds a lock nobody knows of.
    struct Answer {
        std::mutex mutex;
        bool abandoned = false;
        std::promise<std::optional<CaptureError>> promise;
    };
    auto answer = std::make_shared<Answer>();
    auto future = answer->promise.get_future();
    worker_->post([this, answer] {
        auto result = takePriority();
        std::lock_guard lock(answer->mutex);
        if (answer->abandoned) {
            if (!result) {
                releasePriority();
            }
            return;
        }
        answer->promise.set_value(std::move(result));
    });
    if (future.wait_for(answerWait) == std::future_status::ready) {
        return future.get();
    }
    std::lock_guard lock(answer->mutex);
    if (future.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        return future.get();
    }
    answer->abandoned = true;
    qCWarning(lcV4L2Camera) << node() << "did not answer the lock request in time";
    return busyError(QStringLiteral("the camera doesn't answer"));
}

void V4L2Camera::unlockForConfiguration() {
    worker_->post([this] { releasePriority(); });
}

void V4L2Camera::setActiveFormat(const CaptureFormat& format) {
    if (!format) {
        return;
    }
    worker_->post([this, format] {
        if (fd_ < 0) {
            return;
        }
        // Our own stream holds the queue: it stops for the change and starts again in the new
        // format, as the driver allows no change while buffers exist.
        const bool restart = stream_ && stream_->isStreaming();
        if (restart) {
            stream_->stop();
        }
        v4l2_format requested{};
        requested.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (system_.ioctl(fd_, VIDIOC_G_FMT, &requested) == 0) {
            requested.fmt.pix.pixelformat = V4L2Mapping::pixelFormat(format->mediaSubtype);
            requested.fmt.pix.width = std::uint32_t(format->width);
            requested.fmt.pix.height = std::uint32_t(format->height);
            if (const int result = system_.ioctl(fd_, VIDIOC_S_FMT, &requested); result != 0) {
                qCWarning(lcV4L2Camera)
                    << node() << "refused the format:" << V4L2PreviewStream::failureText(-result);
            }
        }
        if (restart) {
            if (const auto failure = stream_->start()) {
                // As when the stream fails on its own: no capture step may run on without one.
                worker_->setIdleStep({});
                endPreviews(*failure);
                change([](State& state) { state.previewing = false; });
            }
        }
        update([&](State& state) { readActive(state); });
    });
}

void V4L2Camera::setActiveVideoMinFrameDuration(const MediaTime& duration) {
    if (!duration.isValid() || duration.value <= 0) {
        return;
    }
    worker_->post([this, duration] {
        if (fd_ < 0) {
            return;
        }
        v4l2_streamparm parameters{};
        parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        parameters.parm.capture.timeperframe = {std::uint32_t(duration.value),
                                                std::uint32_t(duration.timescale)};
        if (const int result = system_.ioctl(fd_, VIDIOC_S_PARM, &parameters); result != 0) {
            qCWarning(lcV4L2Camera)
                << node()
                << "refused the frame interval:" << V4L2PreviewStream::failureText(-result);
        }
        update([&](State& state) { readActive(state); });
    });
}

void V4L2Camera::setActiveVideoMaxFrameDuration(const MediaTime& duration) {
    if (duration == activeVideoMinFrameDuration()) {
        return;  // the one interval is already set
    }
    setActiveVideoMinFrameDuration(duration);
}

void V4L2Camera::setControl(std::uint32_t id, std::int32_t value) {
    worker_->post([this, id, value] {
        if (fd_ < 0) {
            return;
        }
        v4l2_control control{id, value};
        if (const int result = system_.ioctl(fd_, VIDIOC_S_CTRL, &control); result != 0) {
            qCWarning(lcV4L2Camera) << node() << "refused control" << Qt::hex << id
                                    << V4L2PreviewStream::failureText(-result);
        }
        update([&](State& state) { state.controls = V4L2Enumeration::controls(system_, fd_); });
    });
}

void V4L2Camera::setExposureMode(int mode) {
    const auto offered =
        state_.withLock([](const State& state) { return state.controls.exposureAutoOffered; });
    if (const auto value = V4L2Mapping::exposureAutoValue(mode, offered)) {
        setControl(V4L2_CID_EXPOSURE_AUTO, *value);
    }
}

void V4L2Camera::setFocusMode(int mode) {
    if (const auto on = V4L2Mapping::autoSwitchValue(mode)) {
        setControl(V4L2_CID_FOCUS_AUTO, *on ? 1 : 0);
    }
}

void V4L2Camera::setWhiteBalanceMode(int mode) {
    if (const auto on = V4L2Mapping::autoSwitchValue(mode)) {
        setControl(V4L2_CID_AUTO_WHITE_BALANCE, *on ? 1 : 0);
    }
}

Subscription V4L2Camera::observe(const QString& keyPath, std::function<void()> onChange) {
    auto observation =
        std::make_shared<const Observation>(Observation{keyPath, std::move(onChange)});
    const auto id = observations_.withLock([&](Observations& observations) {
        const auto id = observations.nextID++;
        observations.byID.insert(id, observation);
        return id;
    });
    return Subscription([observations = observations_, id] {
        observations.withLock([id](Observations& all) { all.byID.remove(id); });
    });
}

void V4L2Camera::addPreview(std::shared_ptr<PreviewFrameMailbox> mailbox) {
    const bool first = previews_.withLock([&](auto& previews) {
        previews.append(mailbox);
        return previews.size() == 1;
    });
    if (!first) {
        return;
    }
    worker_->post([this] {
        if (fd_ < 0) {
            endPreviews(V4L2PreviewStream::failureText(isConnected() ? EACCES : ENODEV));
            return;
        }
        if (!stream_) {
            stream_ = std::make_unique<V4L2PreviewStream>(system_, fd_);
        }
        if (const auto failure = stream_->start()) {
            endPreviews(*failure);
            return;
        }
        change([](State& state) {
            state.previewing = true;
            state.runningSomewhere = true;
        });
        worker_->setIdleStep([this] { runPreviewStep(); });
    });
}

void V4L2Camera::removePreview(const std::shared_ptr<PreviewFrameMailbox>& mailbox) {
    const bool last = previews_.withLock([&](auto& previews) {
        const bool had = previews.removeAll(mailbox) > 0;
        return had && previews.isEmpty();
    });
    if (!last) {
        return;
    }
    worker_->post([this] {
        if (!previews_.withLock([](const auto& previews) { return previews.isEmpty(); })) {
            return;  // a new preview came before the stream stopped
        }
        worker_->setIdleStep({});
        if (stream_) {
            stream_->stop();
        }
        update([&](State& state) {
            state.previewing = false;
            probeStreaming(state);
        });
    });
}

void V4L2Camera::runPreviewStep() {
    auto result = stream_->step(previewStepMs);
    if (auto* frame = std::get_if<PreviewFrame>(&result)) {
        const auto previews = previews_.withLock([](const auto& previews) { return previews; });
        for (const auto& mailbox : previews) {
            mailbox->deliver(*frame);
        }
    } else if (auto* failure = std::get_if<QString>(&result)) {
        worker_->setIdleStep({});
        stream_->stop();
        endPreviews(*failure);
        change([](State& state) { state.previewing = false; });
    }
}

void V4L2Camera::endPreviews(const QString& reason) {
    const auto previews =
        previews_.withLock([](auto& previews) { return std::exchange(previews, {}); });
    for (const auto& mailbox : previews) {
        mailbox->fail(reason);
    }
}

}  // namespace tavrin
