#include "platform/linux/XRandrConnection.h"

#include <poll.h>
#include <unistd.h>

#include <QList>
#include <QRect>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "platform/linux/Edid.h"
#include "platform/linux/RandrMapping.h"

// X headers last: their macros (None, Bool, Status) would clash with the ones above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tavrin {

namespace {

// EDIDs are 128 bytes a block; four blocks hold every name a monitor gives.
constexpr long edidLongs = 128;
constexpr double referenceDpi = 96;
// How long a configuration waits for the server grab while another client holds it: the main
// thread may not wait on the server for longer than 50 ms.
constexpr std::chrono::milliseconds grabTimeout{40};

// A protocol error of a request lands here instead of ending the process; the request's caller
// reads it back. Xlib has one handler for the whole process, so it only records.
thread_local int lastError = Success;

int recordError(Display*, XErrorEvent* event) {
    lastError = event->error_code;
    return 0;
}

template <typename T, auto release>
struct XFreer {
    void operator()(T* pointer) const {
        if (pointer) {
            release(pointer);
        }
    }
};
using ScreenResources =
    std::unique_ptr<XRRScreenResources, XFreer<XRRScreenResources, XRRFreeScreenResources>>;
using OutputInfo = std::unique_ptr<XRROutputInfo, XFreer<XRROutputInfo, XRRFreeOutputInfo>>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, XFreer<XRRCrtcInfo, XRRFreeCrtcInfo>>;

struct PropertyData {
    int format = 0;
    unsigned long count = 0;
    std::unique_ptr<unsigned char, XFreer<unsigned char, XFree>> data;
};

PropertyData rootProperty(Display* display, const char* name, Atom type, long longs) {
    PropertyData property;
    const auto atom = XInternAtom(display, name, True);
    if (atom == None) {
        return property;
    }
    Atom actualType = None;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, longs, False, type,
                           &actualType, &property.format, &property.count, &after,
                           &data) == Success) {
        property.data.reset(data);
    }
    if (actualType != type) {
        property.count = 0;
    }
    return property;
}

// Format-32 properties arrive as longs, whatever the size of a long.
QList<long> longsOf(const PropertyData& property) {
    QList<long> values;
    if (property.format == 32 && property.data) {
        const auto* longs = reinterpret_cast<const long*>(property.data.get());
        for (unsigned long i = 0; i < property.count; ++i) {
            values.append(longs[i]);
        }
    }
    return values;
}

std::optional<EdidInfo> readEdid(Display* display, RROutput output) {
    const auto atom = XInternAtom(display, RR_PROPERTY_RANDR_EDID, True);
    if (atom == None) {
        return std::nullopt;
    }
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XRRGetOutputProperty(display, output, atom, 0, edidLongs, False, False, AnyPropertyType,
                             &actualType, &format, &count, &after, &data) != Success) {
        return std::nullopt;
    }
    std::unique_ptr<unsigned char, XFreer<unsigned char, XFree>> owned(data);
    if (format != 8 || !data) {
        return std::nullopt;
    }
    return parseEdid(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(count)));
}

DisplayMode modeOf(const XRRModeInfo& mode, bool isPreferred) {
    const auto rate = randr::refreshRate(
        {double(mode.dotClock), mode.hTotal, mode.vTotal, std::uint64_t(mode.modeFlags)});
    return DisplayMode{double(mode.width), double(mode.height), rate.value_or(0),
                       isPreferred ? DisplayMode::nativeFlag : 0u};
}

struct Crtc {
    RRCrtc id = 0;
    CrtcInfo info;
    QRect rect;
    QRect target;
};

}  // namespace

XRandrConnection::XRandrConnection(Display* display) : display_(display) {
    XSetIOErrorExitHandler(display_, &XRandrConnection::onConnectionLost, this);
}

XRandrConnection::~XRandrConnection() {
    if (isBroken_) {
        // Xlib leaves a connection that broke while reading locked for good: closing it would
        // wait forever. Its socket is closed and the rest kept, never used, for the process's
        // life.
        static auto* const abandoned = new std::vector<Display*>();
        static std::mutex abandonedLock;
        close(ConnectionNumber(display_));
        const std::lock_guard lock(abandonedLock);
        abandoned->push_back(display_);
        return;
    }
    if (grabWindow_ != None) {
        XDestroyWindow(display_, grabWindow_);
    }
    XCloseDisplay(display_);
}

