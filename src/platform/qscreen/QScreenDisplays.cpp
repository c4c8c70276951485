#include "platform/qscreen/QScreenDisplays.h"

#include <QGuiApplication>
#include <QLoggingCategory>

#include "platform/linux/RandrMapping.h"

namespace tavrin {

namespace {

Q_LOGGING_CATEGORY(waylandDisplays, "tavrin.displays.wayland")

// A subscriber that has gone is told nothing: its handler is dropped from the map.
template <typename Handler>
Subscription subscription(std::map<std::uint64_t, Handler>& handlers, std::uint64_t id,
                          const std::shared_ptr<bool>& alive) {
    return Subscription([&handlers, id, weak = std::weak_ptr(alive)] {
        if (weak.lock()) {
            handlers.erase(id);
        }
    });
}

}  // namespace

QScreenDisplays::QScreenDisplays(MainThreadQueue& queue) : DisplayOnlyFramework(queue) {
    for (auto* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        schedulePublish();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &QScreenDisplays::schedulePublish);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            &QScreenDisplays::schedulePublish);
    publish();
}

QScreenDisplays::~QScreenDisplays() = default;

void QScreenDisplays::watch(QScreen* screen) {
    idFor(screen);
    connect(screen, &QScreen::geometryChanged, this, &QScreenDisplays::schedulePublish);
    connect(screen, &QScreen::availableGeometryChanged, this, &QScreenDisplays::schedulePublish);
    connect(screen, &QScreen::physicalSizeChanged, this, &QScreenDisplays::schedulePublish);
    connect(screen, &QScreen::refreshRateChanged, this, &QScreenDisplays::schedulePublish);
    connect(screen, &QScreen::orientationChanged, this, &QScreenDisplays::schedulePublish);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &QScreenDisplays::schedulePublish);
}

DisplayID QScreenDisplays::idFor(const QScreen* screen) {
    const auto name = screen->name();
    if (!ids_.contains(name)) {
        ids_.insert(name, DisplayID(ids_.size() + 1));
    }
    return ids_.value(name);
}

QScreen* QScreenDisplays::screen(DisplayID display) const {
    for (auto* screen : QGuiApplication::screens()) {
        if (ids_.value(screen->name()) == display) {
            return screen;
        }
    }
    return nullptr;
}

void QScreenDisplays::schedulePublish() {
    if (std::exchange(isPublishScheduled_, true)) {
        return;
    }
    queue_.post([this, weak = std::weak_ptr(alive_)] {
        if (weak.lock()) {
            isPublishScheduled_ = false;
            publish();
        }
    });
}

void QScreenDisplays::publish() {
    DeviceList<SXDisplay> updated;
    for (auto* screen : QGuiApplication::screens()) {
        SXDisplay::Values values;
        values.symbolName = randr::isBuiltinConnector(screen->name())
                                ? QStringLiteral("laptopcomputer")
                                : QStringLiteral("display");
        values.visibleFrame = QRectF(screen->availableGeometry());
        values.localizedName = screen->model().isEmpty() ? screen->name() : screen->model();
        values.frame = QRectF(screen->geometry());
        values.isMain = screen == QGuiApplication::primaryScreen();
        values.availability = SXAvailability::available();
        const auto id = idFor(screen);
        const auto existing = std::find_if(
            list_.begin(), list_.end(), [&](const auto& display) { return display->id() == id; });
        if (existing == list_.end() || (*existing)->visibleFrame() != values.visibleFrame) {
            updated.append(std::make_shared<SXDisplay>(id, values));
            continue;
        }
        auto& display = **existing;
        if (display.localizedName.value() != values.localizedName) {
            display.localizedName.send(values.localizedName);
        }
        if (display.frame.value() != values.frame) {
            display.frame.send(values.frame);
        }
        if (display.isMain.value() != values.isMain) {
            display.isMain.send(values.isMain);
        }
        updated.append(*existing);
    }
    list_ = updated;
    const auto subscribers = subscribers_;
    for (const auto& [id, handler] : subscribers) {
        if (subscribers_.contains(id)) {
            handler(list_);
        }
    }
    const auto observers = observers_;
    for (const auto& [id, observer] : observers) {
        if (observers_.contains(id)) {
            observer();
        }
    }
}

