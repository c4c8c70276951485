// The device side of the virtual machine's UVC gadget: answers the class requests the host's
// uvcvideo sends, as a webcam's firmware would. Opening the gadget's video node connects the
// gadget to the bus; from then on every class request to the control or streaming interface
// arrives here as an event and is answered from the tables below. Anything it doesn't know
// stalls, and the request-error-code control then says why, as the class defines.
//
// The control table is the device that the fixture webcam "UVC gadget" (idVendor 1209,
// idProduct 0001 in tests/fixtures/uvc-webcams.json) describes: the UVC contract suite runs the
// same expectations against that fixture through the fakes and against this device through
// uvcvideo, so a value changed here and not there fails the gadget's run.
//
// Given the USB/IP virtual device controller's socket attribute and the virtual host
// controller's attach attribute, it also plugs the one into the other through a socket pair,
// once the gadget is connected: the virtual bus of this machine.
//
// Each request is logged on stdout, one line each, so a run shows what the host asked for.
// Usage: uvc-gadget-responder [VUDC_USBIP_SOCKFD VHCI_ATTACH]
#include <errno.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/g_uvc.h>
#include <linux/usb/video.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

// The units the UVC function's descriptors give; configfs fixes them.
enum { cameraTerminal = 1, processingUnit = 2 };
// The function's interfaces, as the only function of its configuration.
enum { controlInterface = 0, streamingInterface = 1 };

// Which requests a control answers; the others stall.
enum { hasMin = 1, hasMax = 2, hasRes = 4, hasDef = 8 };

struct control {
    const char* name;
    uint8_t unit;
    uint8_t selector;
    uint8_t size;
    uint8_t info;  // GET_INFO: 1 get, 2 set
    int requests;
    int32_t min, max, res, def, cur;
};

// Brightness is signed and moves in steps of 5, so the host's rounding, clamping and sign
// extension all show. The auto-exposure mode has no minimum or maximum: its resolution is the
// bitmap of modes offered (manual 1 and aperture priority 8), its default aperture priority.
static struct control controls[] = {
    {"brightness", processingUnit, UVC_PU_BRIGHTNESS_CONTROL, 2, 3,
     hasMin | hasMax | hasRes | hasDef, -50, 50, 5, 0, 0},
    {"auto-exposure mode", cameraTerminal, UVC_CT_AE_MODE_CONTROL, 1, 3, hasRes | hasDef, 0, 0, 9,
     8, 8},
};

// The streaming parameters of the one format, frame and interval the gadget offers; the probe
// and commit controls are the longest form (UVC 1.5), of which a host reads its own length.
struct streaming {
    uint8_t bytes[48];
};
static struct streaming defaults, probe, commit;

// The class's request-error codes.
enum { noError = 0, invalidControl = 6, invalidRequest = 7 };
static uint8_t lastError = noError;

// The request whose data stage is on its way: SET_CUR's value arrives as a separate event.
static struct usb_ctrlrequest pending;

static void put(uint8_t* bytes, int offset, int size, uint32_t value) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + i] = (uint8_t)(value >> (8 * i));
    }
}

static int32_t get(const uint8_t* bytes, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value |= (uint32_t)bytes[i] << (8 * i);
    }
    // Sign-extend from the control's own width.
    if (size < 4 && (value & (1u << (8 * size - 1)))) {
        value |= ~0u << (8 * size);
    }
    return (int32_t)value;
}

static void makeDefaults(void) {
    uint8_t* b = defaults.bytes;
    memset(b, 0, sizeof defaults.bytes);
    put(b, 0, 2, 1);               // bmHint: the frame interval is fixed
    b[2] = 1;                      // bFormatIndex
    b[3] = 1;                      // bFrameIndex
    put(b, 4, 4, 333333);          // dwFrameInterval: 30 frames a second
    put(b, 18, 4, 640 * 360 * 2);  // dwMaxVideoFrameSize
    put(b, 22, 4, 1024);           // dwMaxPayloadTransferSize: streaming_maxpacket's default
    put(b, 26, 4, 48000000);       // dwClockFrequency
    probe = defaults;
    commit = defaults;
}

