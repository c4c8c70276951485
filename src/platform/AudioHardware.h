#pragma once

#include "platform/ObjectPropertyService.h"

namespace tavrin {

// Property selectors of the audio hardware layer. Element 0 everywhere.
namespace AudioSelector {
inline constexpr FourCharCode devices = fourCC("dev#");
inline constexpr FourCharCode processes = fourCC("prs#");
inline constexpr FourCharCode translateUIDToDevice = fourCC("uidd");
inline constexpr FourCharCode defaultInputDevice = fourCC("dIn ");
inline constexpr FourCharCode deviceUID = fourCC("uid ");
inline constexpr FourCharCode isRunningSomewhere = fourCC("gone");
inline constexpr FourCharCode mute = fourCC("mute");
inline constexpr FourCharCode volumeScalar = fourCC("volm");
inline constexpr FourCharCode nominalSampleRate = fourCC("nsrt");
inline constexpr FourCharCode availableNominalSampleRates = fourCC("nsr#");
inline constexpr FourCharCode hogMode = fourCC("oink");
inline constexpr FourCharCode processIsRunningInput = fourCC("piri");
inline constexpr FourCharCode processDevices = fourCC("pdv#");
inline constexpr FourCharCode processPID = fourCC("ppid");
inline constexpr FourCharCode processBundleID = fourCC("pbid");
}  // namespace AudioSelector

}  // namespace tavrin
