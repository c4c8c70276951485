#include "ui/DisplayArrangementSection.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "display/DisplayDevice.h"
#include "display/DisplayDiscovery.h"
#include "ui/AccessibleViews.h"
#include "ui/DisplayInspectorView.h"
#include "ui/ExaggeratedDisplayShape.h"
#include "ui/PaintedItemsAccessible.h"
#include "ui/SectionPanel.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"
#include "ui/WindowState.h"

namespace tavrin {

using namespace DisplayArrangement;

namespace {

// The menu bar across the top of a tile: a sliver of the display, as on the real screen, but
// never thinner than can be seen or grabbed.
QRectF menuBarStrip(const QRectF& tile) {
    return QRectF(tile.left(), tile.top(), tile.width(),
                  std::clamp(tile.height() * 0.06, 3.0, 8.0));
}

// The strip is thin; a press a few points off it still takes it.
QRectF menuBarGrabArea(const QRectF& strip) {
    return strip.adjusted(0, -3, 0, 3);
}

// Spring responses of the clearing animation: a little quicker when nothing was asked of the
// display services. A nearly critically damped spring settles in about one and a half
// responses.
constexpr int unchangedSpringMilliseconds = 270;
constexpr int movedSpringMilliseconds = 300;

std::shared_ptr<DisplayDevice> findDisplay(const QList<std::shared_ptr<DisplayDevice>>& displays,
                                           DisplayID id) {
    for (const auto& display : displays) {
        if (display->id() == id) {
            return display;
        }
    }
    return nullptr;
}

// The display's name and size, centred below the menu bar; on a tile too short for both, the
// name alone. A name is cut at the tail rather than spill over a neighbour, and left out when
// nothing but the ellipsis would remain; a size is shown whole or not at all, since a cut
// number reads as another number.
void drawLabels(QPainter& painter, const QPalette& colors, const DisplayDevice& display,
                const QRectF& rect) {
    const QFont nameFont = uiFont(FontRole::caption, QFont::Medium);
    const QFont sizeFont = uiFont(FontRole::monospacedCaption);
    const QFontMetricsF nameMetrics(nameFont, painter.device());
    const QFontMetricsF sizeMetrics(sizeFont, painter.device());
    const qreal width = rect.width() - 8;
    const qreal top = display.isMain() ? menuBarStrip(rect).bottom() : rect.top();
    const qreal room = rect.bottom() - top - 4;
    const QString name = nameMetrics.elidedText(display.localizedName(), Qt::ElideRight, width);
    if (width <= 0 || room < nameMetrics.height() || name.isEmpty() ||
        name == QStringLiteral("\u2026")) {
        return;
    }
    const QString size = displaySizeText(display.frame().size());
    const bool withSize = room >= nameMetrics.height() + sizeMetrics.height() &&
                          sizeMetrics.horizontalAdvance(size) <= width;
    qreal y =
        (top + rect.bottom() - nameMetrics.height() - (withSize ? sizeMetrics.height() : 0)) / 2;
    painter.setFont(nameFont);
    painter.setPen(colors.color(QPalette::WindowText));
    painter.drawText(QRectF(rect.left() + 4, y, width, nameMetrics.height()), Qt::AlignCenter,
                     name);
    if (withSize) {
        y += nameMetrics.height();
        painter.setFont(sizeFont);
        painter.setPen(colors.color(QPalette::PlaceholderText));
        painter.drawText(QRectF(rect.left() + 4, y, width, sizeMetrics.height()), Qt::AlignCenter,
                         size);
    }
}

}  // namespace

DisplayArrangementSection::DisplayArrangementSection(DisplayDiscovery& discovery,
                                                     WindowState& state, QWidget* parent)
    : QWidget(parent),
      discovery_(discovery),
      state_(state),
      springAnimation_(new QVariantAnimation(this)) {
    // Before anything asks for the interface, which is then kept.
    installAccessibleViews();
    setAccessibleName(QStringLiteral("Arrangement"));
    setObjectName(QStringLiteral("arrangement"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(minimumCanvasHeight);
    setMaximumHeight(idealCanvasHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    springAnimation_->setStartValue(1.0);
    springAnimation_->setEndValue(0.0);
    springAnimation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(springAnimation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                if (spring_) {
                    spring_->remaining = value.toDouble();
                    update();
                }
            });
    connect(springAnimation_, &QVariantAnimation::finished, this, [this] {
        spring_.reset();
        update();
    });
    connect(&discovery_, &DisplayDiscovery::displaysChanged, this,
            &DisplayArrangementSection::followDisplays);
    connect(&state_, &WindowState::selectionChanged, this, qOverload<>(&QWidget::update));
    followDisplays();
}

QSize DisplayArrangementSection::sizeHint() const {
    return {400, idealCanvasHeight};
}

QSize DisplayArrangementSection::minimumSizeHint() const {
    return {2 * int(canvasPadding) + 40, minimumCanvasHeight};
}

QList<std::shared_ptr<DisplayDevice>> DisplayArrangementSection::onCanvas() const {
    return displaysOnCanvas(discovery_.displays());
}

Layout DisplayArrangementSection::layout() const {
    return Layout::make(placed(onCanvas()), QSizeF(size()));
}

QRectF DisplayArrangementSection::tileRect(const DisplayDevice& primary,
                                           const Layout& layout) const {
    const QRectF frame = primary.frame();
    if (liveDrag_ && liveDrag_->displayID == primary.id()) {
        const QPointF snapped = snappedOrigin({primary.id(), frame}, liveDrag_->translation,
                                              placed(onCanvas()), layout.scale);
        return layout.canvasRect(QRectF(snapped, frame.size()))
            .translated(
                rubberBandOffset(liveDrag_->translation, snapped, frame.topLeft(), layout.scale));
    }
    const QRectF rest = layout.canvasRect(frame);
    if (spring_ && spring_->displayID == primary.id()) {
        return QRectF(rest.topLeft() + (spring_->from - rest.topLeft()) * spring_->remaining,
                      rest.size());
    }
    return rest;
}

QRectF DisplayArrangementSection::drawnRect(DisplayID display) const {
    const auto shownLayout = layout();
    for (const auto& group : mirrorGroups(onCanvas())) {
        if (group.primary->id() == display) {
            return tileRect(*group.primary, shownLayout);
        }
        if (group.secondary && group.secondary->id() == display) {
            return tileRect(*group.primary, shownLayout).translated(mirrorOffset, mirrorOffset);
        }
    }
    return {};
}

QRectF DisplayArrangementSection::menuBarRect() const {
    for (const auto& display : onCanvas()) {
        if (display->isMain()) {
            return menuBarStrip(drawnRect(display->id()));
        }
    }
    return {};
}

std::pair<std::shared_ptr<DisplayDevice>, std::shared_ptr<DisplayDevice>>
DisplayArrangementSection::hitTest(const QPointF& point) const {
    const auto shownLayout = layout();
    const auto groups = mirrorGroups(onCanvas());
    // Front to back: the tile in hand is drawn last, each primary over its stacked mirror.
    for (const bool inHand : {true, false}) {
        for (auto group = groups.crbegin(); group != groups.crend(); ++group) {
            if (isInHand(group->primary->id()) != inHand) {
                continue;
            }
            const QRectF rect = tileRect(*group->primary, shownLayout);
            if (rect.contains(point)) {
                return {group->primary, group->primary};
            }
            if (group->secondary && rect.translated(mirrorOffset, mirrorOffset).contains(point)) {
                return {group->secondary, group->primary};
            }
        }
    }
    return {};
}

bool DisplayArrangementSection::isInHand(DisplayID display) const {
    return (liveDrag_ && liveDrag_->displayID == display) ||
           (spring_ && spring_->displayID == display);
}

void DisplayArrangementSection::followDisplays() {
    delete watcher_;
    watcher_ = new QObject(this);
    auto refresh = [this] {
        dropVanishedGesture();
        // A display came, went or moved: the tiles read differently.
        PaintedItemsAccessible::itemsReordered(this);
        update();
    };
    for (const auto& display : discovery_.displays()) {
        auto* model = display.get();
        for (auto signal :
             {&DisplayDevice::frameChanged, &DisplayDevice::isMainChanged,
              &DisplayDevice::availabilityChanged, &DisplayDevice::localizedNameChanged,
              &DisplayDevice::screenPropertiesChanged}) {
            connect(model, signal, watcher_, refresh);
        }
    }
    refresh();
}

void DisplayArrangementSection::dropVanishedGesture() {
    const auto shown = onCanvas();
    auto gone = [&](DisplayID id) { return !findDisplay(shown, id); };
    if ((liveDrag_ && gone(liveDrag_->displayID)) ||
        (menubarDrag_ && gone(menubarDrag_->displayID)) ||
        (press_ && press_->hit && gone(press_->hit->id())) ||
        (press_ && press_->group && gone(press_->group->id()))) {
        liveDrag_.reset();
        menubarDrag_.reset();
        press_.reset();
        keyboardDrag_ = false;
    }
    if (focusedDisplay_ && gone(*focusedDisplay_)) {
        focusedDisplay_.reset();
    }
    if (spring_ && gone(spring_->displayID)) {
        springAnimation_->stop();
        spring_.reset();
    }
}

void DisplayArrangementSection::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || press_) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (keyboardDrag_) {
        cancelKeyboardDrag();
    }
    const QPointF at = event->position();
    const auto [hit, group] = hitTest(at);
    if (hit) {
        focusedDisplay_ = hit->id();
        tellFocus();
    }
    const QRectF menuBar = menuBarRect();
    const bool onMenuBar = !menuBar.isNull() && menuBarGrabArea(menuBar).contains(at);
    if (hit || onMenuBar) {
        press_ = Press{at, hit, group, onMenuBar};
    }
}

void DisplayArrangementSection::mouseMoveEvent(QMouseEvent* event) {
    if (!press_) {
        return;
    }
    const QPointF at = event->position();
    const QPointF translation = at - press_->at;
    const double distance = std::hypot(translation.x(), translation.y());
    if (menubarDrag_) {
        menubarDrag_->translation = translation;
        menubarDrag_->location = at;
    } else if (liveDrag_) {
        liveDrag_->translation = translation;
    } else if (press_->onMenuBar && distance >= menuBarDragDistance) {
        // The menu bar sits on a tile: its shorter threshold lets it win over the tile's drag.
        for (const auto& display : onCanvas()) {
            if (display->isMain()) {
                menubarDrag_ = MenubarDrag{display->id(), translation, at};
                break;
            }
        }
    } else if (press_->group && distance >= tileDragDistance) {
        if (spring_ && spring_->displayID == press_->group->id()) {
            springAnimation_->stop();
            spring_.reset();
        }
        liveDrag_ = LiveDrag{press_->group->id(), translation};
    } else {
        return;
    }
    update();
}

void DisplayArrangementSection::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !press_) {
        return;
    }
    const auto press = *press_;
    press_.reset();
    if (menubarDrag_) {
        const auto drag = *menubarDrag_;
        menubarDrag_.reset();
        const auto shown = onCanvas();
        if (const auto target =
                menuBarDropTarget(event->position(), placed(shown), layout(), drag.displayID)) {
            // A refused configuration changes nothing on screen; the status is not shown.
            discovery_.makeMain(*findDisplay(shown, *target));
        }
    } else if (liveDrag_) {
        liveDrag_->translation = event->position() - press.at;
        if (const auto display = findDisplay(onCanvas(), liveDrag_->displayID)) {
            dropTile(*display);
        }
        liveDrag_.reset();
    } else if (press.hit) {
        state_.setSelection(press.hit->uuid());
    }
    update();
}

