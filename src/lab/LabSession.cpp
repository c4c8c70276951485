#include "lab/LabSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <cstdio>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "lab/DeviceJson.h"
#include "lab/DeviceResolver.h"
#include "lab/EventStreamWriter.h"
#include "lab/LabChange.h"
#include "lab/LabExit.h"
#include "lab/ScenarioRunner.h"
#include "lab/SignalGuard.h"
#include "lab/StateSnapshot.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "uvc/UVCControlTable.h"
#include "uvc/UVCSession.h"

namespace tavrin {

namespace {

// The framework's first device lists arrive within moments of start.
constexpr std::chrono::milliseconds firstListsDelay{300};

void printError(const QString& text) {
    std::fprintf(stderr, "tavrin: %s\n", qPrintable(text));
}

// A file that a user handed over, read whole if it is not larger than `limit`.
std::optional<QByteArray> readBounded(const QString& path, qint64 limit, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("can't read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > limit) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(limit);
        return std::nullopt;
    }
    return file.read(limit + 1);
}

std::variant<std::unique_ptr<AppContext>, QString> makeContext(const LabInvocation& invocation) {
    auto queue = std::make_unique<QtMainThreadQueue>();
    std::unique_ptr<Platform> platform;
    if (!invocation.fixturePath.isEmpty()) {
        QString error;
        const auto text = readBounded(invocation.fixturePath, 16 * 1024 * 1024, &error);
        if (!text) {
            return error;
        }
        const auto fixture = FakeFixture::parse(*text, &error);
        if (!fixture) {
            return invocation.fixturePath + QStringLiteral(": ") + error;
        }
        auto fake = std::make_unique<FakePlatform>(*queue, *fixture);
        fake->startScenario(fixture->scenario);
        platform = std::move(fake);
    } else if (!invocation.cameraFixturePath.isEmpty()) {
        QString error;
        platform = createPlatformWithCameraFixture(*queue, invocation.cameraFixturePath, &error);
        if (!platform) {
            return invocation.cameraFixturePath + QStringLiteral(": ") + error;
        }
    } else {
        platform = createPlatform(*queue, invocation.platform);
    }
    if (!platform) {
        return QStringLiteral("no sound server answered (is PULSE_SERVER right?)");
    }
    return std::make_unique<AppContext>(std::move(queue), std::move(platform));
}

std::optional<std::chrono::milliseconds> secondsOption(const LabInvocation& invocation,
                                                       QString* error) {
    if (!invocation.has(QStringLiteral("seconds"))) {
        return std::nullopt;
    }
    bool isNumber = false;
    const double seconds = invocation.value(QStringLiteral("seconds")).toDouble(&isNumber);
    if (!isNumber || !(seconds > 0 && seconds <= Scenario::maxSeconds)) {
        *error = QStringLiteral("--seconds takes a number of seconds above 0");
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

}  // namespace

LabSession::LabSession(QCoreApplication& application, LabInvocation invocation)
    : application_(application), invocation_(std::move(invocation)) {
    out_.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
}

// Whatever holds device state goes before the context it holds it in.
LabSession::~LabSession() {
    runner_.reset();
    writer_.reset();
}

int LabSession::run(QCoreApplication& application) {
    auto arguments = application.arguments();
    arguments.removeFirst();
    auto parsed = LabCommandLine::parse(arguments);
    if (const auto* error = std::get_if<QString>(&parsed)) {
        printError(*error);
        return LabExit::usage;
    }
    auto& invocation = std::get<LabInvocation>(parsed);
    if (invocation.wantsManPage) {
        std::fputs(qPrintable(LabCommands::manPage(application.applicationVersion())), stdout);
        return LabExit::ok;
    }
    if (invocation.wantsHelp || !invocation.command) {
        std::fputs(qPrintable(invocation.command ? LabCommands::commandHelp(*invocation.command)
                                                 : LabCommands::overviewHelp()),
                   stdout);
        return invocation.wantsHelp ? LabExit::ok : LabExit::usage;
    }
    LabSession session(application, std::move(invocation));
    return session.exec();
}

int LabSession::exec() {
    auto context = makeContext(invocation_);
    if (const auto* error = std::get_if<QString>(&context)) {
        printError(*error);
        return LabExit::failed;
    }
    context_ = std::move(std::get<std::unique_ptr<AppContext>>(context));
    signals_ = std::make_unique<SignalGuard>();
    connect(signals_.get(), &SignalGuard::received, this, [this] {
        if (runner_) {
            runner_->interrupt();
        } else {
            end(LabExit::ok);
        }
    });
    context_->deviceStore();
    auto firstLists = context_->queue().schedule(firstListsDelay, [this] { dispatch(); });
    const int code = application_.exec();
    return code;
}

void LabSession::end(int exitCode) {
    if (!std::exchange(ended_, true)) {
        // The loop may not run yet when the command ends straight away.
        QMetaObject::invokeMethod(
            &application_, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
    }
}

void LabSession::dispatch() {
    const auto& name = invocation_.command->name;
    if (name == QLatin1String("list")) {
        end(listDevices());
    } else if (name == QLatin1String("snapshot")) {
        end(snapshot());
    } else if (name == QLatin1String("diff")) {
        end(diff());
    } else if (name == QLatin1String("events")) {
        followEvents();
    } else if (name == QLatin1String("run")) {
        runScenario();
    } else if (name == QLatin1String("uvc") && invocation_.has(QStringLiteral("list"))) {
        end(listUVCControls());
    } else {
        provoke();
    }
}

int LabSession::listDevices() {
    if (!invocation_.arguments.isEmpty()) {
        printError(QStringLiteral("list takes no arguments"));
        return LabExit::usage;
    }
    const auto devices = DeviceResolver::of(context_->deviceStore());
    if (invocation_.has(QStringLiteral("json"))) {
        out_.write(QJsonDocument(DeviceJson::deviceList(devices)).toJson());
        return LabExit::ok;
    }
    // The name column fits the longest name: drivers give names of up to 31 characters.
    qsizetype nameWidth = 28;
    for (const auto& entry : devices.entries()) {
        nameWidth = std::max(nameWidth, entry.localizedName().size() + 1);
    }
    for (const auto& entry : devices.entries()) {
        out_.write((DeviceEntry::kindNoun(entry.kind()).leftJustified(11) +
                    entry.localizedName().leftJustified(nameWidth) +
                    entry.status().label.leftJustified(14) + entry.subtitle().value_or(QString()) +
                    QLatin1Char('\n'))
                       .toUtf8());
    }
    return LabExit::ok;
}

int LabSession::snapshot() {
    if (!invocation_.arguments.isEmpty()) {
        printError(QStringLiteral("snapshot takes no arguments; redirect its output to a file"));
        return LabExit::usage;
    }
    out_.write(QJsonDocument(StateSnapshot::capture(context_->deviceStore()).toJson()).toJson());
    return LabExit::ok;
}

int LabSession::diff() {
    if (invocation_.arguments.size() != 1) {
        printError(QStringLiteral("diff takes one snapshot file"));
        return LabExit::usage;
    }
    QString error;
    const auto text =
        readBounded(invocation_.arguments.first(), StateSnapshot::maxFileSize, &error);
    if (!text) {
        printError(error);
        return LabExit::usage;
    }
    auto then = StateSnapshot::parse(*text);
    if (const auto* reason = std::get_if<QString>(&then)) {
        printError(invocation_.arguments.first() + QStringLiteral(": ") + *reason);
        return LabExit::usage;
    }
    const auto now = StateSnapshot::capture(context_->deviceStore());
    const bool json = invocation_.has(QStringLiteral("json"));
    for (const auto& change : now.changesSince(std::get<StateSnapshot>(then))) {
        if (json) {
            out_.write(DeviceJson::line({{QStringLiteral("deviceID"), change.deviceID},
                                         {QStringLiteral("device"), change.device},
                                         {QStringLiteral("kind"), change.kind},
                                         {QStringLiteral("source"), change.source},
                                         {QStringLiteral("message"), change.message}}));
        } else {
            out_.write((QLatin1Char('[') + change.source + QStringLiteral("] ") + change.message +
                        QLatin1Char('\n'))
                           .toUtf8());
        }
    }
    return LabExit::ok;
}

int LabSession::listUVCControls() {
    if (invocation_.arguments.size() != 1) {
        printError(QStringLiteral("uvc --list takes one camera"));
        return LabExit::usage;
    }
    const auto found = DeviceResolver::of(context_->deviceStore())
                           .resolve(invocation_.arguments.first(), {DeviceEntry::Kind::camera});
    if (const auto* error = std::get_if<DeviceNameError>(&found)) {
        printError(error->text());
        return LabExit::usage;
    }
    const auto camera = std::get<DeviceEntry>(found).camera();
    struct Listed {
        UVCControl control;
        std::optional<std::int64_t> value;
    };
    using Listing = std::array<std::optional<Listed>, uvcControlTable.size()>;
    const auto session = camera->uvcController();
    // The lab waits for the camera's thread: it has no window to keep responsive.
    const auto listing =
        session ? session->call<Listing>(
                      [](UVCController& controller) {
                          Listing listing;
                          for (std::size_t index = 0; index < uvcControlTable.size(); ++index) {
                              const auto& spec = uvcControlTable[index];
                              if (const auto control = controller.control(spec.unit, spec.selector,
                                                                          spec.byteCount)) {
                                  listing[index] =
                                      Listed{*control, UVCController::currentValue(*control)};
                              }
                          }
                          return listing;
                      },
                      std::chrono::seconds(5))
                : std::nullopt;
    if (!listing) {
        printError(camera->localizedName() + (session && session->isOpen().value_or(false)
                                                  ? QStringLiteral(" did not answer")
                                                  : QStringLiteral(" has no UVC controls")));
        return LabExit::failed;
    }
    const auto names = LabChange::uvcControlNames();
    for (std::size_t index = 0; index < uvcControlTable.size(); ++index) {
        if (!(*listing)[index]) {
            continue;
        }
        const auto& [control, value] = *(*listing)[index];
        out_.write(QStringLiteral("%1 %2  range %3..%4  default %5%6\n")
                       .arg(names[qsizetype(index)].leftJustified(26))
                       .arg(value ? QString::number(*value) : QStringLiteral("?"), 6)
                       .arg(control.lowerBound())
                       .arg(control.upperBound())
                       .arg(control.defaultValue)
                       .arg(control.supportsSet ? QString() : QStringLiteral("  read-only"))
                       .toUtf8());
    }
    return LabExit::ok;
}

bool LabSession::applyEventFilters(EventStreamWriter& writer) {
    const auto devices = DeviceResolver::of(context_->deviceStore());
    QSet<QUuid> chosen;
    for (const auto& name : invocation_.options.value(QStringLiteral("device"))) {
        const auto found = devices.resolve(name);
        if (const auto* error = std::get_if<DeviceNameError>(&found)) {
            printError(error->text());
            return false;
        }
        chosen.insert(std::get<DeviceEntry>(found).id());
    }
    QSet<DeviceEntry::Kind> kinds;
    for (const auto& noun : invocation_.options.value(QStringLiteral("kind"))) {
        bool known = false;
        for (const auto kind : {DeviceEntry::Kind::camera, DeviceEntry::Kind::microphone,
                                DeviceEntry::Kind::display}) {
            if (DeviceEntry::kindNoun(kind) == noun) {
                kinds.insert(kind);
                known = true;
            }
        }
        if (!known) {
            printError(QStringLiteral("--kind takes camera, microphone or display"));
            return false;
        }
    }
    writer.setDevices(chosen);
    writer.setKinds(kinds);
    return true;
}

std::unique_ptr<EventStreamWriter> LabSession::makeWriter(QIODevice& out) const {
    return std::make_unique<EventStreamWriter>(context_->deviceStore(), out,
                                               invocation_.has(QStringLiteral("json"))
                                                   ? EventStreamWriter::Format::json
                                                   : EventStreamWriter::Format::plain);
}

void LabSession::followEvents() {
    QString error;
    const auto seconds = secondsOption(invocation_, &error);
    if (!error.isEmpty() || !invocation_.arguments.isEmpty()) {
        printError(error.isEmpty() ? QStringLiteral("events takes no arguments") : error);
        end(LabExit::usage);
        return;
    }
    // The events of the start (the discoveries) are part of the stream, as the old mode printed.
    writer_ = makeWriter(out_);
    if (!applyEventFilters(*writer_)) {
        end(LabExit::usage);
        return;
    }
    if (invocation_.listsDevicesFirst) {
        invocation_.options.remove(QStringLiteral("json"));
        listDevices();
    }
    writer_->writeEverything();
    if (seconds) {
        QTimer::singleShot(*seconds - std::min(*seconds, firstListsDelay), this,
                           [this] { end(LabExit::ok); });
    }
}

void LabSession::provoke() {
    const auto& name = invocation_.command->name;
    LabStep step;
    step.action = *LabStep::actionNamed(name);
    QString error;
    step.duration = secondsOption(invocation_, &error);
    auto arguments = invocation_.arguments;
    const auto needs = [&](qsizetype count, bool orMore) {
        return orMore ? arguments.size() >= count : arguments.size() == count;
    };
    const bool takesSettings =
        step.action == LabStep::Action::set || step.action == LabStep::Action::uvc;
    const bool fits = step.action == LabStep::Action::move ? needs(3, false)
                      : takesSettings                      ? needs(2, true)
                                                           : needs(1, false);
    if (error.isEmpty() && !fits) {
        error = QStringLiteral("usage: tavrin %1 %2").arg(name, invocation_.command->synopsis);
    }
    if (error.isEmpty() && step.action == LabStep::Action::move) {
        bool xValid = false;
        bool yValid = false;
        step.x = arguments[1].toInt(&xValid);
        step.y = arguments[2].toInt(&yValid);
        if (!xValid || !yValid) {
            error = QStringLiteral("X and Y are whole numbers of points");
        }
    }
    if (!error.isEmpty()) {
        printError(error);
        end(LabExit::usage);
        return;
    }
    step.device = arguments.takeFirst();
    if (takesSettings) {
        step.settings = arguments;
    }
    Scenario scenario;
    scenario.steps.append(step);
    auto runner = std::make_unique<ScenarioRunner>(*context_, scenario,
                                                   ScenarioRunner::Mode::command, nullptr);
    if (const auto errors = runner->validate(); !errors.isEmpty()) {
        // Only the reason: a command line has no lines to name.
        auto reason = errors.first().reason;
        printError(reason.mid(reason.indexOf(QStringLiteral(": ")) + 2));
        end(LabExit::usage);
        return;
    }
    // The device's events show what the provocation did and how the device answered.
    writer_ = makeWriter(out_);
    writer_->setDevices(
        {std::get<DeviceEntry>(Provocations::deviceFor(context_->deviceStore(), step)).id()});
    writer_->skipWhatIsThere();
    startRunner(std::move(runner));
}

void LabSession::runScenario() {
    if (invocation_.arguments.size() != 1) {
        printError(QStringLiteral("run takes one scenario file"));
        end(LabExit::usage);
        return;
    }
    const auto path = invocation_.arguments.first();
    QString error;
    const auto text = readBounded(path, Scenario::maxFileSize, &error);
    if (!text) {
        printError(error);
        end(LabExit::usage);
        return;
    }
    auto parsed = Scenario::parse(*text);
    if (const auto* refused = std::get_if<ScenarioError>(&parsed)) {
        printError(path + QStringLiteral(": ") + refused->text());
        end(LabExit::usage);
        return;
    }
    QIODevice* output = &out_;
    if (invocation_.has(QStringLiteral("output"))) {
        scenarioOutput_ = std::make_unique<QFile>(invocation_.value(QStringLiteral("output")));
        if (!scenarioOutput_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printError(QStringLiteral("can't write %1: %2")
                           .arg(scenarioOutput_->fileName(), scenarioOutput_->errorString()));
            end(LabExit::usage);
            return;
        }
        output = scenarioOutput_.get();
    }
    auto runner = std::make_unique<ScenarioRunner>(*context_, std::get<Scenario>(std::move(parsed)),
                                                   ScenarioRunner::Mode::scenario, output);
    if (const auto errors = runner->validate(); !errors.isEmpty()) {
        for (const auto& refused : errors) {
            printError(path + QStringLiteral(": ") + refused.text());
        }
        end(LabExit::usage);
        return;
    }
    writer_ = std::make_unique<EventStreamWriter>(context_->deviceStore(), *output,
                                                  EventStreamWriter::Format::json);
    writer_->skipWhatIsThere();
    startRunner(std::move(runner));
}

void LabSession::startRunner(std::unique_ptr<ScenarioRunner> runner) {
    runner_ = std::move(runner);
    connect(runner_.get(), &ScenarioRunner::finished, this,
            [this](int exitCode) { end(exitCode); });
    runner_->start();
}

}  // namespace tavrin
