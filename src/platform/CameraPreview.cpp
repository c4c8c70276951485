#include "platform/CameraPreview.h"

namespace tavrin {

bool PreviewFrame::isDrawable() const {
    if (size.width() <= 0 || size.height() <= 0) {
        return false;
    }
    const qint64 pixelBytes = layout == Layout::xrgb32 ? 4 : 3;
    const qint64 rowBytes = qint64(size.width()) * pixelBytes;
    if (bytesPerLine < rowBytes) {
        return false;
    }
    // The last row needs only its pixels, not the full stride.
    return qint64(pixels.size()) >= qint64(bytesPerLine) * (size.height() - 1) + rowBytes;
}

}  // namespace tavrin