void DisplayArrangementSection::dropTile(DisplayDevice& display) {
    const auto shown = placed(onCanvas());
    const auto shownLayout = layout();
    const QPointF droppedAt = tileRect(display, shownLayout).topLeft();
    const QPointF snapped = snappedOrigin({display.id(), display.frame()}, liveDrag_->translation,
                                          shown, shownLayout.scale);
    const auto origin = originToSet(snapped, display.frame().topLeft());
    if (origin) {
        // The display services report a refusal only by status, which is not shown: the tile
        // springs back to where the display still is.
        display.setOrigin(origin->x, origin->y);
    }
    startSpring(display.id(), droppedAt,
                origin ? movedSpringMilliseconds : unchangedSpringMilliseconds);
}

void DisplayArrangementSection::startSpring(DisplayID display, const QPointF& from,
                                            int milliseconds) {
    springAnimation_->stop();
    spring_ = Spring{display, from, 1.0};
    springAnimation_->setDuration(milliseconds);
    springAnimation_->start();
}

QString DisplayArrangementSection::tileDescription(const DisplayDevice& display) {
    const QRectF frame = display.frame();
    QString text = displaySizeText(frame.size()) + QStringLiteral(" at ") +
                   QString::number(qint64(frame.x())) + QStringLiteral(", ") +
                   QString::number(qint64(frame.y()));
    if (display.isMain()) {
        text += QStringLiteral(", main display");
    }
    return text;
}

