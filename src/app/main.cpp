#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/AppContext.h"
#include "app/ConsoleMonitor.h"
#include "catalogue/DeviceStore.h"
#include "platform/PlatformFactory.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/qscreen/WaylandDisplayPlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/AppDelegate.h"
#include "ui/SymbolIcons.h"

using namespace tavrin;

namespace {

struct Options {
    bool list = false;
    bool events = false;
    int seconds = 0;
    PlatformChoice platform = PlatformChoice::automatic;
};

// Reads the options; exits with 2 on a bad one.
Options parseOptions(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Inspects the computer's cameras, microphones and displays. Without "
                       "--list or --events it opens the window."));
    parser.addHelpOption();
    QCommandLineOption listOption(QStringLiteral("list"),
                                  QStringLiteral("Print the devices and quit."));
    QCommandLineOption eventsOption(QStringLiteral("events"),
                                    QStringLiteral("Print every device event as it happens."));
    QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                     QStringLiteral("With --events, quit after <n> seconds."),
                                     QStringLiteral("n"));
    QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Show the built-in demo devices instead of this computer's."));
    QCommandLineOption soundServerOption(
        QStringLiteral("sound-server"),
        QStringLiteral("Show this computer's devices, and fail when no sound server answers."));
    parser.addOptions({listOption, eventsOption, secondsOption, demoOption, soundServerOption});
    parser.process(application);

    Options options;
    options.list = parser.isSet(listOption);
    options.events = parser.isSet(eventsOption);
    bool secondsValid = true;
    options.seconds =
        parser.isSet(secondsOption) ? parser.value(secondsOption).toInt(&secondsValid) : 0;
    if (!secondsValid || options.seconds < 0) {
        std::fprintf(stderr, "tavrin: --seconds takes a whole number of seconds\n");
        std::exit(2);
    }
    if (parser.isSet(demoOption) && parser.isSet(soundServerOption)) {
        std::fprintf(stderr, "tavrin: choose --demo or --sound-server, not both\n");
        std::exit(2);
    }
    options.platform = parser.isSet(demoOption)          ? PlatformChoice::demo
                       : parser.isSet(soundServerOption) ? PlatformChoice::soundServer
                                                         : PlatformChoice::automatic;
    return options;
}

std::unique_ptr<AppContext> makeContext(PlatformChoice choice) {
    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = createPlatform(*queue, choice);
    if (!platform) {
        std::fprintf(stderr, "tavrin: no sound server answered (is PULSE_SERVER right?)\n");
        return nullptr;
    }
    // A Wayland session's displays come from Qt's screens, which need the GUI application.
    if (qGuiApp && isWaylandSession() && dynamic_cast<LinuxPlatform*>(platform.get())) {
        platform = std::make_unique<WaylandDisplayPlatform>(*queue, std::move(platform));
    }
    return std::make_unique<AppContext>(std::move(queue), std::move(platform));
}

int runConsole(QCoreApplication& application, const Options& options) {
    auto context = makeContext(options.platform);
    if (!context) {
        return 1;
    }
    QTextStream out(stdout);
    ConsoleMonitor monitor(*context, out);
    monitor.printEvents(options.events);
    context->deviceStore();
    // The framework's first lists arrive within moments of start.
    auto firstLists = context->queue().schedule(std::chrono::milliseconds(250), [&] {
        if (options.list) {
            monitor.printDevices();
        }
        if (!options.events) {
            QCoreApplication::quit();
        }
    });
    if (options.events && options.seconds > 0) {
        QTimer::singleShot(options.seconds * 1000, &application, &QCoreApplication::quit);
    }
    return application.exec();
}

bool wantsConsole(int argc, char** argv) {
    for (int index = 1; index < argc; ++index) {
        const QByteArray argument(argv[index]);
        if (argument == "--list" || argument == "--events" || argument == "--help" ||
            argument == "-h" || argument == "--help-all") {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin"));
    QCoreApplication::setApplicationName(QStringLiteral("tavrin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    // The console modes need no display.
    if (wantsConsole(argc, argv)) {
        QCoreApplication application(argc, argv);
        return runConsole(application, parseOptions(application));
    }
    QApplication application(argc, argv);
    const auto options = parseOptions(application);
    auto context = makeContext(options.platform);
    if (!context) {
        return 1;
    }
    installIconThemeFallback();
    QApplication::setWindowIcon(symbolIcon(QStringLiteral("video")));
    AppDelegate delegate(*context);
    delegate.openWindow();
    return application.exec();
}
