// A seeded random user for the window: clicks, drags, wheel turns and keys at random places,
// the arrangement's tiles, the pickers, the log and the tabs among them, while the demo's
// scenario plugs and unplugs devices. It finds what a plain test never does: the handler that
// frees the widget it runs in, the popup that outlives its page. A crash prints the seed and
// the last inputs, so that the same run can be made again.
//
//   tavrin_monkey [--seed N] [--seconds S]
//
// Half the time goes to the demo, half to the fixture webcams over the V4L2 fake.

#include <unistd.h>
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QSettings>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWheelEvent>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "platform/fake/FakeFixture.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/AppDelegate.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/EventLogView.h"
#include "ui/MainWindowController.h"
#include "ui/PaintedItemsAccessible.h"
#include "ui/SymbolIcons.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVRIN_MONKEY_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TAVRIN_MONKEY_ASAN 1
#endif
#ifdef TAVRIN_MONKEY_ASAN
#include <sanitizer/common_interface_defs.h>
#endif

using namespace tavrin;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t trailLength = 50;
// Popups and dialogs open event loops of their own; past this many, the monkey only closes.
constexpr int deepestNesting = 3;

// What the monkey did last, for the report of a crash: plain strings, written out as they are.
std::deque<std::string> trail;
unsigned long long seedInUse = 0;
long inputCount = 0;
// Set by a check that found the window in a wrong state; the run then fails.
bool faultFound = false;
// How many inputs went to each kind of control, for the summary.
QMap<QString, int> inputsByTarget;

void writeOut(const char* text) {
    for (auto left = std::strlen(text); left > 0;) {
        const auto written = ::write(STDERR_FILENO, text, left);
        if (written <= 0) {
            return;
        }
        text += written;
        left -= std::size_t(written);
    }
}

// Called as the process dies: plain writes of what is already there.
void printTrail() {
    char header[160];
    std::snprintf(header, sizeof header, "\nui monkey: seed %llu, %ld inputs; the last %zu:\n",
                  seedInUse, inputCount, trail.size());
    writeOut(header);
    for (const auto& line : trail) {
        writeOut("  ");
        writeOut(line.c_str());
        writeOut("\n");
    }
}

#ifndef TAVRIN_MONKEY_ASAN
// Without the sanitizers, a fatal signal prints the trail and then does what it would have.
void onFatalSignal(int) {
    printTrail();
}

void printTrailOnFatalSignals() {
    // A stack of its own, so that a stack that overflowed can still be reported.
    static std::vector<char> stack(1 << 16);
    stack_t alternate{};
    alternate.ss_sp = stack.data();
    alternate.ss_size = stack.size();
    sigaltstack(&alternate, nullptr);
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
    for (const int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) {
        sigaction(signal, &action, nullptr);
    }
}
#endif

// The offscreen platform says, at every popup, that it can't raise or grab: noise here.
QtMessageHandler standard = nullptr;

void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (standard) {
        standard(type, context, message);
    }
}

QString describe(const QWidget* widget) {
    if (!widget) {
        return QStringLiteral("nothing");
    }
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->accessibleName().isEmpty()) {
        text += QStringLiteral(" \"") + widget->accessibleName() + QLatin1Char('"');
    } else if (!widget->objectName().isEmpty()) {
        text += QLatin1Char(' ') + widget->objectName();
    }
    return text;
}

class Monkey final : public QObject {
public:
    Monkey(AppDelegate& delegate, std::mt19937_64& random) : delegate_(delegate), random_(random) {
        connect(&ticks_, &QTimer::timeout, this, [this] {
            // Posted, so that an input that opens a popup's loop doesn't hold up the next one.
            QMetaObject::invokeMethod(
                this, [this] { step(); }, Qt::QueuedConnection);
        });
    }

    void start() { ticks_.start(2); }
    void stop() { ticks_.stop(); }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    QPoint pointIn(const QWidget* widget) {
        return {pick(std::max(1, widget->width())), pick(std::max(1, widget->height()))};
    }

    void note(const QString& what) {
        ++inputCount;
        trail.push_back(what.toStdString());
        if (trail.size() > trailLength) {
            trail.pop_front();
        }
    }

