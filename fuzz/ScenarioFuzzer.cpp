// Feeds untrusted bytes to the scenario parser: whatever a file says, it is read or refused with a
// line inside the file, never a crash, an endless loop or a sanitizer report.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "lab/Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = tavrin::Scenario::parse(bytes);
    if (const auto* error = std::get_if<tavrin::ScenarioError>(&result)) {
        if (error->line < 0 || error->line > bytes.count('\n') + 1 || error->reason.isEmpty()) {
            __builtin_trap();
        }
    } else if (std::get<tavrin::Scenario>(result).steps.size() > tavrin::Scenario::maxSteps) {
        __builtin_trap();
    }
    return 0;
}
