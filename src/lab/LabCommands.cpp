#include "lab/LabCommands.h"

#include <QStringList>

namespace tavrin {

namespace {

LabOption secondsOption(const QString& help) {
    return {QStringLiteral("seconds"), QStringLiteral("N"), help};
}

const LabOption jsonEventsOption{
    QStringLiteral("json"), {}, QStringLiteral("Write the events as JSON lines.")};

const QString exitCodes = QStringLiteral(
    "Exit codes: 0 when the command did what it was asked, 1 when the operation failed (a device "
    "refused, was busy or went away; the reason is on standard error), 2 when the command line or "
    "an input file is wrong (the reason names it).");

const QString devices = QStringLiteral(
    "A DEVICE is named by its unique ID, by a prefix of its name that only one device has (case "
    "does not matter), or by KIND:INDEX such as camera:0, microphone:1 or display:0, counting "
    "from 0 in the order of tavrin list. A name that fits several devices lists them and exits "
    "with 2.");

}  // namespace

const QList<LabOption>& LabCommands::commonOptions() {
    static const QList<LabOption> options{
        {QStringLiteral("demo"),
         {},
         QStringLiteral("Use the built-in demo devices and their scripted changes.")},
        {QStringLiteral("fixture"), QStringLiteral("FILE"),
         QStringLiteral("Use the demo platform seeded from a fixture file (with its own scenario, "
                        "if it has one) instead of the built-in demo.")},
        {QStringLiteral("sound-server"),
         {},
         QStringLiteral("Use this computer's devices and fail when no sound server answers "
                        "(PULSE_SERVER selects the server).")},
        {QStringLiteral("camera-fixture"), QStringLiteral("FILE"),
         QStringLiteral("Use this computer's devices, but take the cameras and their USB side "
                        "from a V4L2 fixture file instead of the kernel.")},
        {QStringLiteral("help"), {}, QStringLiteral("Show the help of the subcommand.")},
    };
    return options;
}

const QList<LabCommand>& LabCommands::all() {
    static const QList<LabCommand> commands{
        {QStringLiteral("list"),
         QStringLiteral("[--json]"),
         QStringLiteral("Print the devices."),
         QStringLiteral("Without --json, one line per device: kind, name, status and subtitle. "
                        "With --json, one document with every property the inspector shows, per "
                        "kind (see docs/json-schemas.md)."),
         {{QStringLiteral("json"), {}, QStringLiteral("Write one JSON document.")}}},
        {QStringLiteral("events"),
         QStringLiteral("[--json] [--seconds N] [--device DEVICE]... [--kind KIND]..."),
         QStringLiteral("Print every device event as it happens."),
         QStringLiteral("Runs until N seconds have passed, or until interrupted. With --json, one "
                        "object per line: time, device ID and name, kind, source, message; the "
                        "same lines as Export in the window's log pane."),
         {jsonEventsOption,
          secondsOption(QStringLiteral("Stop after N seconds.")),
          {QStringLiteral("device"), QStringLiteral("DEVICE"),
           QStringLiteral("Only this device's events; may be repeated."), true},
          {QStringLiteral("kind"), QStringLiteral("KIND"),
           QStringLiteral("Only devices of this kind (camera, microphone, display); may be "
                          "repeated."),
           true}}},
        {QStringLiteral("snapshot"),
         {},
         QStringLiteral("Write the logged state of every device as JSON to standard output."),
         QStringLiteral("Keep it in a file and give it to tavrin diff later."),
         {}},
        {QStringLiteral("diff"),
         QStringLiteral("[--json] FILE"),
         QStringLiteral("Print what changed since a snapshot, in the words of the event log."),
         QStringLiteral("Each line is one change: \"<name> <property>: <then> \u2192 <now>\", a "
                        "\"Discovered\" line for a device that is new, and \"present: yes \u2192 "
                        "no\" for one that is gone. A snapshot of another version is refused."),
         {{QStringLiteral("json"), {}, QStringLiteral("Write the changes as JSON lines.")}}},
        {QStringLiteral("hold-exclusive"),
         QStringLiteral("MICROPHONE [--seconds N]"),
         QStringLiteral("Take exclusive access to a microphone and hold it."),
         QStringLiteral("Holds for N seconds, or until interrupted, then gives the microphone "
                        "back and exits with 0. When the access can't be taken, exits with 1 and "
                        "the reason."),
         {secondsOption(QStringLiteral("Hold for N seconds.")), jsonEventsOption}},
        {QStringLiteral("lock"),
         QStringLiteral("DEVICE [--seconds N]"),
         QStringLiteral("Hold the configuration lock of a camera or microphone."),
         QStringLiteral("Holds for N seconds, or until interrupted, then unlocks and exits with "
                        "0. When the lock can't be taken, exits with 1 and the reason."),
         {secondsOption(QStringLiteral("Hold for N seconds.")), jsonEventsOption}},
        {QStringLiteral("set"),
         QStringLiteral("DEVICE SETTING... [--seconds N]"),
         QStringLiteral("Change a camera's or microphone's configuration."),
         QStringLiteral(
             "Camera settings: format=WxH@FPS[:FOURCC] (for example format=1280x720@30:420v), "
             "colorspace=NAME (sRGB, P3-D65, HLG-BT.2020, Apple-Log or its number; spaces, dots "
             "and case don't matter), exposure=MODE, focus=MODE, whitebalance=MODE (locked, "
             "auto, continuous; exposure also custom).\n\nMicrophone settings: volume=0..1, "
             "mute=on|off, rate=HZ, input=SOURCE (its name or ID), default (make it the default "
             "input).\n\n"
             "With --seconds, the earlier values are put back after N seconds or when "
             "interrupted; without, the change stays and the command exits once it "
             "was made."),
         {secondsOption(QStringLiteral("Put the earlier values back after N seconds.")),
          jsonEventsOption}},
        {QStringLiteral("uvc"),
         QStringLiteral("CAMERA NAME=VALUE... | CAMERA --list"),
         QStringLiteral("Read or write a USB camera's UVC controls directly."),
         QStringLiteral("NAME is one of the control names that --list prints (brightness, "
                        "exposure-time, focus-auto, ...). A toggle takes on or off, a choice its "
                        "name or number, a slider a number, clamped to the control's range."),
         {{QStringLiteral("list"), {}, QStringLiteral("Print the camera's controls and values.")},
          secondsOption(QStringLiteral("Put the earlier values back after N seconds.")),
          jsonEventsOption}},
        {QStringLiteral("move"),
         QStringLiteral("DISPLAY X Y [--seconds N]"),
         QStringLiteral("Move a display to X, Y in the global arrangement."),
         QStringLiteral("The move is permanent unless --seconds puts the display back."),
         {secondsOption(QStringLiteral("Put the display back after N seconds.")),
          jsonEventsOption}},
        {QStringLiteral("make-main"),
         QStringLiteral("DISPLAY [--seconds N]"),
         QStringLiteral("Make a display the main display (it moves to the origin)."),
         QStringLiteral("The change is permanent unless --seconds makes the earlier main display "
                        "main again."),
         {secondsOption(QStringLiteral("Restore the earlier main display after N seconds.")),
          jsonEventsOption}},
        {QStringLiteral("run"),
         QStringLiteral("SCENARIO.json [--output FILE]"),
         QStringLiteral("Play a timed scenario of the provocations above."),
         QStringLiteral("The whole file is checked before the first step; a bad file changes "
                        "nothing and names the line and the reason. Every event is written as a "
                        "JSON line to standard output, or to FILE. The format is in "
                        "docs/json-schemas.md."),
         {{QStringLiteral("output"), QStringLiteral("FILE"),
           QStringLiteral("Write the events to FILE instead of standard output.")}}},
    };
    return commands;
}

const LabCommand* LabCommands::find(const QString& name) {
    for (const auto& command : all()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

namespace {

QString optionLines(const QList<LabOption>& options) {
    QString text;
    for (const auto& option : options) {
        auto head = QStringLiteral("  --") + option.name;
        if (!option.valueName.isEmpty()) {
            head += QLatin1Char(' ') + option.valueName;
        }
        text += head.leftJustified(24) + QLatin1Char(' ') + option.help + QLatin1Char('\n');
    }
    return text;
}

QString roffEscaped(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    text.replace(QStringLiteral("\u2192"), QStringLiteral("\\(->"));
    // A line starting with a dot or an apostrophe would be read as a request.
    text.replace(QStringLiteral("\n."), QStringLiteral("\n\\&."));
    return text;
}

}  // namespace

QString LabCommands::overviewHelp() {
    QString text = QStringLiteral(
        "Usage: tavrin [--demo | --sound-server | --camera-fixture FILE]   open the window\n"
        "       tavrin SUBCOMMAND [ARGUMENTS] [OPTIONS]                    work without a "
        "window\n\n"
        "Inspects the computer's cameras, microphones and displays, and provokes the situations "
        "that capture software must survive.\n\nSubcommands:\n");
    for (const auto& command : all()) {
        text += QStringLiteral("  ") + command.name.leftJustified(16) + command.summary +
                QLatin1Char('\n');
    }
    text += QStringLiteral("\nOptions of every subcommand:\n") + optionLines(commonOptions());
    text += QStringLiteral(
                "\n--list and --events are kept as the old names of list and events.\n"
                "tavrin SUBCOMMAND --help describes one subcommand.\n\n") +
            devices + QStringLiteral("\n\n") + exitCodes + QLatin1Char('\n');
    return text;
}

QString LabCommands::commandHelp(const LabCommand& command) {
    QString text = QStringLiteral("Usage: tavrin ") + command.name;
    if (!command.synopsis.isEmpty()) {
        text += QLatin1Char(' ') + command.synopsis;
    }
    text += QStringLiteral("\n\n") + command.summary + QStringLiteral("\n\n") + command.details +
            QStringLiteral("\n\n");
    if (!command.options.isEmpty()) {
        text += QStringLiteral("Options:\n") + optionLines(command.options);
    }
    text += optionLines(commonOptions()) + QLatin1Char('\n') + exitCodes + QLatin1Char('\n');
    return text;
}

QString LabCommands::manPage(const QString& version) {
    QString page =
        QStringLiteral(".TH TAVRIN 1 \"\" \"tavrin %1\" \"User Commands\"\n").arg(version);
    page += QStringLiteral(
        ".SH NAME\ntavrin \\- inspect and contend for cameras, microphones and "
        "displays\n.SH SYNOPSIS\n.B tavrin\n[\\-\\-demo | \\-\\-sound\\-server]\n"
        ".br\n.B tavrin\n.I SUBCOMMAND\n[arguments] [options]\n");
    page += QStringLiteral(
        ".SH DESCRIPTION\nWithout a subcommand, tavrin opens its window. The "
        "subcommands work without a display, for scripts and CI jobs.\n");
    page += QStringLiteral(".SH SUBCOMMANDS\n");
    for (const auto& command : all()) {
        page += QStringLiteral(".TP\n.B ") +
                roffEscaped(command.name + QLatin1Char(' ') + command.synopsis) +
                QLatin1Char('\n') +
                roffEscaped(
                    command.summary + QLatin1Char(' ') +
                    QString(command.details).replace(QStringLiteral("\n\n"), QStringLiteral(" "))) +
                QLatin1Char('\n');
        for (const auto& option : command.options) {
            page +=
                QStringLiteral(".RS\n.TP\n.B \\-\\-") + roffEscaped(option.name) +
                (option.valueName.isEmpty() ? QString()
                                            : QStringLiteral(" ") + roffEscaped(option.valueName)) +
                QLatin1Char('\n') + roffEscaped(option.help) + QStringLiteral("\n.RE\n");
        }
    }
    page += QStringLiteral(".SH OPTIONS\n");
    for (const auto& option : commonOptions()) {
        page += QStringLiteral(".TP\n.B \\-\\-") + roffEscaped(option.name) +
                (option.valueName.isEmpty() ? QString()
                                            : QStringLiteral(" ") + roffEscaped(option.valueName)) +
                QLatin1Char('\n') + roffEscaped(option.help) + QLatin1Char('\n');
    }
    page += QStringLiteral(".SH DEVICES\n") + roffEscaped(devices) + QLatin1Char('\n');
    page += QStringLiteral(".SH EXIT STATUS\n") + roffEscaped(exitCodes) + QLatin1Char('\n');
    page += QStringLiteral(".SH ENVIRONMENT\n.TP\n.B PULSE_SERVER\nThe sound server to use.\n");
    return page;
}

}  // namespace tavrin
