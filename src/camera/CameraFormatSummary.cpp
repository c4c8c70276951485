#include "camera/CameraFormatSummary.h"

#include <algorithm>

#include "runtime/FourCharCode.h"
#include "runtime/RandomUuid.h"

namespace tavrin {

CameraFormatSummary CameraFormatSummary::make(const CaptureDeviceFormat& format) {
    CameraFormatSummary summary{
        makeRandomUuid(), format.width, format.height, 0, 0, fourCharCodeText(format.mediaSubtype)};
    if (!format.frameRateRanges.isEmpty()) {
        summary.minFPS = format.frameRateRanges.front().minFrameRate;
        summary.maxFPS = format.frameRateRanges.front().maxFrameRate;
        for (const auto& range : format.frameRateRanges) {
            summary.minFPS = std::min(summary.minFPS, range.minFrameRate);
            summary.maxFPS = std::max(summary.maxFPS, range.maxFrameRate);
        }
    }
    return summary;
}

}  // namespace tavrin
