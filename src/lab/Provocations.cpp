#include "lab/Provocations.h"

#include <QPointer>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceEventLog.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "lab/DeviceResolver.h"
#include "lab/LabChange.h"

namespace tavrin {

namespace {

using Kind = DeviceEntry::Kind;

QList<Kind> kindsFor(LabStep::Action action) {
    switch (action) {
        case LabStep::Action::holdExclusive:
            return {Kind::microphone};
        case LabStep::Action::lock:
        case LabStep::Action::set:
            return {Kind::camera, Kind::microphone};
        case LabStep::Action::uvc:
            return {Kind::camera};
        case LabStep::Action::move:
        case LabStep::Action::makeMain:
            return {Kind::display};
        case LabStep::Action::release:
            return {};
    }
    return {};
}

ConfigurationLockController& configurationLockOf(const DeviceEntry& entry) {
    if (const auto camera = entry.camera()) {
        return camera->configurationLock();
    }
    return entry.microphone()->configurationLock();
}

}  // namespace

Provocations::Provocations(AppContext& context) : context_(context) {}

Provocations::~Provocations() {
    releaseAll();
}

std::variant<DeviceEntry, QString> Provocations::deviceFor(DeviceStore& store,
                                                           const LabStep& step) {
    auto result = DeviceResolver::of(store).resolve(step.device, kindsFor(step.action));
    if (const auto* error = std::get_if<DeviceNameError>(&result)) {
        return error->text();
    }
    return std::get<DeviceEntry>(result);
}

std::optional<QString> Provocations::check(const LabStep& step) const {
    if (step.action == LabStep::Action::release && step.device.isEmpty()) {
        return std::nullopt;
    }
    const auto device = deviceFor(context_.deviceStore(), step);
    if (const auto* failure = std::get_if<QString>(&device)) {
        return *failure;
    }
    const auto& entry = std::get<DeviceEntry>(device);
    for (const auto& setting : step.settings) {
        const auto change = step.action == LabStep::Action::uvc
                                ? LabChange::uvcControl(context_, entry, setting)
                                : LabChange::setting(context_, entry, setting);
        if (const auto* failure = std::get_if<QString>(&change)) {
            return *failure;
        }
    }
    return std::nullopt;
}

void Provocations::start(const LabStep& step, int holdID, Done done) {
    if (step.action == LabStep::Action::release) {
        QUuid device;
        if (!step.device.isEmpty()) {
            const auto found = deviceFor(context_.deviceStore(), step);
            if (const auto* failure = std::get_if<QString>(&found)) {
                done(*failure);
                return;
            }
            device = std::get<DeviceEntry>(found).id();
        }
        releaseAll(device);
        done(std::nullopt);
        return;
    }
    const auto found = deviceFor(context_.deviceStore(), step);
    if (const auto* failure = std::get_if<QString>(&found)) {
        done(*failure);
        return;
    }
    const auto& entry = std::get<DeviceEntry>(found);
    // A device that went away stays listed, unavailable: the step fails rather than acting on it.
    if (!entry.isAvailable()) {
        done(entry.localizedName() + QStringLiteral(" is not available (") + entry.status().label +
             QLatin1Char(')'));
        return;
    }
    switch (step.action) {
        case LabStep::Action::holdExclusive:
            holdExclusive(entry, holdID, std::move(done));
            return;
        case LabStep::Action::lock:
            lock(entry, holdID, std::move(done));
            return;
        default:
            change(step, entry, holdID, std::move(done));
            return;
    }
}

void Provocations::holdExclusive(const DeviceEntry& entry, int holdID, Done done) {
    const auto microphone = entry.microphone();
    auto& exclusive = microphone->audioHogMode();
    const auto name = microphone->localizedName();
    if (exclusive.state().kind != HogModeState::Kind::notHogged) {
        done(QStringLiteral("this process already holds exclusive access to ") + name);
        return;
    }
    if (!exclusive.isDeviceResolvable()) {
        done(name + QStringLiteral(" has no audio device to take"));
        return;
    }
    const auto before = context_.eventLog().events(entry.id()).size();
    auto settled = std::make_shared<bool>(false);
    auto* watcher = new QObject(this);
    const auto settle = [this, watcher, settled, microphone, holdID, before, name,
                         done](bool taken) {
        if (std::exchange(*settled, true)) {
            return;
        }
        watcher->deleteLater();
        if (!taken) {
            finishWithLog(microphone->uuid(), before,
                          QStringLiteral("could not take exclusive access to ") + name, true, done);
            return;
        }
        holds_.insert(holdID, {microphone->uuid(), [microphone] {
                                   if (microphone->audioHogMode().state().kind !=
                                       HogModeState::Kind::notHogged) {
                                       microphone->audioHogMode().release();
                                   }
                               }});
        // Kept without the window's countdown: the hold lasts as long as the step says. Not from
        // inside the state notification, which comes before the countdown starts.
        context_.queue().post([microphone] { microphone->audioHogMode().keepIndefinitely(); });
        done(std::nullopt);
    };
    connect(&exclusive, &AudioHogModeController::stateChanged, watcher, [&exclusive, settle] {
        const auto kind = exclusive.state().kind;
        if (kind != HogModeState::Kind::taking) {
            settle(kind != HogModeState::Kind::notHogged);
        }
    });
    exclusive.take();
    if (exclusive.state().kind == HogModeState::Kind::notHogged) {
        settle(false);
    }
}

void Provocations::lock(const DeviceEntry& entry, int holdID, Done done) {
    auto& controller = configurationLockOf(entry);
    const auto name = entry.localizedName();
    if (controller.state().isLocked()) {
        done(QStringLiteral("this process already holds the configuration lock of ") + name);
        return;
    }
    if (!controller.avDevice()) {
        done(name + QStringLiteral(" has no capture device to lock"));
        return;
    }
    const auto before = context_.eventLog().events(entry.id()).size();
    controller.lock();
    if (!controller.state().isLocked()) {
        finishWithLog(entry.id(), before,
                      QStringLiteral("could not lock the configuration of ") + name, true,
                      std::move(done));
        return;
    }
    controller.keepLocked();
    holds_.insert(holdID, {entry.id(), [&controller] { controller.unlock(); }});
    done(std::nullopt);
}

void Provocations::change(const LabStep& step, const DeviceEntry& entry, int holdID, Done done) {
    QList<std::function<void()>> restores;
    const auto restoreAll = [](const QList<std::function<void()>>& restores) {
        for (auto it = restores.crbegin(); it != restores.crend(); ++it) {
            (*it)();
        }
    };
    std::optional<QString> failure;
    const auto before = context_.eventLog().events(entry.id()).size();
    if (step.action == LabStep::Action::move) {
        const auto display = entry.display();
        const auto old = display->frame().topLeft();
        if (const auto error = display->setOrigin(step.x, step.y)) {
            failure = QStringLiteral("the display services refused to move %1 (status %2)")
                          .arg(display->localizedName())
                          .arg(error);
        } else {
            restores.append([display, old] {
                display->setOrigin(std::int32_t(old.x()), std::int32_t(old.y()));
            });
        }
    } else if (step.action == LabStep::Action::makeMain) {
        auto& discovery = context_.deviceStore().displayDiscovery();
        std::shared_ptr<DisplayDevice> previous;
        for (const auto& display : discovery.displays()) {
            if (display->isMain()) {
                previous = display;
            }
        }
        if (const auto error = discovery.makeMain(*entry.display())) {
            failure = QStringLiteral("the display services refused to make %1 main (status %2)")
                          .arg(entry.localizedName())
                          .arg(error);
        } else if (previous) {
            restores.append([&discovery, previous] { discovery.makeMain(*previous); });
        }
    } else {
        for (const auto& setting : step.settings) {
            auto prepared = step.action == LabStep::Action::uvc
                                ? LabChange::uvcControl(context_, entry, setting)
                                : LabChange::setting(context_, entry, setting);
            if (const auto* reason = std::get_if<QString>(&prepared)) {
                failure = *reason;
                break;
            }
            auto applied = std::get<LabChange>(prepared).apply();
            if (const auto* reason = std::get_if<QString>(&applied)) {
                failure = *reason;
                break;
            }
            restores.append(std::get<AppliedChange>(applied).restore);
        }
    }
    if (failure) {
        restoreAll(restores);
        done(failure);
        return;
    }
    if (step.duration) {
        holds_.insert(holdID, {entry.id(), [restores, restoreAll] { restoreAll(restores); }});
    }
    // Microphone commands report a refusal as a line in the device's log.
    finishWithLog(entry.id(), before, {}, false, std::move(done));
}

void Provocations::finishWithLog(const QUuid& device, qsizetype eventsBefore,
                                 const QString& fallback, bool failedAnyway, Done done) {
    // Two hops: a recording made anywhere in the chain that led here is appended by then.
    auto& queue = context_.queue();
    queue.post([self = QPointer(this), &queue, device, eventsBefore, fallback, failedAnyway, done] {
        queue.post([self, device, eventsBefore, fallback, failedAnyway, done] {
            if (!self) {
                return;
            }
            const auto events = self->context_.eventLog().events(device);
            for (auto index = events.size() - 1; index >= eventsBefore && index >= 0; --index) {
                if (events[index].message.startsWith(QLatin1String("Failed"))) {
                    done(events[index].message);
                    return;
                }
            }
            done(failedAnyway ? std::optional(fallback) : std::nullopt);
        });
    });
}

void Provocations::release(int holdID) {
    if (const auto hold = holds_.take(holdID); hold.release) {
        hold.release();
    }
}

void Provocations::releaseAll(const QUuid& device) {
    for (const auto id : holds_.keys()) {
        if (device.isNull() || holds_.value(id).device == device) {
            release(id);
        }
    }
}

}  // namespace tavrin