static const char* requestName(uint8_t request) {
    switch (request) {
        case UVC_SET_CUR:
            return "SET_CUR";
        case UVC_GET_CUR:
            return "GET_CUR";
        case UVC_GET_MIN:
            return "GET_MIN";
        case UVC_GET_MAX:
            return "GET_MAX";
        case UVC_GET_RES:
            return "GET_RES";
        case UVC_GET_LEN:
            return "GET_LEN";
        case UVC_GET_INFO:
            return "GET_INFO";
        case UVC_GET_DEF:
            return "GET_DEF";
        default:
            return "request";
    }
}

static int fd = -1;

static void respond(const struct uvc_request_data* response) {
    if (ioctl(fd, UVCIOC_SEND_RESPONSE, response) < 0) {
        printf("responder: UVCIOC_SEND_RESPONSE failed: %s\n", strerror(errno));
    }
}

// A stall: the gadget API's way to say so is a negative length.
static void stall(uint8_t error) {
    struct uvc_request_data response = {.length = -EL2HLT};
    lastError = error;
    respond(&response);
}

static struct control* findControl(uint8_t unit, uint8_t selector) {
    for (size_t i = 0; i < sizeof controls / sizeof controls[0]; ++i) {
        if (controls[i].unit == unit && controls[i].selector == selector) {
            return &controls[i];
        }
    }
    return NULL;
}

// What a device does with a value it is sent: keeps it within its range, on its steps from the
// minimum, as uvcvideo would have before sending it.
static int32_t settle(const struct control* control, int32_t value) {
    if ((control->requests & hasMin) && value < control->min)
        value = control->min;
    if ((control->requests & hasMax) && value > control->max)
        value = control->max;
    if ((control->requests & hasMin) && (control->requests & hasRes) && control->res > 1) {
        const int64_t steps = ((int64_t)value - control->min + control->res / 2) / control->res;
        value = (int32_t)(control->min + steps * control->res);
        if ((control->requests & hasMax) && value > control->max)
            value -= control->res;
    }
    return value;
}

static void answerControl(const struct usb_ctrlrequest* request, uint8_t unit, uint8_t selector) {
    struct control* control = findControl(unit, selector);
    if (!control) {
        printf("responder: %s unit %u selector %u: no such control, stalled\n",
               requestName(request->bRequest), unit, selector);
        stall(invalidControl);
        return;
    }
    struct uvc_request_data response = {.length = control->size};
    int32_t value;
    switch (request->bRequest) {
        case UVC_SET_CUR:
            // The value comes in the data stage: accept it, store it when it arrives.
            pending = *request;
            response.length = request->wLength;
            lastError = noError;
            respond(&response);
            return;
        case UVC_GET_CUR:
            value = control->cur;
            break;
        case UVC_GET_MIN:
            value = control->min;
            break;
        case UVC_GET_MAX:
            value = control->max;
            break;
        case UVC_GET_RES:
            value = control->res;
            break;
        case UVC_GET_DEF:
            value = control->def;
            break;
        case UVC_GET_INFO:
            value = control->info;
            response.length = 1;
            break;
        case UVC_GET_LEN:
            value = control->size;
            response.length = 2;
            break;
        default:
            printf("responder: %s %s: stalled\n", requestName(request->bRequest), control->name);
            stall(invalidRequest);
            return;
    }
    const int needs = request->bRequest == UVC_GET_MIN   ? hasMin
                      : request->bRequest == UVC_GET_MAX ? hasMax
                      : request->bRequest == UVC_GET_RES ? hasRes
                      : request->bRequest == UVC_GET_DEF ? hasDef
                                                         : 0;
    if (needs && !(control->requests & needs)) {
        printf("responder: %s %s: not supported, stalled\n", requestName(request->bRequest),
               control->name);
        stall(invalidRequest);
        return;
    }
    put(response.data, 0, response.length, (uint32_t)value);
    printf("responder: %s %s: %d\n", requestName(request->bRequest), control->name, value);
    lastError = noError;
    respond(&response);
}