std::shared_ptr<DisplayDevice> DisplayArrangementSection::keyboardDisplay() const {
    const auto shown = onCanvas();
    if (focusedDisplay_) {
        if (auto display = findDisplay(shown, *focusedDisplay_)) {
            return display;
        }
    }
    for (const auto& display : shown) {
        if (display->uuid() == state_.selection()) {
            return display;
        }
    }
    return shown.isEmpty() ? nullptr : shown.first();
}

std::shared_ptr<DisplayDevice> DisplayArrangementSection::tilePrimary(DisplayID display) const {
    for (const auto& group : mirrorGroups(onCanvas())) {
        if (group.primary->id() == display ||
            (group.secondary && group.secondary->id() == display)) {
            return group.primary;
        }
    }
    return nullptr;
}

void DisplayArrangementSection::setFocusedDisplay(DisplayID display) {
    if (!findDisplay(onCanvas(), display) || focusedDisplay_ == display) {
        return;
    }
    if (keyboardDrag_) {
        cancelKeyboardDrag();
    }
    focusedDisplay_ = display;
    tellFocus();
    update();
}

void DisplayArrangementSection::tellFocus() {
    if (!hasFocus() || !focusedDisplay_) {
        return;
    }
    const auto shown = onCanvas();
    for (int index = 0; index < shown.size(); ++index) {
        if (shown[index]->id() == *focusedDisplay_) {
            PaintedItemsAccessible::itemFocused(this, index);
            return;
        }
    }
}