Subscription QScreenDisplays::displayUpdates(DeviceListHandler<SXDisplay> handler) {
    const auto id = nextHandler_++;
    queue_.post([this, weak = std::weak_ptr(alive_), id, handler] {
        if (weak.lock() && subscribers_.contains(id)) {
            handler(list_);
        }
    });
    subscribers_.emplace(id, std::move(handler));
    return subscription(subscribers_, id, alive_);
}

std::optional<DisplayMode> QScreenDisplays::currentMode(DisplayID display) {
    const auto* screen = this->screen(display);
    if (!screen) {
        return std::nullopt;
    }
    const auto pixels = QSizeF(screen->geometry().size()) * screen->devicePixelRatio();
    return DisplayMode{pixels.width(), pixels.height(), screen->refreshRate(), 0};
}

std::optional<QList<DisplayMode>> QScreenDisplays::allModes(DisplayID display) {
    const auto mode = currentMode(display);
    return mode ? std::optional(QList<DisplayMode>{*mode}) : std::nullopt;
}

double QScreenDisplays::pixelsWide(DisplayID display) {
    const auto mode = currentMode(display);
    return mode ? mode->pixelWidth : 0;
}

double QScreenDisplays::pixelsHigh(DisplayID display) {
    const auto mode = currentMode(display);
    return mode ? mode->pixelHeight : 0;
}

DisplayID QScreenDisplays::mirrorsDisplay(DisplayID) {
    return 0;  // a compositor shows mirrored outputs as one screen
}

double QScreenDisplays::rotation(DisplayID display) {
    const auto* screen = this->screen(display);
    return screen ? screen->angleBetween(screen->nativeOrientation(), screen->orientation()) : 0;
}

QSizeF QScreenDisplays::screenSize(DisplayID display) {
    const auto* screen = this->screen(display);
    return screen ? screen->physicalSize() : QSizeF(0, 0);
}

bool QScreenDisplays::isBuiltin(DisplayID display) {
    const auto* screen = this->screen(display);
    return screen && randr::isBuiltinConnector(screen->name());
}

DisplayError QScreenDisplays::refuse(const char* what) const {
    qCWarning(waylandDisplays).noquote()
        << QStringLiteral(
               "Cannot %1 on Wayland: the compositor offers no portable way to "
               "configure outputs; use the desktop's display settings.")
               .arg(QLatin1String(what));
    return DisplayErrorCode::invalidOperation;
}

DisplayError QScreenDisplays::beginConfiguration(DisplayConfiguration&) {
    return refuse("move a display");
}

DisplayError QScreenDisplays::configureOrigin(DisplayConfiguration, DisplayID, std::int32_t,
                                              std::int32_t) {
    return refuse("move a display");
}

DisplayError QScreenDisplays::completeConfiguration(DisplayConfiguration) {
    return refuse("move a display");
}

DisplayError QScreenDisplays::cancelConfiguration(DisplayConfiguration) {
    return DisplayErrorCode::illegalArgument;  // no configuration was ever begun
}

DisplayError QScreenDisplays::setPrimaryDisplay(DisplayID) {
    return refuse("choose the primary display");
}

QList<ScreenInfo> QScreenDisplays::screens() {
    QList<ScreenInfo> screens;
    for (auto* screen : QGuiApplication::screens()) {
        screens.append(ScreenInfo{idFor(screen), screen->devicePixelRatio(), std::nullopt, 1, 1,
                                  std::max(1, screen->depth() / 3)});
    }
    return screens;
}

Subscription QScreenDisplays::observeScreenParameters(std::function<void()> onChange) {
    const auto id = nextHandler_++;
    observers_.emplace(id, std::move(onChange));
    return subscription(observers_, id, alive_);
}

}  // namespace tavrin
