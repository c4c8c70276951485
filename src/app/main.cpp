#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "app/AppContext.h"
#include "lab/LabCommandLine.h"
#include "lab/LabExit.h"
#include "lab/LabSession.h"
#include "platform/PlatformFactory.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/qscreen/WaylandDisplayPlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/AppDelegate.h"
#include "ui/SymbolIcons.h"

using namespace tavrin;

namespace {

struct WindowOptions {
    PlatformChoice platform = PlatformChoice::automatic;
    QString cameraFixture;
};

// The window's own options; everything else is a subcommand's (see lab/LabCommands).
std::optional<WindowOptions> windowOptions(const QApplication& application) {
    QCommandLineParser parser;
    QCommandLineOption demoOption(QStringLiteral("demo"));
    QCommandLineOption soundServerOption(QStringLiteral("sound-server"));
    QCommandLineOption cameraFixtureOption(QStringLiteral("camera-fixture"), QString(),
                                           QStringLiteral("FILE"));
    parser.addOptions({demoOption, soundServerOption, cameraFixtureOption});
    if (!parser.parse(application.arguments())) {
        std::fprintf(stderr, "tavrin: %s (tavrin --help lists the options)\n",
                     qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (int(parser.isSet(demoOption)) + int(parser.isSet(soundServerOption)) +
            int(parser.isSet(cameraFixtureOption)) >
        1) {
        std::fprintf(stderr, "tavrin: choose one of --demo, --sound-server and --camera-fixture\n");
        return std::nullopt;
    }
    WindowOptions options;
    options.platform = parser.isSet(demoOption)          ? PlatformChoice::demo
                       : parser.isSet(soundServerOption) ? PlatformChoice::soundServer
                                                         : PlatformChoice::automatic;
    options.cameraFixture = parser.value(cameraFixtureOption);
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin"));
    QCoreApplication::setApplicationName(QStringLiteral("tavrin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    QStringList arguments;
    for (int index = 1; index < argc; ++index) {
        arguments.append(QString::fromLocal8Bit(argv[index]));
    }
    // The subcommands need no display.
    if (LabCommandLine::isConsole(arguments)) {
        QCoreApplication application(argc, argv);
        return LabSession::run(application);
    }
    QApplication application(argc, argv);
    const auto options = windowOptions(application);
    if (!options) {
        return LabExit::usage;
    }
    auto queue = std::make_unique<QtMainThreadQueue>();
    std::unique_ptr<Platform> services;
    if (!options->cameraFixture.isEmpty()) {
        QString error;
        services = createPlatformWithCameraFixture(*queue, options->cameraFixture, &error);
        if (!services) {
            std::fprintf(stderr, "tavrin: %s\n", qPrintable(error));
            return LabExit::usage;
        }
    } else {
        services = createPlatform(*queue, options->platform);
    }
    if (!services) {
        std::fprintf(stderr, "tavrin: no sound server answered (is PULSE_SERVER right?)\n");
        return LabExit::failed;
    }
    // A Wayland session's displays come from Qt's screens, which need the GUI application.
    if (isWaylandSession() && dynamic_cast<LinuxPlatform*>(services.get())) {
        services = std::make_unique<WaylandDisplayPlatform>(*queue, std::move(services));
    }
    AppContext context(std::move(queue), std::move(services));
    installIconThemeFallback();
    QApplication::setWindowIcon(symbolIcon(QStringLiteral("video")));
    AppDelegate delegate(context);
    delegate.openWindow();
    return application.exec();
}