    QWidget* targetWindow() {
        if (auto* popup = QApplication::activePopupWidget()) {
            return popup;
        }
        if (auto* modal = QApplication::activeModalWidget()) {
            return modal;
        }
        const auto windows = delegate_.windows();
        if (windows.isEmpty()) {
            note(QStringLiteral("open a window (none left)"));
            delegate_.openWindow();
            return nullptr;
        }
        auto* window = windows.at(pick(int(windows.size())));
        QApplication::setActiveWindow(window);
        return window;
    }

    // Mostly the parts people reach for, else anything shown.
    QWidget* targetIn(QWidget* window) {
        QList<QWidget*> shown;
        QList<QWidget*> favoured;
        for (auto* child : window->findChildren<QWidget*>()) {
            if (!child->isVisible() || !child->isEnabled() || child->width() <= 0) {
                continue;
            }
            shown.append(child);
            // The painted views, where a plain test reaches least, count three times over.
            if (qobject_cast<DisplayArrangementSection*>(child) ||
                qobject_cast<EventLogView*>(child) || qobject_cast<QTabBar*>(child)) {
                favoured << child << child << child;
            } else if (qobject_cast<QComboBox*>(child) || qobject_cast<QSlider*>(child) ||
                       qobject_cast<QAbstractButton*>(child) || qobject_cast<QLineEdit*>(child)) {
                favoured.append(child);
            }
        }
        if (!favoured.isEmpty() && chance(0.6)) {
            return favoured.at(pick(int(favoured.size())));
        }
        return shown.isEmpty() ? window : shown.at(pick(int(shown.size())));
    }

    void step() {
        if (nesting_ >= deepestNesting) {
            if (auto* open = QApplication::activePopupWidget()
                                 ? QApplication::activePopupWidget()
                                 : QApplication::activeModalWidget()) {
                note(QStringLiteral("Escape on %1 (deep in popups)").arg(describe(open)));
                QTest::keyClick(open, Qt::Key_Escape);
            }
            return;
        }
        auto* window = targetWindow();
        if (!window) {
            return;
        }
        QPointer<QWidget> target = targetIn(window);
        ++inputsByTarget[QString::fromLatin1(target->metaObject()->className())];
        ++nesting_;
        act(target);
        --nesting_;
    }

    void act(QPointer<QWidget> target) {
        const QString name = describe(target);
        const QPoint at = pointIn(target);
        const QString where = QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y());
        if (chance(0.05) && selectDevice(target->window())) {
            return;
        }
        if (chance(0.01)) {
            readAloud(target->window());
            return;
        }
        switch (pick(8)) {
            case 0:
            case 1:
                if (chance(0.85)) {
                    note(QStringLiteral("left click on %1 at %2").arg(name, where));
                    click(target, at);
                } else {
                    // What a right click asks of the widget under it: its context menu.
                    note(QStringLiteral("context menu of %1 at %2").arg(name, where));
                    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
                    QApplication::sendEvent(target, &menu);
                }
                break;
            case 2:
                note(QStringLiteral("double click on %1 at %2").arg(name, where));
                click(target, at);
                if (target) {
                    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
                }
                break;
            case 3: {
                const QPoint to = pointIn(target);
                note(QStringLiteral("drag on %1 from %2 to (%3, %4)")
                         .arg(name, where)
                         .arg(to.x())
                         .arg(to.y()));
                QTest::mousePress(target, Qt::LeftButton, {}, at);
                for (int part = 1; part <= 3 && target; ++part) {
                    QTest::mouseMove(target, at + (to - at) * part / 3);
                }
                if (target) {
                    QTest::mouseRelease(target, Qt::LeftButton, {}, to);
                }
                break;
            }
            case 4: {
                const int delta = chance(0.5) ? 120 : -120;
                note(QStringLiteral("wheel %1 on %2 at %3").arg(delta).arg(name, where));
                QWheelEvent wheel(at, target->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {},
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                break;
            }
            default: {
                static const QList<std::pair<int, Qt::KeyboardModifiers>> keys{
                    {Qt::Key_Tab, {}},
                    {Qt::Key_Backtab, Qt::ShiftModifier},
                    {Qt::Key_Up, {}},
                    {Qt::Key_Down, {}},
                    {Qt::Key_Left, {}},
                    {Qt::Key_Right, {}},
                    {Qt::Key_Return, {}},
                    {Qt::Key_Escape, {}},
                    {Qt::Key_Space, {}},
                    {Qt::Key_Home, {}},
                    {Qt::Key_End, {}},
                    {Qt::Key_PageDown, {}},
                    {Qt::Key_M, {}},
                    {Qt::Key_A, {}},
                    {Qt::Key_Backspace, {}},
                    {Qt::Key_Menu, {}},
                    {Qt::Key_C, Qt::ControlModifier},
                    {Qt::Key_F, Qt::ControlModifier},
                    {Qt::Key_Down, Qt::ShiftModifier},
                };
                const auto [key, modifiers] = keys.at(pick(int(keys.size())));
                // As a keyboard does: to the focused control, else the window; a click first
                // gives some control the focus now and then.
                if (chance(0.3)) {
                    target->setFocus(Qt::MouseFocusReason);
                }
                QWidget* focused = QApplication::focusWidget();
                QWidget* receiver = focused ? focused : target->window();
                note(QStringLiteral("key %1%2 on %3")
                         .arg(modifiers ? QStringLiteral("modified ") : QString(),
                              QKeySequence(key).toString(), describe(receiver)));
                QTest::keyClick(receiver, Qt::Key(key), modifiers);
                break;
            }
        }
    }

