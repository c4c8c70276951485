#pragma once

#include <QUuid>

namespace tavrin {

// A random (version 4) UUID from a per-thread generator seeded once from the system's entropy.
// QUuid::createUuid asks the system for every UUID, which costs a system call each time and
// would dominate recording an event.
QUuid makeRandomUuid();

}  // namespace tavrin