static void answerStreaming(const struct usb_ctrlrequest* request, uint8_t selector) {
    struct streaming* state = selector == UVC_VS_PROBE_CONTROL    ? &probe
                              : selector == UVC_VS_COMMIT_CONTROL ? &commit
                                                                  : NULL;
    if (!state) {
        printf("responder: %s streaming selector %u: stalled\n", requestName(request->bRequest),
               selector);
        stall(invalidControl);
        return;
    }
    const char* name = selector == UVC_VS_PROBE_CONTROL ? "probe" : "commit";
    struct uvc_request_data response = {.length = request->wLength};
    /* Never more than the streaming state holds: that is what is copied out. */
    if (response.length > (int)sizeof state->bytes)
        response.length = sizeof state->bytes;
    switch (request->bRequest) {
        case UVC_SET_CUR:
            pending = *request;
            lastError = noError;
            respond(&response);
            return;
        case UVC_GET_CUR:
            memcpy(response.data, state->bytes, response.length);
            break;
        case UVC_GET_MIN:
        case UVC_GET_MAX:
        case UVC_GET_DEF:
            memcpy(response.data, defaults.bytes, response.length);
            break;
        case UVC_GET_INFO:
            response.length = 1;
            response.data[0] = 3;
            break;
        case UVC_GET_LEN:
            // Tells nothing the host doesn't know from the version; answer the longest form.
            response.length = 2;
            put(response.data, 0, 2, sizeof state->bytes);
            break;
        default:
            printf("responder: %s %s: stalled\n", requestName(request->bRequest), name);
            stall(invalidRequest);
            return;
    }
    printf("responder: %s %s (%u bytes)\n", requestName(request->bRequest), name, request->wLength);
    lastError = noError;
    respond(&response);
}

static void answerInterface(const struct usb_ctrlrequest* request, uint8_t selector) {
    if (selector == UVC_VC_REQUEST_ERROR_CODE_CONTROL && request->bRequest == UVC_GET_CUR) {
        struct uvc_request_data response = {.length = 1};
        response.data[0] = lastError;
        printf("responder: GET_CUR request error code: %u\n", lastError);
        respond(&response);
        return;
    }
    printf("responder: %s interface selector %u: stalled\n", requestName(request->bRequest),
           selector);
    stall(invalidControl);
}

static void onSetup(const struct usb_ctrlrequest* request) {
    const uint8_t interface = request->wIndex & 0xff;
    const uint8_t entity = request->wIndex >> 8;
    const uint8_t selector = request->wValue >> 8;
    if ((request->bRequestType & USB_TYPE_MASK) != USB_TYPE_CLASS ||
        (request->bRequestType & USB_RECIP_MASK) != USB_RECIP_INTERFACE) {
        printf("responder: request type 0x%02x request 0x%02x: stalled\n", request->bRequestType,
               request->bRequest);
        stall(invalidRequest);
        return;
    }
    if (entity != 0) {
        answerControl(request, entity, selector);
    } else if (interface == streamingInterface) {
        answerStreaming(request, selector);
    } else if (interface == controlInterface) {
        answerInterface(request, selector);
    } else {
        printf("responder: interface %u: stalled\n", interface);
        stall(invalidRequest);
    }
}

// SET_CUR's data stage: the value of the request that was accepted last.
static void onData(const struct uvc_request_data* data) {
    const uint8_t entity = pending.wIndex >> 8;
    const uint8_t selector = pending.wValue >> 8;
    if (entity == 0) {
        struct streaming* state = selector == UVC_VS_PROBE_CONTROL ? &probe : &commit;
        // The host may ask for anything; the device settles on the one thing it has, and the
        // host reads that back.
        *state = defaults;
        printf("responder: SET_CUR %s: format %u frame %u, answered with the only one\n",
               selector == UVC_VS_PROBE_CONTROL ? "probe" : "commit", data->data[2], data->data[3]);
        return;
    }
    struct control* control = findControl(entity, selector);
    if (!control || data->length < control->size) {
        printf("responder: SET_CUR data of %d bytes for unit %u selector %u ignored\n",
               data->length, entity, selector);
        return;
    }
    const int32_t value = get(data->data, control->size);
    control->cur = settle(control, value);
    printf("responder: SET_CUR %s: %d, now %d\n", control->name, value, control->cur);
}

