#pragma once

#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "platform/CameraPreview.h"
#include "platform/linux/V4L2System.h"

struct v4lconvert_data;

namespace tavrin {

// Memory-mapped streaming of a node's active format, converted to RGB by libv4lconvert. Every
// call is made on the one thread that owns the handle (the camera's worker).
class V4L2PreviewStream {
public:
    V4L2PreviewStream(V4L2System& system, int fd);
    ~V4L2PreviewStream();
    V4L2PreviewStream(const V4L2PreviewStream&) = delete;
    V4L2PreviewStream& operator=(const V4L2PreviewStream&) = delete;

    // Allocates, maps and queues the buffers and starts streaming; a text for the user when the
    // driver refuses ("device busy: another process is streaming").
    std::optional<QString> start();
    // Waits up to `timeoutMs` for a frame. A frame, nothing (no frame yet, or one that could not
    // be converted), or the text of a failure that ended the stream.
    using StepResult = std::variant<std::monostate, PreviewFrame, QString>;
    StepResult step(int timeoutMs);
    // Stops streaming and gives the buffers back. Safe to call when not started.
    void stop();
    bool isStreaming() const { return streaming_; }

    // The text of a failed call, for the user.
    static QString failureText(int error);

private:
    struct Buffer {
        void* address = nullptr;
        std::size_t length = 0;
    };

    V4L2System& system_;
    const int fd_;
    v4lconvert_data* converter_ = nullptr;
    std::vector<Buffer> buffers_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t pixelFormat_ = 0;
    std::uint32_t bytesPerLine_ = 0;
    std::uint32_t sizeImage_ = 0;
    bool streaming_ = false;
};

}  // namespace tavrin
