#include "contract/V4L2Target.h"

#include <linux/videodev2.h>

#include <fcntl.h>
#include <QThread>

#include "support/ForwardingV4L2System.h"

#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxV4L2System.h"
#include "platform/linux/V4L2Mapping.h"

namespace tavrin::testing {

namespace {

std::uint32_t pixelFormat(const QString& fourcc) {
    return V4L2Mapping::pixelFormat(fourCharCodeFromText(fourcc).value_or(0));
}

class FakeTarget final : public V4L2Target {
public:
    FakeTarget()
        : system_(
              FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/v4l2-cameras.json"))
                  .value_or(QList<FakeV4L2NodeSpec>())) {}

    std::unique_ptr<V4L2System> makeSystem() override {
        return std::make_unique<ForwardingV4L2System>(system_);
    }
    V4L2System& otherHandles() override { return system_; }

    std::optional<std::int64_t> startForeignStream(const QString& node) override {
        streamFD_ = system_.openAs(node, foreignPID, foreignProcessName());
        v4l2_requestbuffers request{};
        request.count = 2;
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (streamFD_ < 0 || system_.ioctl(streamFD_, VIDIOC_REQBUFS, &request) != 0 ||
            system_.ioctl(streamFD_, VIDIOC_STREAMON, &type) != 0) {
            return std::nullopt;
        }
        return foreignPID;
    }
    void stopForeignStream() override {
        if (streamFD_ >= 0) {
            system_.close(streamFD_);
            streamFD_ = -1;
        }
    }
    bool foreignSetFormat(const QString& node, const QString& fourcc, int width,
                          int height) override {
        const int fd = system_.openAs(node, foreignPID + 1, QStringLiteral("v4l2-ctl"));
        v4l2_format format{};
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        format.fmt.pix.pixelformat = pixelFormat(fourcc);
        format.fmt.pix.width = std::uint32_t(width);
        format.fmt.pix.height = std::uint32_t(height);
        const bool accepted = fd >= 0 && system_.ioctl(fd, VIDIOC_S_FMT, &format) == 0;
        system_.close(fd);
        return accepted;
    }
    QString foreignProcessName() const override { return QStringLiteral("v4l2-ctl"); }

private:
    static constexpr std::int32_t foreignPID = 4242;
    FakeV4L2System system_;
    int streamFD_ = -1;
};

class VividTarget final : public V4L2Target {
public:
    ~VividTarget() override { stopForeignStream(); }

    std::unique_ptr<V4L2System> makeSystem() override {
        return std::make_unique<LinuxV4L2System>();
    }
    V4L2System& otherHandles() override { return system_; }

    std::optional<std::int64_t> startForeignStream(const QString& node) override {
        stream_ = std::make_unique<QProcess>();
        stream_->start(QStringLiteral("v4l2-ctl"),
                       {QStringLiteral("-d"), node, QStringLiteral("--stream-mmap")});
        if (!stream_->waitForStarted(5000)) {
            return std::nullopt;
        }
        return stream_->processId();
    }
    void stopForeignStream() override {
        if (stream_) {
            stream_->kill();
            stream_->waitForFinished(5000);
            stream_.reset();
        }
    }
    bool foreignSetFormat(const QString& node, const QString& fourcc, int width,
                          int height) override {
        QProcess process;
        process.start(QStringLiteral("v4l2-ctl"),
                      {QStringLiteral("-d"), node,
                       QStringLiteral("--set-fmt-video=width=%1,height=%2,pixelformat=%3")
                           .arg(width)
                           .arg(height)
                           .arg(fourcc)});
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
    QString foreignProcessName() const override { return QStringLiteral("v4l2-ctl"); }

private:
    LinuxV4L2System system_;
    std::unique_ptr<QProcess> stream_;
};

}  // namespace

std::unique_ptr<V4L2Target> V4L2Target::make(const QString& kind) {
    if (kind == QLatin1String("vivid")) {
        return std::make_unique<VividTarget>();
    }
    return std::make_unique<FakeTarget>();
}

}  // namespace tavrin::testing
