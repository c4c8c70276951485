#include "ui/ToolbarConfiguration.h"

#include "ui/Settings.h"
#include "ui/ToolbarItems.h"

namespace tavrin {

ToolbarConfiguration::ToolbarConfiguration(QObject* parent)
    : QObject(parent), items_(ToolbarItem::defaultItems()) {
    auto* settings = openSettings();
    const auto stored = settings->value(SettingsKey::toolbar);
    if (stored.isValid() && stored.canConvert<QStringList>() &&
        (stored.typeId() == QMetaType::QStringList || stored.typeId() == QMetaType::QVariantList)) {
        if (const auto items = sanitizedToolbarItems(stored.toStringList())) {
            items_ = *items;
        }
    }
    const auto shown = settings->value(SettingsKey::toolbarShown);
    if (shown.typeId() == QMetaType::Bool ||
        (shown.typeId() == QMetaType::QString && (shown.toString() == QLatin1String("true") ||
                                                  shown.toString() == QLatin1String("false")))) {
        isShown_ = shown.toBool();
    }
}

void ToolbarConfiguration::setItems(const QStringList& items) {
    const auto sanitized = sanitizedToolbarItems(items).value_or(ToolbarItem::defaultItems());
    if (sanitized == items_) {
        return;
    }
    items_ = sanitized;
    openSettings()->setValue(SettingsKey::toolbar, items_);
    emit itemsChanged();
}

void ToolbarConfiguration::restoreDefaults() {
    setItems(ToolbarItem::defaultItems());
}

void ToolbarConfiguration::setShown(bool shown) {
    if (shown == isShown_) {
        return;
    }
    isShown_ = shown;
    openSettings()->setValue(SettingsKey::toolbarShown, shown);
    emit isShownChanged();
}

}  // namespace tavrin