std::unique_ptr<XRandrConnection> XRandrConnection::open(const QByteArray& displayName) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XSetErrorHandler(recordError);
        // Xlib's own handler of a lost connection ends the process; the connection's exit
        // handler marks it broken instead.
        XSetIOErrorHandler([](Display*) { return 0; });
    });
    auto* display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display) {
        return nullptr;
    }
    std::unique_ptr<XRandrConnection> connection(new XRandrConnection(display));
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &connection->randrEventBase_, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) {
        return nullptr;
    }
    return connection;
}

void XRandrConnection::onConnectionLost(Display*, void* connection) {
    // Returning here instead of exiting leaves the display unusable; every call checks first.
    static_cast<XRandrConnection*>(connection)->isBroken_ = true;
}

int XRandrConnection::fileDescriptor() const {
    return ConnectionNumber(display_);
}

XRandrState XRandrConnection::readState() {
    XRandrState state;
    if (isBroken_) {
        return state;
    }
    const auto root = DefaultRootWindow(display_);
    ScreenResources resources(XRRGetScreenResourcesCurrent(display_, root));
    if (!resources || isBroken_) {
        return state;
    }
    state.primary = DisplayID(XRRGetOutputPrimary(display_, root));
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    if (XRRGetScreenSizeRange(display_, root, &minWidth, &minHeight, &maxWidth, &maxHeight)) {
        state.maximumScreenSize = QSize(maxWidth, maxHeight);
    }
    const auto resourceManager = rootProperty(display_, "RESOURCE_MANAGER", XA_STRING, 1 << 16);
    if (resourceManager.format == 8 && resourceManager.data) {
        state.backingScale = randr::backingScale(
            QByteArrayView(reinterpret_cast<const char*>(resourceManager.data.get()),
                           qsizetype(resourceManager.count)));
    }
    state.bitsPerSample = DefaultVisual(display_, DefaultScreen(display_))->bits_per_rgb;
    const auto workAreas = longsOf(rootProperty(display_, "_NET_WORKAREA", XA_CARDINAL, 1024));
    const auto desktop = longsOf(rootProperty(display_, "_NET_CURRENT_DESKTOP", XA_CARDINAL, 1));
    const long currentDesktop = desktop.isEmpty() ? 0 : desktop.first();

    QHash<RRMode, const XRRModeInfo*> modes;
    for (int i = 0; i < resources->nmode; ++i) {
        modes.insert(resources->modes[i].id, &resources->modes[i]);
    }
    QList<randr::ActiveOutput> active;
    for (int i = 0; i < resources->noutput; ++i) {
        const auto id = resources->outputs[i];
        OutputInfo info(XRRGetOutputInfo(display_, resources.get(), id));
        if (!info) {
            continue;
        }
        XRandrOutputState output;
        output.id = DisplayID(id);
        output.connectorName = QString::fromUtf8(info->name, info->nameLen);
        // The status is the server's last probe, which we never ask for: a probe reads every
        // monitor over its cable and may take long. An output showing a picture is in use,
        // whatever that probe said (some drivers leave it unknown or stale).
        CrtcInfo crtc(info->crtc ? XRRGetCrtcInfo(display_, resources.get(), info->crtc) : nullptr);
        const bool showsPicture = crtc && crtc->mode != None;
        output.isConnected = info->connection == RR_Connected || showsPicture;
        output.physicalSize = QSizeF(double(info->mm_width), double(info->mm_height));
        output.isBuiltin = randr::isBuiltinConnector(output.connectorName);
        for (int m = 0; m < info->nmode; ++m) {
            if (const auto* mode = modes.value(info->modes[m])) {
                output.modes.append(modeOf(*mode, m < info->npreferred));
            }
        }
        if (const auto edid = readEdid(display_, id)) {
            output.monitorName = edid->monitorName;
            output.colorSpaceName = edid->colorSpaceName;
        }
        if (showsPicture) {
            output.crtc = std::uint32_t(info->crtc);
            output.frame = QRectF(crtc->x, crtc->y, crtc->width, crtc->height);
            output.visibleFrame = randr::visibleFrame(workAreas, currentDesktop, output.frame);
            output.rotation = randr::rotationDegrees(std::uint16_t(crtc->rotation));
            for (int m = 0; m < info->nmode; ++m) {
                if (info->modes[m] == crtc->mode) {
                    output.currentMode = output.modes.value(m);
                }
            }
            if (!output.currentMode) {
                // A mode of the CRTC that is not in the output's list: never the preferred one.
                if (const auto* mode = modes.value(crtc->mode)) {
                    output.currentMode = modeOf(*mode, false);
                }
            }
            active.append({output.id, output.crtc, output.frame});
        }
        state.outputs.append(output);
    }
    const auto mirrors = randr::mirrorTargets(active);
    for (auto& output : state.outputs) {
        output.mirrorOf = mirrors.value(output.id, 0);
    }
    state.isServerConnected = !isBroken_;
    return isBroken_ ? XRandrState() : state;
}

