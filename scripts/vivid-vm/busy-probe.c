// Test probe for the vivid virtual machine, not part of the application. It asks a V4L2 node
// the questions whose answers the camera backend relies on (who may change the format, what a
// second handle sees while another one streams or holds the record priority, whether inotify
// sees opens of the node) and prints one answer per line, so the answers can be read off the
// serial console of a real kernel. Built statically, because the guest has no C library of
// its own unless a test binary brings one.
//
//   busy-probe checks DEVICE LABEL   format, parameter, buffer and priority calls on a new handle
//   busy-probe priority DEVICE       one handle holds the record priority, another one tries
//   busy-probe hold DEVICE SECONDS   holds the record priority for SECONDS
//   busy-probe owner DEVICE          one handle allocates buffers without streaming, another asks
//   busy-probe inotify SECONDS PATH...  prints the inotify events on PATHs for SECONDS
#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

static const char* errnoName(int error) {
    switch (error) {
        case 0:
            return "ok";
        case EBUSY:
            return "EBUSY";
        case EINVAL:
            return "EINVAL";
        case EPERM:
            return "EPERM";
        case EACCES:
            return "EACCES";
        case ENOTTY:
            return "ENOTTY";
        case ENODEV:
            return "ENODEV";
        case EAGAIN:
            return "EAGAIN";
        case ENOMEM:
            return "ENOMEM";
        default:
            return "other";
    }
}

// Prints "LABEL: what -> ok" or "LABEL: what -> EBUSY (16)".
static int report(const char* label, const char* what, int result) {
    int error = result < 0 ? errno : 0;
    printf("%s: %s -> %s", label, what, errnoName(error));
    if (error != 0)
        printf(" (%d)", error);
    printf("\n");
    return error;
}

static int openNode(const char* device) {
    int fd = open(device, O_RDWR | O_NONBLOCK);
    if (fd < 0)
        fprintf(stderr, "busy-probe: cannot open %s: %s\n", device, strerror(errno));
    return fd;
}

static int requestBuffers(int fd, unsigned count) {
    struct v4l2_requestbuffers request;
    memset(&request, 0, sizeof request);
    request.count = count;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    return ioctl(fd, VIDIOC_REQBUFS, &request);
}

static int getFormat(int fd, struct v4l2_format* format) {
    memset(format, 0, sizeof *format);
    format->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    return ioctl(fd, VIDIOC_G_FMT, format);
}

// Sets the format the node already has, so only the driver's busy rule can refuse it.
static int setSameFormat(int fd) {
    struct v4l2_format format;
    if (getFormat(fd, &format) < 0)
        return -1;
    return ioctl(fd, VIDIOC_S_FMT, &format);
}

// Asks for another frame size: the smallest one enumerated that differs from the current one.
static int setOtherSize(int fd) {
    struct v4l2_format format;
    if (getFormat(fd, &format) < 0)
        return -1;
    struct v4l2_frmsizeenum size;
    for (unsigned index = 0; index < 64; ++index) {
        memset(&size, 0, sizeof size);
        size.index = index;
        size.pixel_format = format.fmt.pix.pixelformat;
        if (ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0)
            break;
        if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
            break;
        if (size.discrete.width != format.fmt.pix.width) {
            format.fmt.pix.width = size.discrete.width;
            format.fmt.pix.height = size.discrete.height;
            break;
        }
    }
    return ioctl(fd, VIDIOC_S_FMT, &format);
}

static int setSameFrameInterval(int fd) {
    struct v4l2_streamparm parameters;
    memset(&parameters, 0, sizeof parameters);
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(fd, VIDIOC_G_PARM, &parameters) < 0)
        return -1;
    return ioctl(fd, VIDIOC_S_PARM, &parameters);
}

static int setPriority(int fd, enum v4l2_priority priority) {
    unsigned value = priority;
    return ioctl(fd, VIDIOC_S_PRIORITY, &value);
}

static int setInput(int fd) {
    int input = 0;
    if (ioctl(fd, VIDIOC_G_INPUT, &input) < 0)
        return -1;
    return ioctl(fd, VIDIOC_S_INPUT, &input);
}

