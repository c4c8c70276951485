#include "contract/DisplayServerDriver.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

#include "platform/CompositeDeviceFramework.h"
#include "platform/fake/FakePlatform.h"
#include "platform/linux/XRandrBackend.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tavrin::testing {

namespace {

const QStringList outputNames{QStringLiteral("DUMMY0"), QStringLiteral("DUMMY1"),
                              QStringLiteral("DUMMY2"), QStringLiteral("DUMMY3")};

// ---- the fake platform, behaving as an X server does

class FakeDriver final : public DisplayServerDriver {
public:
    QString kind() const override { return QStringLiteral("fake"); }
    bool resetLayout() override { return true; }  // every platform starts afresh

    std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) override {
        auto platform = std::make_unique<FakePlatform>(queue);
        fake_ = platform.get();
        fake_->fakeDisplayServices().setHasPrimarySetting(true);
        plug(1, QStringLiteral("DUMMY0"), QRectF(0, 0, 1024, 768), 84.997, true, 0);
        plug(2, QStringLiteral("DUMMY1"), QRectF(1024, 0, 1280, 1024), 60.020, false, 0);
        plug(3, QStringLiteral("DUMMY2"), QRectF(0, 0, 1024, 768), 84.997, false, 1);
        return platform;
    }

    std::optional<DisplayID> outputID(const QString& output) override {
        const auto index = outputNames.indexOf(output);
        return index < 0 ? std::nullopt : std::optional(DisplayID(index + 1));
    }

    bool addAndSetMode(const QString& output, const ModeLine& mode, QPoint position) override {
        const double rate = mode.clockMHz * 1e6 / (double(mode.hTotal) * mode.vTotal);
        plug(*outputID(output), output, QRectF(position, QSizeF(mode.width, mode.height)), rate,
             false, 0);
        return true;
    }

    bool switchOff(const QString& output) override {
        fake_->unplugDisplay(*outputID(output));
        return true;
    }

    bool switchOn(const QString& output, QPoint position) override {
        const auto id = *outputID(output);
        if (!fake_->replug(FakeDeviceKind::display, QString::number(id))) {
            return false;
        }
        fake_->fakeFramework().displays().change(id, [position](SXDisplay& display) {
            auto moved = display.frame.value();
            moved.moveTopLeft(position);
            display.frame.send(moved);
        });
        return true;
    }

    bool setEdid(const QString& output, const QByteArray& edid) override {
        // The name the backend would read from it: the fake is simply renamed.
        const auto name = edid.isEmpty() ? output : QString::fromLatin1(edid);
        fake_->setLocalizedName(FakeDeviceKind::display, QString::number(*outputID(output)), name);
        return true;
    }

    std::optional<QRect> queriedFrame(const QString& output) override {
        const auto display = fake_->fakeFramework().displays().find(*outputID(output));
        if (!display) {
            return std::nullopt;
        }
        return display->frame.value().toRect();
    }

    QString queriedPrimary() override {
        for (const auto& output : outputNames) {
            const auto display = fake_->fakeFramework().displays().find(*outputID(output));
            if (display && display->isMain.value()) {
                return output;
            }
        }
        return {};
    }

    QPoint refusedOrigin(const QString&) override {
        fake_->fakeDisplayServices().failStep(FakeDisplayServices::Step::complete,
                                              DisplayErrorCode::failure);
        return QPoint(0, 768);
    }

private:
    void plug(DisplayID id, const QString& name, const QRectF& frame, double rate, bool isMain,
              DisplayID mirrorOf) {
        FakeDisplaySpec spec;
        spec.id = id;
        spec.values.symbolName = QStringLiteral("display");
        spec.values.localizedName = name;
        spec.values.frame = frame;
        spec.values.isMain = isMain;
        spec.values.availability = SXAvailability::available();
        auto hardware = FakeDisplaySpec::hardwareFor(frame, 1, false);
        hardware.currentMode->refreshRate = rate;
        hardware.mirrorOf = mirrorOf;
        spec.hardware = hardware;
        fake_->plugDisplay(spec);
        fake_->fakeDisplayServices().notifyScreenParametersChanged();
    }

