#include "platform/linux/V4L2CameraMonitor.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "platform/linux/V4L2Discovery.h"

namespace tavrin {

V4L2CameraMonitor::V4L2CameraMonitor(V4L2System& system, std::int32_t ownPID,
                                     std::chrono::milliseconds period)
    : system_(system), ownPID_(ownPID), period_(period) {}

V4L2CameraMonitor::~V4L2CameraMonitor() {
    stop();
}

void V4L2CameraMonitor::stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        system_.interruptWait();
        thread_.join();
    }
}

void V4L2CameraMonitor::addPassHandler(PassHandler handler) {
    handlers_.append(std::move(handler));
}

void V4L2CameraMonitor::start() {
    thread_ = std::thread([this] { run(); });
}

bool V4L2CameraMonitor::waitForFirstPass(std::chrono::milliseconds timeout) {
    std::unique_lock lock(passMutex_);
    return passDone_.wait_for(lock, timeout, [&] { return firstPassDone_; });
}

V4L2CameraMonitor::Cameras V4L2CameraMonitor::cameras() const {
    return cameras_.withLock([](const Cameras& cameras) { return cameras; });
}

std::shared_ptr<V4L2Camera> V4L2CameraMonitor::camera(const QString& uniqueID) const {
    return cameras_.withLock([&](const Cameras& cameras) -> std::shared_ptr<V4L2Camera> {
        for (const auto& camera : cameras) {
            if (camera->uniqueID() == uniqueID) {
                return camera;
            }
        }
        return nullptr;
    });
}

void V4L2CameraMonitor::run() {
    while (!stopping_) {
        pass();
        {
            std::lock_guard lock(passMutex_);
            firstPassDone_ = true;
        }
        passDone_.notify_all();
        if (stopping_) {
            break;
        }
        system_.waitForNodeActivity(period_);
    }
}

std::shared_ptr<V4L2Camera> V4L2CameraMonitor::discover(const QString& nodeName) {
    const auto path = QStringLiteral("/dev/") + nodeName;
    const int fd = system_.open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd == -EACCES || fd == -EPERM) {
        // Listed, not authorized: the access request says what to change.
        if (!V4L2Discovery::isFirstNodeOfDevice(system_, nodeName)) {
            return nullptr;
        }
        return revivedOrMade(V4L2Discovery::identify(system_, nodeName, {}), -1);
    }
    if (fd < 0) {
        return nullptr;
    }
    const auto capabilities = V4L2Enumeration::queryCapabilities(system_, fd);
    if (!capabilities || !capabilities->isVideoCapture()) {
        system_.close(fd);
        return nullptr;
    }
    const auto group = capabilities->driver + QLatin1Char('\x1f') + capabilities->busInfo;
    for (auto known = groupOfNode_.cbegin(); known != groupOfNode_.cend(); ++known) {
        if (known.value() == group && nodes_.value(known.key())) {
            system_.close(fd);  // the same camera's second capture node
            return nullptr;
        }
    }
    groupOfNode_.insert(nodeName, group);
    return revivedOrMade(V4L2Discovery::identify(system_, nodeName, capabilities), fd);
}

std::shared_ptr<V4L2Camera> V4L2CameraMonitor::revivedOrMade(V4L2CameraIdentity identity, int fd) {
    if (auto camera = gone_.take(identity.uniqueID)) {
        camera->reconnect(std::move(identity), fd);
        revived_.append(camera);
        return camera;
    }
    return V4L2Camera::make(system_, std::move(identity), fd);
}

void V4L2CameraMonitor::pass() {
    const auto present = V4L2Discovery::videoNodes(system_);
    bool changed = false;
    for (auto node = nodes_.begin(); node != nodes_.end();) {
        if (present.contains(node.key())) {
            ++node;
            continue;
        }
        if (const auto& camera = node.value()) {
            camera->disconnect();
            gone_.insert(camera->uniqueID(), camera);
            changed = true;
        }
        groupOfNode_.remove(node.key());
        node = nodes_.erase(node);
    }
    for (const auto& name : present) {
        if (nodes_.contains(name) || stopping_) {
            continue;
        }
        auto camera = discover(name);
        changed = changed || camera;
        nodes_.insert(name, std::move(camera));
    }
    // A camera that went and that nobody kept can't come back to anyone.
    for (auto gone = gone_.begin(); gone != gone_.end();) {
        gone = gone.value().use_count() == 1 ? gone_.erase(gone) : std::next(gone);
    }
    Cameras cameras;
    QStringList paths;
    for (const auto& name : present) {
        if (const auto& camera = nodes_.value(name)) {
            cameras.append(camera);
            paths.append(camera->identity().node);
        }
    }
    if (changed) {
        cameras_.withLock([&](Cameras& all) { all = cameras; });
    }
    auto openers = V4L2Discovery::openers(system_, paths);
    for (const auto& camera : cameras) {
        auto others = openers.value(camera->identity().node);
        others.removeIf([&](const V4L2Opener& opener) { return opener.pid == ownPID_; });
        camera->refresh(others);
    }
    for (const auto& handler : handlers_) {
        handler(cameras);
    }
    // Only now, when every handler knows the camera again: whoever reaches it through us
    // (the UVC controls) must be able to use the handle that holds the lock.
    for (const auto& camera : std::exchange(revived_, {})) {
        camera->retakeConfigurationLock();
    }
}

}  // namespace tavrin
