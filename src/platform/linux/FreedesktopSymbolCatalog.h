#pragma once

#include <QString>
#include <optional>

#include "platform/SymbolCatalog.h"

namespace tavrin {

// The one table from the symbol names the application uses ("video", "mic.slash", ...) to the
// freedesktop icon names that stand for them on a Linux desktop. Absent for a name the table
// doesn't know.
std::optional<QString> freedesktopIconName(const QString& symbol);

// The symbol catalogue of a Linux desktop: a symbol exists when the table maps it, so the
// slashed variants answer as the table has them.
class FreedesktopSymbolCatalog final : public SymbolCatalog {
public:
    bool hasSymbol(const QString& name) const override;
};

}  // namespace tavrin