    // A press and a release, the release only to a widget that is still there: the press may
    // have opened a dialog whose loop ran the next inputs.
    static void click(const QPointer<QWidget>& target, const QPoint& at) {
        QTest::mousePress(target, Qt::LeftButton, {}, at);
        if (target) {
            QTest::mouseRelease(target, Qt::LeftButton, {}, at);
        }
    }

    // What a screen reader does: reads the window's accessibility tree, every node's texts,
    // place and state.
    void readAloud(QWidget* window) {
        int nodes = 0;
        std::function<void(QAccessibleInterface*, int)> read = [&](QAccessibleInterface* node,
                                                                   int depth) {
            if (!node || !node->isValid() || depth > 40 || ++nodes > 5000) {
                return;
            }
            for (const auto text :
                 {QAccessible::Name, QAccessible::Description, QAccessible::Value}) {
                (void)node->text(text);
            }
            (void)node->rect();
            (void)node->state();
            (void)node->focusChild();
            for (int index = 0; index < node->childCount(); ++index) {
                auto* child = node->child(index);
                // Our painted views' items must know their places (Qt's own lists have quirks
                // of their own, an empty popup's list among them).
                if (child && dynamic_cast<PaintedItemsAccessible*>(node) &&
                    node->indexOfChild(child) != index) {
                    std::fprintf(
                        stderr, "ui monkey: child %d (%s) of %s \"%s\" says it is child %d\n",
                        index, qPrintable(child->text(QAccessible::Name)),
                        node->object() ? node->object()->metaObject()->className() : "?",
                        qPrintable(node->text(QAccessible::Name)), node->indexOfChild(child));
                    faultFound = true;
                }
                read(child, depth + 1);
            }
        };
        read(QAccessible::queryAccessibleInterface(window), 0);
        note(QStringLiteral("read the accessibility tree aloud (%1 nodes)").arg(nodes));
    }

    // A click on a random device row of the window's sidebar, as the scenario changes them.
    bool selectDevice(QWidget* window) {
        auto* sidebar = window->findChild<QTreeView*>();
        if (!sidebar || !sidebar->isVisible() || !sidebar->model()) {
            return false;
        }
        QList<QModelIndex> rows;
        const auto* model = sidebar->model();
        for (int section = 0; section < model->rowCount(); ++section) {
            const auto parent = model->index(section, 0);
            for (int row = 0; row < model->rowCount(parent); ++row) {
                rows.append(model->index(row, 0, parent));
            }
        }
        if (rows.isEmpty()) {
            return false;
        }
        const auto row = rows.at(pick(int(rows.size())));
        const QRect place = sidebar->visualRect(row);
        if (!place.isValid()) {
            return false;
        }
        ++inputsByTarget[QStringLiteral("sidebar row")];
        note(QStringLiteral("select \"%1\" in the sidebar").arg(row.data().toString()));
        click(sidebar->viewport(), place.center());
        return true;
    }

    AppDelegate& delegate_;
    std::mt19937_64& random_;
    QTimer ticks_;
    int nesting_ = 0;
};