static int setBrightness(int fd) {
    struct v4l2_control control = {.id = V4L2_CID_BRIGHTNESS};
    if (ioctl(fd, VIDIOC_G_CTRL, &control) < 0)
        return -1;
    return ioctl(fd, VIDIOC_S_CTRL, &control);
}

static void printPriority(const char* label, int fd) {
    unsigned priority = 0;
    if (ioctl(fd, VIDIOC_G_PRIORITY, &priority) < 0)
        report(label, "G_PRIORITY", -1);
    else
        printf("%s: G_PRIORITY -> %u\n", label, priority);
}

static void printFormat(const char* label, int fd) {
    struct v4l2_format format;
    if (getFormat(fd, &format) < 0) {
        report(label, "G_FMT", -1);
        return;
    }
    unsigned code = format.fmt.pix.pixelformat;
    printf("%s: G_FMT -> %c%c%c%c %ux%u bytesperline %u sizeimage %u colorspace %u field %u\n",
           label, code & 0xff, (code >> 8) & 0xff, (code >> 16) & 0xff, code >> 24,
           format.fmt.pix.width, format.fmt.pix.height, format.fmt.pix.bytesperline,
           format.fmt.pix.sizeimage, format.fmt.pix.colorspace, format.fmt.pix.field);
}

// Each call on a handle of its own, so one call's side effect (owning the queue) can't colour
// the next answer.
static int checks(const char* device, const char* label) {
    int fd = openNode(device);
    if (fd < 0)
        return 1;
    printPriority(label, fd);
    printFormat(label, fd);
    report(label, "REQBUFS count 0 (MMAP)", requestBuffers(fd, 0));
    report(label, "S_FMT same format", setSameFormat(fd));
    report(label, "S_FMT other size", setOtherSize(fd));
    report(label, "S_PARM same interval", setSameFrameInterval(fd));
    report(label, "S_INPUT same input", setInput(fd));
    report(label, "S_CTRL brightness unchanged", setBrightness(fd));
    report(label, "S_PRIORITY RECORD", setPriority(fd, V4L2_PRIORITY_RECORD));
    report(label, "S_PRIORITY DEFAULT", setPriority(fd, V4L2_PRIORITY_DEFAULT));
    int result = requestBuffers(fd, 2);
    report(label, "REQBUFS count 2 (a second streamer)", result);
    if (result == 0)
        report(label, "REQBUFS count 0 (give the queue back)", requestBuffers(fd, 0));
    close(fd);
    return 0;
}

static int priority(const char* device) {
    int holder = openNode(device);
    int other = openNode(device);
    if (holder < 0 || other < 0)
        return 1;
    report("priority", "holder S_PRIORITY RECORD", setPriority(holder, V4L2_PRIORITY_RECORD));
    printPriority("priority other", other);
    report("priority", "other S_FMT same format", setSameFormat(other));
    report("priority", "other S_FMT other size", setOtherSize(other));
    report("priority", "other S_PARM same interval", setSameFrameInterval(other));
    report("priority", "other S_CTRL brightness unchanged", setBrightness(other));
    report("priority", "other REQBUFS count 0", requestBuffers(other, 0));
    report("priority", "other S_PRIORITY RECORD", setPriority(other, V4L2_PRIORITY_RECORD));
    report("priority", "other S_PRIORITY INTERACTIVE",
           setPriority(other, V4L2_PRIORITY_INTERACTIVE));
    report("priority", "holder S_FMT other size", setOtherSize(holder));
    report("priority", "holder S_FMT same format (restores nothing)", setSameFormat(holder));
    report("priority", "holder REQBUFS count 0", requestBuffers(holder, 0));
    report("priority", "holder S_PRIORITY RECORD again", setPriority(holder, V4L2_PRIORITY_RECORD));
    close(holder);
    printf("priority: holder closed\n");
    printPriority("priority other", other);
    report("priority", "other S_FMT same format", setSameFormat(other));
    report("priority", "other S_PRIORITY RECORD", setPriority(other, V4L2_PRIORITY_RECORD));
    close(other);
    return 0;
}