    FakePlatform* fake_ = nullptr;
};

// ---- a real X server with the dummy driver, changed with xrandr

// The displays from the X server, everything else from an empty fake.
class XRandrTestPlatform final : public Platform {
public:
    XRandrTestPlatform(MainThreadQueue& queue, std::unique_ptr<XRandrBackend> displays)
        : rest_(queue),
          displays_(std::move(displays)),
          framework_(rest_.deviceFramework(), rest_.deviceFramework(), displays_->framework()) {}

    DeviceFramework& deviceFramework() override { return framework_; }
    CaptureDeviceService& captureDevices() override { return rest_.captureDevices(); }
    const SymbolCatalog& symbols() const override { return rest_.symbols(); }
    ObjectPropertyService& audioHardware() override { return rest_.audioHardware(); }
    ProcessNameService& processNames() override { return rest_.processNames(); }
    std::shared_ptr<UsbService> usb() override { return rest_.usb(); }
    ObjectPropertyService& mediaIO() override { return rest_.mediaIO(); }
    AudioCaptureService& audioCapture() override { return rest_.audioCapture(); }
    DisplayServices& displayServices() override { return displays_->services(); }

private:
    FakePlatform rest_;
    std::unique_ptr<XRandrBackend> displays_;
    CompositeDeviceFramework framework_;
};

class XorgDriver final : public DisplayServerDriver {
public:
    explicit XorgDriver(QString display) : display_(std::move(display)) {}

    QString kind() const override { return QStringLiteral("xorg"); }
    QString unavailableReason() const override {
        return display_.isEmpty() ? QStringLiteral(
                                        "no X server was started for the tests "
                                        "(TAVRIN_TEST_X_DISPLAY)")
                                  : QString();
    }

    bool resetLayout() override {
        for (const auto& output : outputNames) {
            setEdid(output, {});
        }
        return xrandr({"--output", "DUMMY3",   "--off",           "--output",
                       "DUMMY0",   "--mode",   "tavrin-1024x768", "--pos",
                       "0x0",      "--rotate", "normal",          "--primary",
                       "--output", "DUMMY1",   "--mode",          "tavrin-1280x1024",
                       "--pos",    "1024x0",   "--rotate",        "normal",
                       "--output", "DUMMY2",   "--mode",          "tavrin-1024x768",
                       "--pos",    "0x0",      "--rotate",        "normal"});
    }

