#pragma once

#include <QSet>
#include <QStringList>

#include "platform/SymbolCatalog.h"

namespace tavrin {

class FakeSymbolCatalog final : public SymbolCatalog {
public:
    explicit FakeSymbolCatalog(const QStringList& names = {})
        : names_(names.begin(), names.end()) {}

    bool hasSymbol(const QString& name) const override { return names_.contains(name); }

private:
    QSet<QString> names_;
};

}  // namespace tavrin