static int hold(const char* device, int seconds) {
    int fd = openNode(device);
    if (fd < 0)
        return 1;
    if (report("hold", "S_PRIORITY RECORD", setPriority(fd, V4L2_PRIORITY_RECORD)) != 0)
        return 1;
    report("hold", "our own REQBUFS count 0", requestBuffers(fd, 0));
    sleep((unsigned)seconds);
    close(fd);
    printf("hold: released\n");
    return 0;
}

static int owner(const char* device) {
    int allocator = openNode(device);
    int other = openNode(device);
    if (allocator < 0 || other < 0)
        return 1;
    report("owner", "allocator REQBUFS count 2, no STREAMON", requestBuffers(allocator, 2));
    report("owner", "other REQBUFS count 0", requestBuffers(other, 0));
    report("owner", "other S_FMT same format", setSameFormat(other));
    report("owner", "allocator REQBUFS count 0", requestBuffers(allocator, 0));
    report("owner", "other REQBUFS count 0 afterwards", requestBuffers(other, 0));
    close(allocator);
    close(other);
    return 0;
}

static void printMask(unsigned mask) {
    static const struct {
        unsigned bit;
        const char* name;
    } names[] = {{IN_ACCESS, "ACCESS"},
                 {IN_MODIFY, "MODIFY"},
                 {IN_ATTRIB, "ATTRIB"},
                 {IN_CLOSE_WRITE, "CLOSE_WRITE"},
                 {IN_CLOSE_NOWRITE, "CLOSE_NOWRITE"},
                 {IN_OPEN, "OPEN"},
                 {IN_CREATE, "CREATE"},
                 {IN_DELETE, "DELETE"}};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (mask & names[i].bit)
            printf(" %s", names[i].name);
}

static int watch(int seconds, char** paths, int count) {
    int fd = inotify_init1(IN_NONBLOCK);
    if (fd < 0) {
        perror("busy-probe: inotify_init1");
        return 1;
    }
    const unsigned mask = IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_ATTRIB | IN_CREATE |
                          IN_DELETE | IN_ACCESS | IN_MODIFY;
    for (int i = 0; i < count; ++i)
        if (inotify_add_watch(fd, paths[i], mask) < 0)
            fprintf(stderr, "busy-probe: cannot watch %s: %s\n", paths[i], strerror(errno));
    printf("inotify: watching\n");
    fflush(stdout);
    time_t end = time(NULL) + seconds;
    char buffer[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
    while (time(NULL) < end) {
        struct pollfd wait = {.fd = fd, .events = POLLIN};
        if (poll(&wait, 1, 200) <= 0)
            continue;
        ssize_t length = read(fd, buffer, sizeof buffer);
        for (ssize_t offset = 0; offset + (ssize_t)sizeof(struct inotify_event) <= length;) {
            const struct inotify_event* event = (const struct inotify_event*)(buffer + offset);
            printf("inotify: watch %d%s%s:", event->wd, event->len ? " name " : "",
                   event->len ? event->name : "");
            printMask(event->mask);
            printf("\n");
            offset += sizeof(struct inotify_event) + event->len;
        }
        fflush(stdout);
    }
    close(fd);
    return 0;
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IOLBF, 0);
    if (argc == 4 && strcmp(argv[1], "checks") == 0)
        return checks(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "priority") == 0)
        return priority(argv[2]);
    if (argc == 3 && strcmp(argv[1], "owner") == 0)
        return owner(argv[2]);
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return hold(argv[2], atoi(argv[3]));
    if (argc >= 4 && strcmp(argv[1], "inotify") == 0)
        return watch(atoi(argv[2]), argv + 3, argc - 3);
    fprintf(stderr,
            "usage: busy-probe checks DEVICE LABEL | priority DEVICE | "
            "hold DEVICE SECONDS | owner DEVICE | inotify SECONDS PATH...\n");
    return 2;
}
