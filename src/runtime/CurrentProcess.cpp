#include "runtime/CurrentProcess.h"

#include <unistd.h>

namespace tavrin {

std::int32_t currentProcessID() {
    return std::int32_t(::getpid());
}

}  // namespace tavrin