    std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) override {
        auto displays = XRandrBackend::connect(queue, display_.toUtf8());
        if (!displays) {
            return nullptr;
        }
        return std::make_unique<XRandrTestPlatform>(queue, std::move(displays));
    }

    // Output IDs stay for the server's run.
    std::optional<DisplayID> outputID(const QString& output) override {
        if (const auto known = ids_.find(output); known != ids_.end()) {
            return *known;
        }
        auto* display = XOpenDisplay(display_.toUtf8().constData());
        if (!display) {
            return std::nullopt;
        }
        std::optional<DisplayID> id;
        if (auto* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display))) {
            for (int i = 0; i < resources->noutput && !id; ++i) {
                if (auto* info = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
                    if (QString::fromUtf8(info->name, info->nameLen) == output) {
                        id = DisplayID(resources->outputs[i]);
                    }
                    XRRFreeOutputInfo(info);
                }
            }
            XRRFreeScreenResources(resources);
        }
        XCloseDisplay(display);
        if (id) {
            ids_.insert(output, *id);
        }
        return id;
    }

    bool addAndSetMode(const QString& output, const ModeLine& mode, QPoint position) override {
        auto number = [](auto value) { return QString::number(value); };
        // Left from an earlier run on the same server, or not: these may fail.
        switchOff(output);
        xrandr({QStringLiteral("--delmode"), output, mode.name});
        xrandr({QStringLiteral("--rmmode"), mode.name});
        return xrandr({QStringLiteral("--newmode"), mode.name, number(mode.clockMHz),
                       number(mode.width), number(mode.hSyncStart), number(mode.hSyncEnd),
                       number(mode.hTotal), number(mode.height), number(mode.vSyncStart),
                       number(mode.vSyncEnd), number(mode.vTotal)}) &&
               xrandr({QStringLiteral("--addmode"), output, mode.name}) &&
               xrandr({QStringLiteral("--output"), output, QStringLiteral("--mode"), mode.name,
                       QStringLiteral("--pos"), positionText(position)});
    }

    bool switchOff(const QString& output) override {
        return xrandr({QStringLiteral("--output"), output, QStringLiteral("--off")});
    }

    bool switchOn(const QString& output, QPoint position) override {
        const auto mode = output == QLatin1String("DUMMY1") ? QStringLiteral("tavrin-1280x1024")
                                                            : QStringLiteral("tavrin-1024x768");
        return xrandr({QStringLiteral("--output"), output, QStringLiteral("--mode"), mode,
                       QStringLiteral("--pos"), positionText(position)});
    }

    bool setEdid(const QString& output, const QByteArray& edid) override {
        const auto id = outputID(output);
        auto* display = XOpenDisplay(display_.toUtf8().constData());
        if (!id || !display) {
            return false;
        }
        const auto atom = XInternAtom(display, RR_PROPERTY_RANDR_EDID, False);
        if (edid.isEmpty()) {
            // Deleting a property that isn't there is an error, which would end the test.
            int count = 0;
            if (auto* atoms = XRRListOutputProperties(display, RROutput(*id), &count)) {
                if (std::find(atoms, atoms + count, atom) != atoms + count) {
                    XRRDeleteOutputProperty(display, RROutput(*id), atom);
                }
                XFree(atoms);
            }
        } else {
            XRRChangeOutputProperty(display, RROutput(*id), atom, XA_INTEGER, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(edid.constData()),
                                    int(edid.size()));
        }
        XSync(display, False);
        XCloseDisplay(display);
        return true;
    }

    std::optional<QRect> queriedFrame(const QString& output) override {
        const auto line = queryLine(output);
        static const QRegularExpression geometry(
            QStringLiteral(R"((\d+)x(\d+)\+(-?\d+)\+(-?\d+))"));
        const auto match = geometry.match(line);
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        return QRect(match.captured(3).toInt(), match.captured(4).toInt(),
                     match.captured(1).toInt(), match.captured(2).toInt());
    }

    QString queriedPrimary() override {
        for (const auto& line : query()) {
            if (line.contains(QStringLiteral(" connected primary"))) {
                return line.section(QLatin1Char(' '), 0, 0);
            }
        }
        return {};
    }

    QPoint refusedOrigin(const QString&) override {
        return QPoint(40000, 0);  // past the server's largest screen of 32767
    }

private:
    static QString positionText(QPoint position) {
        return QStringLiteral("%1x%2").arg(position.x()).arg(position.y());
    }

    bool xrandr(const QStringList& arguments) {
        QProcess process;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display_);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("xrandr"), arguments);
        if (!process.waitForFinished(10000)) {
            return false;
        }
        output_ = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    bool xrandr(std::initializer_list<const char*> arguments) {
        QStringList list;
        for (const auto* argument : arguments) {
            list.append(QString::fromLatin1(argument));
        }
        return xrandr(list);
    }

    QStringList query() {
        xrandr({"--query"});
        return output_.split(QLatin1Char('\n'));
    }

    QString queryLine(const QString& output) {
        for (const auto& line : query()) {
            if (line.startsWith(output + QStringLiteral(" connected"))) {
                return line;
            }
        }
        return {};
    }

    QString display_;
    QString output_;
    QHash<QString, DisplayID> ids_;
};

}  // namespace

std::unique_ptr<DisplayServerDriver> DisplayServerDriver::make(const QString& kind) {
    if (kind == QLatin1String("fake")) {
        return std::make_unique<FakeDriver>();
    }
    return makeXorg(qEnvironmentVariable("TAVRIN_TEST_X_DISPLAY"));
}

std::unique_ptr<DisplayServerDriver> DisplayServerDriver::makeXorg(const QString& display) {
    return std::make_unique<XorgDriver>(display);
}

}  // namespace tavrin::testing
