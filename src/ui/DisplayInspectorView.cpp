#include "ui/DisplayInspectorView.h"

#include <QVBoxLayout>
#include <cmath>

#include "display/DisplayDevice.h"
#include "runtime/TextFormat.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

const QString times = QStringLiteral(" \u00d7 ");

QString whole(double value) {
    return std::isfinite(value) ? QString::number(qint64(std::trunc(value))) : absentText();
}

}  // namespace

QString displaySizeText(QSizeF size) {
    return whole(size.width()) + times + whole(size.height());
}

QString displayNumberText(double value) {
    return localizedNumberTextWithoutGrouping(value);
}

QString physicalSizeText(QSizeF millimetres) {
    const double diagonal = std::hypot(millimetres.width(), millimetres.height()) / 25.4;
    return QString::asprintf("%.0f \u00d7 %.0f mm", millimetres.width(), millimetres.height()) +
           QStringLiteral(" (") + displayNumberText(diagonal) + QStringLiteral("\")");
}

DisplayInspectorView::DisplayInspectorView(std::shared_ptr<DisplayDevice> display, QWidget* parent)
    : QWidget(parent), display_(std::move(display)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* general = new InspectorSection(QStringLiteral("General"), true, this);
    addRow(general, QStringLiteral("Name"));
    addRow(general, QStringLiteral("Availability"));
    addRow(general, QStringLiteral("Main"));
    addRow(general, QStringLiteral("Built-in"));
    addRow(general, QStringLiteral("Mirroring"), true, true);
    addRow(general, QStringLiteral("Display ID"), true, true);
    auto* properties = new InspectorSection(QStringLiteral("Properties"), true, this);
    for (const auto* label :
         {"Point Size", "Backing Pixels", "Backing Scale", "Native Panel", "Refresh Rate"}) {
        addRow(properties, QString::fromLatin1(label));
    }
    addRow(properties, QStringLiteral("Color Space"), false);
    for (const auto* label : {"Bit Depth", "EDR Peak", "EDR Current", "Rotation", "Physical Size",
                              "Origin", "Visible Frame", "Available Modes"}) {
        addRow(properties, QString::fromLatin1(label));
    }
    layout->addWidget(general);
    layout->addWidget(properties);
    layout->addStretch(1);

    auto* model = display_.get();
    for (auto signal :
         {&DisplayDevice::localizedNameChanged, &DisplayDevice::isMainChanged,
          &DisplayDevice::frameChanged, &DisplayDevice::availabilityChanged,
          &DisplayDevice::backingPixelSizeChanged, &DisplayDevice::screenPropertiesChanged}) {
        connect(model, signal, this, &DisplayInspectorView::refresh);
    }
    refresh();
}

InspectorRow* DisplayInspectorView::addRow(InspectorSection* section, const QString& label,
                                           bool monospaced, bool callout) {
    const auto font = callout      ? FontRole::monospacedCallout
                      : monospaced ? FontRole::monospacedFootnote
                                   : FontRole::footnote;
    auto* row = new InspectorRow(label, font, callout ? TextStyle::primary : TextStyle::secondary);
    return index_.add(section, row);
}

void DisplayInspectorView::refresh() {
    const auto& d = *display_;
    auto set = [this](const char* label, const std::optional<QString>& text) {
        auto* target = row(QString::fromLatin1(label));
        target->setVisible(text.has_value());
        if (text) {
            target->setText(*text);
        }
    };
    auto headroom = [](double value) {
        return displayNumberText(value) + QStringLiteral("\u00d7 SDR");
    };
    const bool hasEDR = d.maxPotentialEDRHeadroom() && *d.maxPotentialEDRHeadroom() > 1;

    set("Name", d.localizedName());
    set("Availability", d.availability().status());
    set("Main", yesNoWord(d.isMain()));
    set("Built-in", yesNoWord(d.isBuiltIn()));
    set("Mirroring", d.mirrorOfID() ? std::optional(QStringLiteral("Display ") +
                                                    QString::number(*d.mirrorOfID()))
                                    : std::nullopt);
    set("Display ID", QString::number(d.id()));
    set("Point Size", displaySizeText(d.frame().size()));
    set("Backing Pixels", displaySizeText(d.backingPixelSize()));
    set("Backing Scale",
        d.backingScaleFactor()
            ? std::optional(displayNumberText(*d.backingScaleFactor()) + QStringLiteral("\u00d7"))
            : std::nullopt);
    set("Native Panel",
        d.nativePixelSize() ? std::optional(displaySizeText(*d.nativePixelSize())) : std::nullopt);
    set("Refresh Rate",
        d.refreshRate() ? std::optional(displayNumberText(*d.refreshRate()) + QStringLiteral(" Hz"))
                        : std::nullopt);
    set("Color Space", d.colorSpaceName());
    set("Bit Depth", d.bitsPerSample() ? std::optional(QString::number(*d.bitsPerSample()) +
                                                       QStringLiteral(" bits/channel"))
                                       : std::nullopt);
    set("EDR Peak", hasEDR ? std::optional(headroom(*d.maxPotentialEDRHeadroom())) : std::nullopt);
    set("EDR Current", hasEDR && d.currentEDRHeadroom()
                           ? std::optional(headroom(*d.currentEDRHeadroom()))
                           : std::nullopt);
    set("Rotation", whole(d.rotation()) + QStringLiteral("\u00b0"));
    const auto physical = d.physicalSize();
    set("Physical Size", physical.width() > 0 && physical.height() > 0
                             ? std::optional(physicalSizeText(physical))
                             : std::nullopt);
    const auto origin = d.frame().topLeft();
    set("Origin", QStringLiteral("(") + whole(origin.x()) + QStringLiteral(", ") +
                      whole(origin.y()) + QStringLiteral(")"));
    if (const auto& visible = d.visibleFrame()) {
        set("Visible Frame", QStringLiteral("(") + whole(visible->x()) + QStringLiteral(", ") +
                                 whole(visible->y()) + QStringLiteral(") ") +
                                 displaySizeText(visible->size()));
    } else {
        set("Visible Frame", std::nullopt);
    }
    set("Available Modes", QString::number(d.modeCount()));
}

}  // namespace tavrin