void DisplayArrangementSection::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (const auto display = keyboardDisplay()) {
        focusedDisplay_ = display->id();
        // Tabbing back in from the next control starts at the last tile.
        if (event->reason() == Qt::BacktabFocusReason) {
            focusedDisplay_ = onCanvas().last()->id();
        } else if (event->reason() == Qt::TabFocusReason) {
            focusedDisplay_ = onCanvas().first()->id();
        }
    }
    tellFocus();
    update();
}

void DisplayArrangementSection::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (keyboardDrag_ && event->reason() != Qt::PopupFocusReason) {
        cancelKeyboardDrag();
    }
    update();
}

bool DisplayArrangementSection::focusNextPrevChild(bool next) {
    // Tab walks the tiles first, then leaves the canvas.
    const auto shown = onCanvas();
    const auto current = keyboardDisplay();
    if (hasFocus() && isVisible() && isEnabled() && current && !keyboardDrag_) {
        const auto at = shown.indexOf(current);
        const auto to = at + (next ? 1 : -1);
        if (to >= 0 && to < shown.size()) {
            setFocusedDisplay(shown[to]->id());
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void DisplayArrangementSection::keyPressEvent(QKeyEvent* event) {
    const auto display = keyboardDisplay();
    if (!display) {
        QWidget::keyPressEvent(event);
        return;
    }
    focusedDisplay_ = display->id();
    const qreal step = event->modifiers() & Qt::ShiftModifier ? 1 : keyboardStep;
    switch (event->key()) {
        case Qt::Key_Left:
            dragWithKeys({-step, 0});
            return;
        case Qt::Key_Right:
            dragWithKeys({step, 0});
            return;
        case Qt::Key_Up:
            dragWithKeys({0, -step});
            return;
        case Qt::Key_Down:
            dragWithKeys({0, step});
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (keyboardDrag_) {
                dropKeyboardDrag();
                return;
            }
            break;
        case Qt::Key_Escape:
            if (keyboardDrag_) {
                cancelKeyboardDrag();
                return;
            }
            break;
        case Qt::Key_Space:
            if (!keyboardDrag_) {
                state_.setSelection(display->uuid());
                return;
            }
            break;
        case Qt::Key_M:
            if (!keyboardDrag_ && event->modifiers() == Qt::NoModifier) {
                makeMain(*display);
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void DisplayArrangementSection::dragWithKeys(const QPointF& step) {
    const auto primary = tilePrimary(*focusedDisplay_);
    if (!primary || press_ || menubarDrag_) {
        return;
    }
    if (!keyboardDrag_) {
        if (spring_ && spring_->displayID == primary->id()) {
            springAnimation_->stop();
            spring_.reset();
        }
        liveDrag_ = LiveDrag{primary->id(), {}};
        keyboardDrag_ = true;
    }
    liveDrag_->translation += step;
    update();
}

void DisplayArrangementSection::dropKeyboardDrag() {
    if (const auto display = findDisplay(onCanvas(), liveDrag_->displayID)) {
        dropTile(*display);
    }
    liveDrag_.reset();
    keyboardDrag_ = false;
    update();
}

void DisplayArrangementSection::cancelKeyboardDrag() {
    const auto shown = onCanvas();
    if (const auto display = findDisplay(shown, liveDrag_->displayID)) {
        startSpring(display->id(), tileRect(*display, layout()).topLeft(),
                    unchangedSpringMilliseconds);
    }
    liveDrag_.reset();
    keyboardDrag_ = false;
    update();
}

void DisplayArrangementSection::makeMain(DisplayDevice& display) {
    if (display.isMain()) {
        return;
    }
    // A refused configuration changes nothing on screen; the status is not shown.
    discovery_.makeMain(display);
}

void DisplayArrangementSection::contextMenuEvent(QContextMenuEvent* event) {
    std::shared_ptr<DisplayDevice> display;
    if (event->reason() == QContextMenuEvent::Mouse) {
        display = hitTest(event->pos()).first;
    } else {
        display = keyboardDisplay();
    }
    if (!display || press_ || liveDrag_ || menubarDrag_) {
        return;
    }
    focusedDisplay_ = display->id();
    // Not a child: while the menu is open the page may be rebuilt, and this canvas with it.
    QMenu menu;
    auto* select = menu.addAction(QStringLiteral("Select"));
    select->setEnabled(display->uuid() != state_.selection());
    auto* main = menu.addAction(QStringLiteral("Make Main"));
    main->setShortcut(Qt::Key_M);
    main->setEnabled(!display->isMain());
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->globalPos()
                          : mapToGlobal(drawnRect(display->id()).center().toPoint());
    const std::weak_ptr<DisplayDevice> chosen = display;
    const QPointer<DisplayArrangementSection> self(this);
    auto* picked = menu.exec(at);
    const auto still = chosen.lock();
    if (!self || !still || !findDisplay(onCanvas(), still->id())) {
        return;
    }
    if (picked == main) {
        makeMain(*still);
    } else if (picked == select) {
        state_.setSelection(still->uuid());
    }
}

bool DisplayArrangementSection::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const auto [hit, group] = hitTest(help->pos());
    if (!hit) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QString text = hit->localizedName();
    for (const auto& mirror : mirrorGroups(onCanvas())) {
        if (mirror.primary == hit && mirror.secondary) {
            text = tr("%1, mirrored by %2").arg(text, mirror.secondary->localizedName());
        } else if (mirror.secondary == hit) {
            text = tr("%1, mirroring %2").arg(text, mirror.primary->localizedName());
        }
    }
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void DisplayArrangementSection::paintEvent(QPaintEvent*) {
    const QPalette& colors = palette();
    SectionPanel::paint(this, withOpacity(quaternaryColor(colors), 0.4),
                        colors.color(QPalette::Mid));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A tile pulled past the edge is cut there instead of covering the panel's outline.
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), SectionPanel::cornerRadius,
                         SectionPanel::cornerRadius);
    painter.setClipPath(panel);

    const QColor accent = colors.color(QPalette::Highlight);

    auto drawDisplay = [&](const DisplayDevice& display, const QRectF& rect, bool stacked) {
        const bool selected = display.uuid() == state_.selection();
        const qreal penWidth = selected ? 2 : 1;
        // The outline is drawn inside the tile, so that neighbours' outlines never cross.
        const QRectF inner =
            rect.adjusted(penWidth / 2, penWidth / 2, -penWidth / 2, -penWidth / 2);
        const ExaggeratedDisplayShape shape(display.isBuiltIn()
                                                ? ExaggeratedDisplayShape::Kind::roundedWithNotch
                                                : ExaggeratedDisplayShape::Kind::rectangular);
        const QPainterPath outline = shape.path(inner);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colors.color(QPalette::Base));
        painter.drawPath(outline);
        if (selected) {
            painter.setBrush(withOpacity(accent, 0.22));
            painter.drawPath(outline);
        }
        if (display.isMain()) {
            painter.save();
            painter.setClipPath(outline, Qt::IntersectClip);
            painter.fillRect(menuBarStrip(rect),
                             selected ? withOpacity(accent, 0.7)
                                      : withOpacity(colors.color(QPalette::WindowText), 0.35));
            painter.restore();
        }
        QPen pen(selected ? accent : tertiaryColor(colors), penWidth);
        // A mirroring display stacked behind its primary: dashed, so that it reads as the same
        // picture shown again rather than as a display of its own place.
        if (stacked && !selected) {
            pen.setStyle(Qt::DashLine);
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
        if (stacked) {
            return;
        }
        drawLabels(painter, colors, display, rect);
    };

    const auto shownLayout = layout();
    auto groups = mirrorGroups(onCanvas());
    // The tile in hand, or easing back, goes over the others.
    std::stable_partition(groups.begin(), groups.end(), [this](const MirrorGroup& group) {
        return !isInHand(group.primary->id());
    });
    for (const auto& group : groups) {
        const QRectF rect = tileRect(*group.primary, shownLayout);
        if (group.secondary) {
            drawDisplay(*group.secondary, rect.translated(mirrorOffset, mirrorOffset), true);
        }
        drawDisplay(*group.primary, rect, false);
    }

    if (hasFocus() && focusedDisplay_) {
        const QRectF focused = drawnRect(*focusedDisplay_);
        if (!focused.isNull()) {
            QPen ring(colors.color(QPalette::Highlight), 1.5, Qt::DashLine);
            painter.setPen(ring);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(focused.adjusted(-3, -3, 3, 3), 4, 4);
        }
    }

    if (menubarDrag_) {
        // The menu bar in hand: as wide as on its tile, centred on the pointer.
        const QRectF strip = menuBarStrip(drawnRect(menubarDrag_->displayID));
        QRectF floating(QPointF(), QSizeF(strip.width(), std::max(strip.height(), 4.0)));
        floating.moveCenter(menubarDrag_->location);
        painter.setPen(QPen(accent, 1));
        painter.setBrush(withOpacity(accent, 0.85));
        painter.drawRoundedRect(floating, 2, 2);
    }
}

}  // namespace tavrin
