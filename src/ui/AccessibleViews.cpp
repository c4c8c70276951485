#include "ui/AccessibleViews.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <functional>

#include "display/DisplayDevice.h"
#include "ui/CameraPreviewView.h"
#include "ui/ChannelReadoutRow.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/EventLogModel.h"
#include "ui/EventLogView.h"
#include "ui/MeterLevelsView.h"
#include "ui/PaintedItemsAccessible.h"
#include "ui/SparklineView.h"
#include "ui/WindowState.h"

namespace tavrin {

namespace {

// Each display's tile, in the display list's order; a tile reads as its display's name, with
// its size, place and whether it is the main display as the description.
class ArrangementAccessible final : public PaintedItemsAccessible {
public:
    explicit ArrangementAccessible(DisplayArrangementSection* canvas)
        : PaintedItemsAccessible(canvas, QAccessible::List) {}

    int itemCount() const override { return int(canvas()->onCanvas().size()); }
    Key itemKey(int index) const override { return canvas()->onCanvas().at(index)->id(); }
    int itemIndex(Key key) const override {
        const auto shown = canvas()->onCanvas();
        for (int index = 0; index < shown.size(); ++index) {
            if (shown[index]->id() == key) {
                return index;
            }
        }
        return -1;
    }
    QString itemText(Key key, QAccessible::Text text) const override {
        const auto display = find(key);
        if (!display) {
            return {};
        }
        switch (text) {
            case QAccessible::Name:
                return display->localizedName();
            case QAccessible::Description:
                return DisplayArrangementSection::tileDescription(*display);
            case QAccessible::Help:
                return QStringLiteral(
                    "Arrow keys move the display, Enter drops it, Escape puts it back, "
                    "M makes it the main display.");
            default:
                return {};
        }
    }
    QAccessible::Role itemRole(Key) const override { return QAccessible::ListItem; }
    QRect itemRect(Key key) const override {
        return canvas()->drawnRect(DisplayID(key)).toAlignedRect();
    }
    QAccessible::State itemState(Key key) const override {
        QAccessible::State state;
        state.focusable = true;
        state.selectable = true;
        state.movable = true;
        state.focused = canvas()->hasFocus() && canvas()->focusedDisplay() == DisplayID(key);
        const auto display = find(key);
        state.selected = display && display->uuid() == canvas()->windowState().selection();
        return state;
    }
    std::optional<Key> focusedItem() const override {
        if (!canvas()->hasFocus() || !canvas()->focusedDisplay()) {
            return std::nullopt;
        }
        return *canvas()->focusedDisplay();
    }

private:
    DisplayArrangementSection* canvas() const {
        return static_cast<DisplayArrangementSection*>(widget());
    }
    // Asked only of an item that is valid, so of a display still drawn.
    std::shared_ptr<DisplayDevice> find(Key key) const {
        const int index = itemIndex(key);
        return index >= 0 ? canvas()->onCanvas().at(index) : nullptr;
    }
};

// One level bar per channel, its value the level in decibels, its text the level and the held
// peak as the readouts show them.
class MeterAccessible final : public PaintedItemsAccessible {
public:
    explicit MeterAccessible(MeterLevelsView* meter)
        : PaintedItemsAccessible(meter, QAccessible::Grouping) {}

    QString text(QAccessible::Text text) const override {
        if (text == QAccessible::Description && !meter()->isMeterEnabled()) {
            return QStringLiteral("Not measuring");
        }
        return PaintedItemsAccessible::text(text);
    }
    int itemCount() const override { return int(meter()->levels().size()); }
    QString itemText(Key key, QAccessible::Text text) const override {
        const auto& level = meter()->levels().at(int(key));
        switch (text) {
            case QAccessible::Name:
                return QStringLiteral("Channel %1").arg(key + 1);
            case QAccessible::Value:
                return ChannelReadoutRow::decibelText(level.average) +
                       QStringLiteral(" dB, peak ") +
                       ChannelReadoutRow::decibelText(level.peakHold) + QStringLiteral(" dB");
            default:
                return {};
        }
    }
    QAccessible::Role itemRole(Key) const override { return QAccessible::ProgressBar; }
    QRect itemRect(Key key) const override {
        return MeterLevelsView::barRect(int(key)).toAlignedRect();
    }
    std::optional<ItemValue> itemValue(Key key) const override {
        const double level = std::clamp(meter()->levels().at(int(key)).average, 0.0, 1.0);
        return ItemValue{level * 60 - 60, -60, 0};
    }

private:
    MeterLevelsView* meter() const { return static_cast<MeterLevelsView*>(widget()); }
};

// The log's rows: each reads as its message, with its time as the description.
class EventLogAccessible final : public PaintedItemsAccessible {
public:
    explicit EventLogAccessible(EventLogView* view)
        : PaintedItemsAccessible(view, QAccessible::List) {}

