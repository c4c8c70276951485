#pragma once

#include <QString>

namespace tavrin {

// The system's catalogue of symbol images.
class SymbolCatalog {
public:
    virtual ~SymbolCatalog() = default;

    virtual bool hasSymbol(const QString& name) const = 0;
};

}  // namespace tavrin
