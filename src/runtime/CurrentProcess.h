#pragma once

#include <cstdint>

namespace tavrin {

// This process's ID, as the OS services know it.
std::int32_t currentProcessID();

}  // namespace tavrin