    int itemCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    QString itemText(Key key, QAccessible::Text text) const override {
        const auto index = view()->model()->index(int(key), 0);
        switch (text) {
            case QAccessible::Name:
                return index.data(EventLogModel::messageRole).toString();
            case QAccessible::Description:
                return index.data(EventLogModel::timestampTextRole).toString();
            default:
                return {};
        }
    }
    QAccessible::Role itemRole(Key) const override { return QAccessible::ListItem; }
    QRect itemRect(Key key) const override {
        return view()
            ->visualRect(view()->model()->index(int(key), 0))
            .translated(view()->viewport()->pos());
    }
    QAccessible::State itemState(Key key) const override {
        QAccessible::State state;
        state.readOnly = true;
        state.selectable = true;
        state.multiSelectable = true;
        state.focusable = true;
        const auto index = view()->model()->index(int(key), 0);
        state.selected = view()->selectionModel() && view()->selectionModel()->isSelected(index);
        state.focused = view()->hasFocus() && view()->currentIndex() == index;
        return state;
    }
    std::optional<Key> focusedItem() const override {
        const auto current = view()->currentIndex();
        if (!view()->hasFocus() || !current.isValid()) {
            return std::nullopt;
        }
        return Key(current.row());
    }
    std::optional<Key> itemAt(const QPoint& point) const override {
        const auto index = view()->indexAt(point - view()->viewport()->pos());
        return index.isValid() ? std::optional<Key>(index.row()) : std::nullopt;
    }

private:
    EventLogView* view() const { return static_cast<EventLogView*>(widget()); }
};

// A view with no parts: its role, and one of its texts (the description of a picture, the
// value of a curve) read from it when asked.
class DescribedViewAccessible final : public QAccessibleWidget {
public:
    DescribedViewAccessible(QWidget* widget, QAccessible::Role role, QAccessible::Text which,
                            std::function<QString()> read)
        : QAccessibleWidget(widget, role), which_(which), read_(std::move(read)) {}

    QString text(QAccessible::Text text) const override {
        return text == which_ ? read_() : QAccessibleWidget::text(text);
    }

private:
    QAccessible::Text which_;
    std::function<QString()> read_;
};

QAccessibleInterface* accessibleView(const QString& className, QObject* object) {
    if (className == QLatin1String(DisplayArrangementSection::staticMetaObject.className())) {
        return new ArrangementAccessible(static_cast<DisplayArrangementSection*>(object));
    }
    if (className == QLatin1String(MeterLevelsView::staticMetaObject.className())) {
        return new MeterAccessible(static_cast<MeterLevelsView*>(object));
    }
    if (className == QLatin1String(EventLogView::staticMetaObject.className())) {
        return new EventLogAccessible(static_cast<EventLogView*>(object));
    }
    if (className == QLatin1String(CameraPreviewView::staticMetaObject.className())) {
        auto* preview = static_cast<CameraPreviewView*>(object);
        return new DescribedViewAccessible(preview, QAccessible::Graphic, QAccessible::Description,
                                           [preview] { return preview->stateText(); });
    }
    if (className == QLatin1String(SparklineView::staticMetaObject.className())) {
        auto* sparkline = static_cast<SparklineView*>(object);
        return new DescribedViewAccessible(sparkline, QAccessible::Chart, QAccessible::Value,
                                           [sparkline] { return sparkline->valueText(); });
    }
    return nullptr;
}

}  // namespace

void installAccessibleViews() {
    static const bool installed = [] {
        QAccessible::installFactory(&accessibleView);
        return true;
    }();
    (void)installed;
}

}  // namespace tavrin
