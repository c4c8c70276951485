#pragma once

#include "platform/ObjectPropertyService.h"

namespace tavrin {

// Property selectors and class IDs of the media I/O layer. Element 0 everywhere.
namespace MediaIOSelector {
inline constexpr FourCharCode ownedObjects = fourCC("ownd");
inline constexpr FourCharCode objectClass = fourCC("clas");
inline constexpr FourCharCode deviceUID = fourCC("uid ");
inline constexpr FourCharCode isRunningSomewhere = fourCC("gone");
}  // namespace MediaIOSelector

namespace MediaIOClass {
inline constexpr FourCharCode device = fourCC("adev");
inline constexpr FourCharCode stream = fourCC("astr");
}  // namespace MediaIOClass

}  // namespace tavrin
