#pragma once

#include <QProcess>
#include <QString>
#include <memory>
#include <optional>

#include "platform/linux/V4L2System.h"

namespace tavrin::testing {

// What the camera contract runs against: the fake V4L2 device of the camera fixture, or the
// kernel's vivid driver (TAVRIN_VIVID=1: vivid is loaded, its nodes are /dev/video*, and
// v4l2-ctl is on PATH). "Another process" is a handle of the fake's under another PID, or a
// v4l2-ctl process on the kernel.
class V4L2Target {
public:
    virtual ~V4L2Target() = default;
    static std::unique_ptr<V4L2Target> make(const QString& kind);

    // The seam for the platform under test. The target keeps what it forwards to.
    virtual std::unique_ptr<V4L2System> makeSystem() = 0;
    // A seam for handles of the test's own, which the platform doesn't know of.
    virtual V4L2System& otherHandles() = 0;

    // Another process streams from `node` until `stopForeignStream`; its PID.
    virtual std::optional<std::int64_t> startForeignStream(const QString& node) = 0;
    virtual void stopForeignStream() = 0;
    // Another process sets a format; whether the driver took it.
    virtual bool foreignSetFormat(const QString& node, const QString& fourcc, int width,
                                  int height) = 0;
    // The name a foreign streaming process is listed under.
    virtual QString foreignProcessName() const = 0;
};

}  // namespace tavrin::testing