static int openGadgetNode(void) {
    char path[32];
    for (int index = 0; index < 64; ++index) {
        snprintf(path, sizeof path, "/dev/video%d", index);
        const int node = open(path, O_RDWR | O_NONBLOCK);
        if (node < 0)
            continue;
        struct v4l2_capability capability;
        memset(&capability, 0, sizeof capability);
        if (ioctl(node, VIDIOC_QUERYCAP, &capability) == 0 &&
            strcmp((const char*)capability.driver, "g_uvc") == 0) {
            printf("responder: the gadget's node is %s\n", path);
            return node;
        }
        close(node);
    }
    return -1;
}

static int writeText(const char* path, const char* text) {
    const int file = open(path, O_WRONLY);
    if (file < 0) {
        printf("responder: cannot open %s: %s\n", path, strerror(errno));
        return -1;
    }
    const ssize_t written = write(file, text, strlen(text));
    const int error = errno;
    close(file);
    if (written < 0) {
        printf("responder: writing '%s' to %s failed: %s\n", text, path, strerror(error));
        return -1;
    }
    return 0;
}

// Hands one end of a stream socket pair to the device controller and the other to the host
// controller's first high-speed port. The kernel holds both ends from then on; USB/IP's
// handshake, which the user-space tools do over TCP, only agrees on what both sides know here.
static int plugIn(const char* deviceSocket, const char* hostAttach) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) < 0) {
        printf("responder: socketpair failed: %s\n", strerror(errno));
        return -1;
    }
    char text[64];
    snprintf(text, sizeof text, "%d", ends[0]);
    if (writeText(deviceSocket, text) < 0)
        return -1;
    // Port 0, the socket, a device ID (bus 1, device 2), high speed.
    snprintf(text, sizeof text, "0 %d %d %d", ends[1], (1 << 16) | 2, USB_SPEED_HIGH);
    if (writeText(hostAttach, text) < 0)
        return -1;
    printf("responder: plugged into the host\n");
    return 0;
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IOLBF, 0);
    signal(SIGPIPE, SIG_IGN);
    makeDefaults();
    fd = openGadgetNode();
    if (fd < 0) {
        printf("responder: no video node of the UVC gadget (driver g_uvc)\n");
        return 1;
    }
    const unsigned events[] = {UVC_EVENT_CONNECT,   UVC_EVENT_DISCONNECT, UVC_EVENT_STREAMON,
                               UVC_EVENT_STREAMOFF, UVC_EVENT_SETUP,      UVC_EVENT_DATA};
    for (size_t i = 0; i < sizeof events / sizeof events[0]; ++i) {
        struct v4l2_event_subscription subscription;
        memset(&subscription, 0, sizeof subscription);
        subscription.type = events[i];
        if (ioctl(fd, VIDIOC_SUBSCRIBE_EVENT, &subscription) < 0) {
            printf("responder: cannot subscribe to event %u: %s\n", events[i], strerror(errno));
            return 1;
        }
    }
    if (argc == 3 && plugIn(argv[1], argv[2]) < 0)
        return 1;
    printf("responder: answering\n");
    for (;;) {
        struct pollfd wait = {.fd = fd, .events = POLLPRI};
        if (poll(&wait, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            printf("responder: poll failed: %s\n", strerror(errno));
            return 1;
        }
        struct v4l2_event event;
        memset(&event, 0, sizeof event);
        if (ioctl(fd, VIDIOC_DQEVENT, &event) < 0) {
            if (errno == EAGAIN || errno == ENOENT)
                continue;
            printf("responder: VIDIOC_DQEVENT failed: %s\n", strerror(errno));
            return 1;
        }
        const struct uvc_event* uvc = (const struct uvc_event*)event.u.data;
        switch (event.type) {
            case UVC_EVENT_CONNECT:
                printf("responder: connected\n");
                break;
            case UVC_EVENT_DISCONNECT:
                printf("responder: disconnected\n");
                break;
            case UVC_EVENT_STREAMON:
                printf("responder: stream on (not served)\n");
                break;
            case UVC_EVENT_STREAMOFF:
                printf("responder: stream off\n");
                break;
            case UVC_EVENT_SETUP:
                onSetup(&uvc->req);
                break;
            case UVC_EVENT_DATA:
                onData(&uvc->data);
                break;
            default:
                break;
        }
    }
}
