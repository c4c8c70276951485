#include "platform/linux/FreedesktopSymbolCatalog.h"

#include <QHash>

namespace tavrin {

namespace {

const QHash<QString, QString>& symbolTable() {
    static const QHash<QString, QString> table{
        // Device kinds, and their unavailable look.
        {QStringLiteral("video"), QStringLiteral("camera-web-symbolic")},
        {QStringLiteral("video.slash"), QStringLiteral("camera-off")},
        {QStringLiteral("mic"), QStringLiteral("audio-input-microphone")},
        {QStringLiteral("mic.slash"), QStringLiteral("microphone-sensitivity-muted")},
        {QStringLiteral("display"), QStringLiteral("monitor")},
        {QStringLiteral("laptopcomputer"), QStringLiteral("computer-laptop")},
        // Status and placeholders.
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("data-warning")},
        {QStringLiteral("camera.metering.center.weighted"),
         QStringLiteral("camera-photo-symbolic")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("configure")},
        {QStringLiteral("list.bullet.rectangle"), QStringLiteral("view-list-details")},
        // The event log pane's header.
        {QStringLiteral("list.bullet.rectangle.portrait"), QStringLiteral("view-list-text")},
        {QStringLiteral("rectangle.bottomthird.inset.filled"),
         QStringLiteral("view-split-top-bottom")},
        // Toolbar and menus.
        {QStringLiteral("sidebar.left"), QStringLiteral("sidebar-collapse")},
        {QStringLiteral("sidebar.right"), QStringLiteral("sidebar-expand")},
        {QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"),
         QStringLiteral("object-flip-horizontal")},
        {QStringLiteral("rectangle.on.rectangle"), QStringLiteral("window-new")},
        {QStringLiteral("plus.square.on.square"), QStringLiteral("tab-new")},
        {QStringLiteral("xmark"), QStringLiteral("window-close")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("edit-find")},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("view-fullscreen")},
        {QStringLiteral("questionmark.circle"), QStringLiteral("help-contents")},
        {QStringLiteral("info.circle"), QStringLiteral("help-about")},
        {QStringLiteral("power"), QStringLiteral("application-exit")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("document-export")},
        {QStringLiteral("trash"), QStringLiteral("edit-clear-history")},
        {QStringLiteral("lock.shield"), QStringLiteral("object-unlocked")},
        {QStringLiteral("lock.shield.fill"), QStringLiteral("object-locked")},
        {QStringLiteral("lock"), QStringLiteral("object-locked")},
        {QStringLiteral("lock.open"), QStringLiteral("object-unlocked")},
        {QStringLiteral("lock.fill"), QStringLiteral("object-locked")},
        // The device pages' pills.
        {QStringLiteral("viewfinder"), QStringLiteral("view-preview")},
        {QStringLiteral("speedometer"), QStringLiteral("speedometer")},
        {QStringLiteral("rectangle.dashed"), QStringLiteral("select-rectangular")},
        {QStringLiteral("rectangle"), QStringLiteral("draw-rectangle")},
        {QStringLiteral("person.fill.questionmark"), QStringLiteral("user-busy")},
        {QStringLiteral("mic.slash.fill"), QStringLiteral("microphone-sensitivity-muted")},
        // The live sections: level meter and camera preview.
        {QStringLiteral("mic.fill"), QStringLiteral("audio-input-microphone")},
        {QStringLiteral("waveform"), QStringLiteral("view-media-visualization")},
        {QStringLiteral("hourglass"), QStringLiteral("chronometer")},
        {QStringLiteral("video.fill"), QStringLiteral("camera-video")},
        {QStringLiteral("video.slash.fill"), QStringLiteral("camera-off")},
    };
    return table;
}

}  // namespace

std::optional<QString> freedesktopIconName(const QString& symbol) {
    const auto found = symbolTable().constFind(symbol);
    return found == symbolTable().constEnd() ? std::nullopt : std::optional<QString>(*found);
}

bool FreedesktopSymbolCatalog::hasSymbol(const QString& name) const {
    return symbolTable().contains(name);
}

}  // namespace tavrin
