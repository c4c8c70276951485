#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "app/AppContext.h"
#include "app/ConsoleMonitor.h"
#include "catalogue/DeviceStore.h"
#include "platform/PlatformFactory.h"
#include "runtime/QtMainThreadQueue.h"

using namespace tavrin;

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Inspects the computer's cameras, microphones and displays."));
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

    const bool list = parser.isSet(listOption) || !parser.isSet(eventsOption);
    const bool events = parser.isSet(eventsOption) || !parser.isSet(listOption);
    // Without options: the list, then the demo's events for a while.
    bool secondsValid = true;
    const int seconds = parser.isSet(secondsOption)
                            ? parser.value(secondsOption).toInt(&secondsValid)
                            : (parser.isSet(eventsOption) ? 0 : 12);
    if (!secondsValid || seconds < 0) {
        std::fprintf(stderr, "tavrin: --seconds takes a whole number of seconds\n");
        return 2;
    }

    if (parser.isSet(demoOption) && parser.isSet(soundServerOption)) {
        std::fprintf(stderr, "tavrin: choose --demo or --sound-server, not both\n");
        return 2;
    }
    const auto choice = parser.isSet(demoOption)          ? PlatformChoice::demo
                        : parser.isSet(soundServerOption) ? PlatformChoice::soundServer
                                                          : PlatformChoice::automatic;
    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = createPlatform(*queue, choice);
    if (!platform) {
        std::fprintf(stderr, "tavrin: no sound server answered (is PULSE_SERVER right?)\n");
        return 1;
    }
    AppContext context(std::move(queue), std::move(platform));

    QTextStream out(stdout);
    ConsoleMonitor monitor(context, out);
    monitor.printEvents(events);
    context.deviceStore();
    // The framework's first lists arrive within moments of start.
    auto firstLists = context.queue().schedule(std::chrono::milliseconds(250), [&] {
        if (list) {
            monitor.printDevices();
        }
        if (!events) {
            QCoreApplication::quit();
        }
    });
    if (events && seconds > 0) {
        QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    }
    return application.exec();
}