void XRandrConnection::selectChangeEvents() {
    if (isBroken_) {
        return;
    }
    const auto root = DefaultRootWindow(display_);
    XRRSelectInput(display_, root,
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask |
                       RROutputPropertyNotifyMask);
    XSelectInput(display_, root, PropertyChangeMask);
    XFlush(display_);
}

bool XRandrConnection::hasQueuedEvents() const {
    return !isBroken_ && XEventsQueued(display_, QueuedAlready) > 0;
}

bool XRandrConnection::takeEvents() {
    if (isBroken_) {
        return false;
    }
    const Atom watched[] = {XInternAtom(display_, "_NET_WORKAREA", False),
                            XInternAtom(display_, "_NET_CURRENT_DESKTOP", False),
                            XA_RESOURCE_MANAGER};
    bool changed = false;
    while (!isBroken_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == randrEventBase_ + RRScreenChangeNotify) {
            XRRUpdateConfiguration(&event);
            changed = true;
        } else if (event.type == randrEventBase_ + RRNotify) {
            changed = true;
        } else if (event.type == PropertyNotify) {
            changed = changed || std::find(std::begin(watched), std::end(watched),
                                           event.xproperty.atom) != std::end(watched);
        }
    }
    return changed || isBroken_;
}

bool XRandrConnection::grabServer() {
    if (grabWindow_ == None) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        grabWindow_ =
            XCreateWindow(display_, DefaultRootWindow(display_), -1, -1, 1, 1, 0, CopyFromParent,
                          InputOnly, CopyFromParent, CWEventMask, &attributes);
    }
    XGrabServer(display_);
    // The property change comes back as an event only once the server serves this connection,
    // that is once the grab is ours; while another client holds one, nothing comes.
    const unsigned char marker[4] = {};
    XChangeProperty(display_, grabWindow_, XA_WM_NAME, XA_CARDINAL, 32, PropModeReplace, marker, 1);
    XFlush(display_);
    const auto deadline = std::chrono::steady_clock::now() + grabTimeout;
    for (;;) {
        XEvent event;
        if (XCheckTypedWindowEvent(display_, grabWindow_, PropertyNotify, &event)) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || isBroken_) {
            break;
        }
        pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
        poll(&descriptor, 1, int(left.count()));
    }
    XUngrabServer(display_);
    XFlush(display_);
    return false;
}

DisplayError XRandrConnection::moveOutputs(const QHash<DisplayID, QPoint>& origins) {
    if (isBroken_) {
        return DisplayErrorCode::invalidConnection;
    }
    if (!grabServer()) {
        return DisplayErrorCode::cannotComplete;
    }
    const auto status = moveCrtcs(origins);
    XUngrabServer(display_);
    XSync(display_, False);
    return isBroken_ ? DisplayErrorCode::invalidConnection : status;
}