// Runs the window over `context` for `duration`, restarting the scenario as it ends.
void runWindow(AppContext& context, std::mt19937_64& random, std::chrono::milliseconds duration,
               const std::function<void()>& restartScenario) {
    AppDelegate delegate(context);
    delegate.openWindow();
    Monkey monkey(delegate, random);
    QTimer scenario;
    if (restartScenario) {
        QObject::connect(&scenario, &QTimer::timeout, restartScenario);
        scenario.start(11s);
    }
    QElapsedTimer clock;
    clock.start();
    monkey.start();
    // An input may quit the application (Quit in a menu): the loop is simply entered again.
    while (clock.elapsed() < duration.count()) {
        QTimer::singleShot(std::max<qint64>(1, duration.count() - clock.elapsed()),
                           [] { QCoreApplication::exit(0); });
        QApplication::exec();
    }
    monkey.stop();
    // Whatever is still open closes before the models go.
    for (auto* window : delegate.windows()) {
        window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The preferences and anything an export writes go to a place of their own.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    standard = qInstallMessageHandler(quietMessages);
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QDir::setCurrent(home.path());
    installIconThemeFallback();

    QCommandLineParser parser;
    QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("The random seed."),
                                  QStringLiteral("N"), QStringLiteral("2026"));
    QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("How long to run."),
                                     QStringLiteral("S"), QStringLiteral("60"));
    parser.addOptions({seedOption, secondsOption});
    parser.addHelpOption();
    parser.process(application);
    bool seedOk = false;
    bool secondsOk = false;
    seedInUse = parser.value(seedOption).toULongLong(&seedOk);
    const double seconds = parser.value(secondsOption).toDouble(&secondsOk);
    if (!seedOk || !secondsOk || !(seconds > 0)) {
        std::fprintf(stderr, "tavrin_monkey: --seed takes a whole number, --seconds a duration\n");
        return 2;
    }
#ifdef TAVRIN_MONKEY_ASAN
    // The sanitizers keep their own handlers, and their report, and call this as they end.
    __sanitizer_set_death_callback(printTrail);
#else
    printTrailOnFatalSignals();
#endif
    std::printf("ui monkey: seed %llu for %.0f s\n", seedInUse, seconds);
    std::fflush(stdout);
    std::mt19937_64 random(seedInUse);
    const auto half = std::chrono::milliseconds(qint64(seconds * 500));

    {
        auto queue = std::make_unique<QtMainThreadQueue>();
        const auto fixture = FakeFixture::demo();
        auto platform = std::make_unique<FakePlatform>(*queue, fixture);
        auto* fake = platform.get();
        fake->fakeAudioCapture().setLiveSignal(true);
        fake->startScenario(fixture.scenario);
        AppContext context(std::move(queue), std::move(platform));
        trail.push_back("-- the demo");
        runWindow(context, random, half, [fake, fixture] {
            trail.push_back("-- the demo's scenario again");
            fake->startScenario(fixture.scenario);
        });
    }
    {
        QString error;
        auto nodes = FakeV4L2System::loadFixture(
            QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"), &error);
        if (!nodes) {
            std::fprintf(stderr, "tavrin_monkey: %s\n", qPrintable(error));
            return 1;
        }
        auto queue = std::make_unique<QtMainThreadQueue>();
        // No sound server answers there and no X server is asked: the webcams come alone.
        auto platform = LinuxPlatform::connect(
            *queue, QStringLiteral("unix:/nonexistent/tavrin"), 0ms,
            {std::make_shared<FakeV4L2System>(std::move(*nodes)), std::nullopt});
        if (!platform) {
            std::fprintf(stderr, "tavrin_monkey: the V4L2 fake gave no platform\n");
            return 1;
        }
        AppContext context(std::move(queue), std::move(platform));
        trail.push_back("-- the fixture webcams");
        runWindow(context, random, half, {});
    }
    std::printf("ui monkey: %ld inputs, no crash%s; the controls most often hit:\n", inputCount,
                faultFound ? " but a wrong state" : "");
    QList<std::pair<int, QString>> counts;
    for (auto count = inputsByTarget.cbegin(); count != inputsByTarget.cend(); ++count) {
        counts.append({count.value(), count.key()});
    }
    std::sort(counts.begin(), counts.end(), std::greater<>());
    for (const auto& [count, name] : counts.mid(0, 12)) {
        std::printf("  %6d  %s\n", count, qPrintable(name));
    }
    return faultFound ? 1 : 0;
}
