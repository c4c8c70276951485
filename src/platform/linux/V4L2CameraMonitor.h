#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/linux/V4L2Camera.h"
#include "platform/linux/V4L2System.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Finds the cameras among the video nodes and follows them on a thread of its own: a pass runs
// at start, whenever a node comes, goes, is opened or closed (udev, inotify), and every
// `period` otherwise. A pass opens new nodes, keeps those with video capture (one per physical
// camera: a second capture node of the same driver and bus is skipped), disconnects cameras
// whose node went, and asks every camera to re-read its state and who has it open. A camera
// that comes back (the same unique ID) is the same object again, connected, so whoever kept it
// follows it on.
class V4L2CameraMonitor {
public:
    using Cameras = QList<std::shared_ptr<V4L2Camera>>;
    // Called on the monitor thread after every pass with the cameras then listed.
    using PassHandler = std::function<void(const Cameras& cameras)>;

    V4L2CameraMonitor(V4L2System& system, std::int32_t ownPID,
                      std::chrono::milliseconds period = std::chrono::seconds(2));
    ~V4L2CameraMonitor();

    // Handlers are added before `start`.
    void addPassHandler(PassHandler handler);
    void start();
    // Ends the monitor thread; no handler is called after this returns.
    void stop();
    // Whether the first pass ended within `timeout`.
    bool waitForFirstPass(std::chrono::milliseconds timeout);

    Cameras cameras() const;
    std::shared_ptr<V4L2Camera> camera(const QString& uniqueID) const;

private:
    void run();
    void pass();
    std::shared_ptr<V4L2Camera> discover(const QString& nodeName);
    std::shared_ptr<V4L2Camera> revivedOrMade(V4L2CameraIdentity identity, int fd);

    V4L2System& system_;
    const std::int32_t ownPID_;
    const std::chrono::milliseconds period_;
    QList<PassHandler> handlers_;
    // Monitor thread only: every node seen, with its camera or none (not a camera, or a second
    // node of one), and the driver and bus of each camera's node.
    QHash<QString, std::shared_ptr<V4L2Camera>> nodes_;
    QHash<QString, QString> groupOfNode_;
    // Monitor thread only: the cameras that went, by unique ID.
    QHash<QString, std::shared_ptr<V4L2Camera>> gone_;
    // Monitor thread only: the cameras revived during the current pass.
    QList<std::shared_ptr<V4L2Camera>> revived_;
    Mutex<Cameras> cameras_;
    std::mutex passMutex_;
    std::condition_variable passDone_;
    bool firstPassDone_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tavrin