DisplayError XRandrConnection::moveCrtcs(const QHash<DisplayID, QPoint>& origins) {
    const auto root = DefaultRootWindow(display_);
    ScreenResources resources(XRRGetScreenResourcesCurrent(display_, root));
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    if (!resources ||
        !XRRGetScreenSizeRange(display_, root, &minWidth, &minHeight, &maxWidth, &maxHeight)) {
        return DisplayErrorCode::failure;
    }
    std::vector<Crtc> crtcs;
    for (int i = 0; i < resources->ncrtc; ++i) {
        Crtc crtc{resources->crtcs[i],
                  CrtcInfo(XRRGetCrtcInfo(display_, resources.get(), resources->crtcs[i]))};
        if (crtc.info && crtc.info->mode != None) {
            crtc.rect =
                QRect(crtc.info->x, crtc.info->y, int(crtc.info->width), int(crtc.info->height));
            crtc.target = crtc.rect;
            crtcs.push_back(std::move(crtc));
        }
    }
    for (auto it = origins.cbegin(); it != origins.cend(); ++it) {
        OutputInfo info(XRRGetOutputInfo(display_, resources.get(), RROutput(it.key())));
        auto crtc = std::find_if(crtcs.begin(), crtcs.end(), [&](const Crtc& candidate) {
            return info && candidate.id == info->crtc;
        });
        if (crtc == crtcs.end()) {
            return DisplayErrorCode::illegalArgument;  // no such output, or it shows nothing
        }
        crtc->target.moveTopLeft(it.value());
    }
    // The screen starts at its origin: a layout reaching left of or above it moves as a whole.
    QRect bounds;
    for (const auto& crtc : crtcs) {
        bounds = bounds.united(crtc.target);
    }
    const QPoint shift(std::max(0, -bounds.left()), std::max(0, -bounds.top()));
    QSize needed(0, 0);
    for (auto& crtc : crtcs) {
        crtc.target.translate(shift);
        needed = needed.expandedTo(QSize(crtc.target.right() + 1, crtc.target.bottom() + 1));
    }
    if (needed.width() > maxWidth || needed.height() > maxHeight) {
        return DisplayErrorCode::failure;
    }
    needed = needed.expandedTo(QSize(minWidth, minHeight));

    auto setScreenSize = [&](QSize size) {
        XRRSetScreenSize(display_, root, size.width(), size.height(),
                         int(size.width() * 25.4 / referenceDpi),
                         int(size.height() * 25.4 / referenceDpi));
    };
    auto setCrtc = [&](const Crtc& crtc, const QRect& rect) {
        lastError = Success;
        const auto status = XRRSetCrtcConfig(
            display_, resources.get(), crtc.id, CurrentTime, rect.x(), rect.y(), crtc.info->mode,
            crtc.info->rotation, crtc.info->outputs, crtc.info->noutput);
        return status == RRSetConfigSuccess && lastError == Success && !isBroken_;
    };

    Window rootReturn = None;
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(display_, root, &rootReturn, &x, &y, &width, &height, &border, &depth);
    const QSize current{int(width), int(height)};
    const auto grown = current.expandedTo(needed);
    if (grown != current) {
        setScreenSize(grown);
    }
    std::vector<const Crtc*> moved;
    bool refused = false;
    for (const auto& crtc : crtcs) {
        if (crtc.target == crtc.rect) {
            continue;
        }
        if (!setCrtc(crtc, crtc.target)) {
            refused = true;
            break;
        }
        moved.push_back(&crtc);
    }
    if (refused) {
        for (const auto* crtc : moved) {
            setCrtc(*crtc, crtc->rect);
        }
    }
    const auto final = refused ? current : needed;
    if (final != grown) {
        setScreenSize(final);
    }
    return refused ? DisplayErrorCode::failure : DisplayErrorCode::success;
}

DisplayError XRandrConnection::setPrimaryOutput(DisplayID output) {
    if (isBroken_) {
        return DisplayErrorCode::invalidConnection;
    }
    if (!grabServer()) {
        return DisplayErrorCode::cannotComplete;
    }
    lastError = Success;
    XRRSetOutputPrimary(display_, DefaultRootWindow(display_), RROutput(output));
    XUngrabServer(display_);
    XSync(display_, False);
    if (isBroken_) {
        return DisplayErrorCode::invalidConnection;
    }
    return lastError == Success ? DisplayErrorCode::success : DisplayErrorCode::illegalArgument;
}

}  // namespace tavrin
