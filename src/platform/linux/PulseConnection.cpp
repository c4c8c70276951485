#include "platform/linux/PulseConnection.h"

#include <pulse/pulseaudio.h>

#include <condition_variable>
#include <limits>

namespace tavrin {

static_assert(soundServerNormalVolume == PA_VOLUME_NORM);

namespace {

QString text(const char* value) {
    return value ? QString::fromUtf8(value) : QString();
}

QString property(const pa_proplist* properties, const char* key) {
    return properties ? text(pa_proplist_gets(properties, key)) : QString();
}

std::optional<std::int32_t> processIDProperty(const pa_proplist* properties) {
    bool ok = false;
    const auto value = property(properties, PA_PROP_APPLICATION_PROCESS_ID).toLongLong(&ok);
    if (!ok || value <= 0 || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return std::int32_t(value);
}

bool isTrue(const QString& value) {
    return value == QLatin1String("true") || value == QLatin1String("1");
}

void store(SoundServerState& state, const pa_source_info& info) {
    SoundServerSource source;
    source.index = info.index;
    source.name = text(info.name);
    source.description = text(info.description);
    source.vendor = property(info.proplist, PA_PROP_DEVICE_VENDOR_NAME);
    source.product = property(info.proplist, PA_PROP_DEVICE_PRODUCT_NAME);
    source.bus = property(info.proplist, PA_PROP_DEVICE_BUS);
    source.isMonitor = info.monitor_of_sink != PA_INVALID_INDEX;
    source.hasHardware = (info.flags & PA_SOURCE_HARDWARE) != 0 ||
                         !property(info.proplist, PA_PROP_DEVICE_API).isEmpty();
    source.sampleRate = info.sample_spec.rate;
    source.channels = info.sample_spec.channels;
    if (pa_sample_format_valid(info.sample_spec.format)) {
        source.bitsPerSample = std::uint32_t(pa_sample_size_of_format(info.sample_spec.format) * 8);
        source.isFloat = info.sample_spec.format == PA_SAMPLE_FLOAT32LE ||
                         info.sample_spec.format == PA_SAMPLE_FLOAT32BE;
    }
    for (unsigned channel = 0; channel < info.volume.channels && channel < PA_CHANNELS_MAX;
         ++channel) {
        source.channelVolumes.append(info.volume.values[channel]);
    }
    source.isMuted = info.mute != 0;
    source.isRunning = info.state == PA_SOURCE_RUNNING;
    for (std::uint32_t port = 0; info.ports && port < info.n_ports; ++port) {
        if (const auto* entry = info.ports[port]) {
            source.ports.append(SoundServerPort{text(entry->name), text(entry->description)});
        }
    }
    if (info.active_port) {
        source.activePort = text(info.active_port->name);
    }
    state.sources.insert(source.index, source);
}

void store(SoundServerState& state, const pa_source_output_info& info) {
    SoundServerStream stream;
    stream.index = info.index;
    stream.sourceIndex = info.source;
    stream.clientIndex = info.client;
    stream.isCorked = info.corked != 0;
    stream.asksExclusive = isTrue(property(info.proplist, "node.exclusive"));
    stream.processID = processIDProperty(info.proplist);
    stream.applicationID = property(info.proplist, PA_PROP_APPLICATION_ID);
    state.streams.insert(stream.index, stream);
}

void store(SoundServerState& state, const pa_client_info& info) {
    SoundServerClient client;
    client.index = info.index;
    client.processID = processIDProperty(info.proplist);
    client.applicationID = property(info.proplist, PA_PROP_APPLICATION_ID);
    client.applicationName = property(info.proplist, PA_PROP_APPLICATION_NAME);
    if (client.applicationName.isEmpty()) {
        client.applicationName = text(info.name);
    }
    state.clients.insert(client.index, client);
}

void store(SoundServerState& state, const pa_server_info& info) {
    state.defaultSourceName = text(info.default_source_name);
    state.isPipeWire = text(info.server_name).contains(QLatin1String("PipeWire"));
}

}  // namespace

struct PulseConnectionAccess {
    static bool isCurrent(PulseConnection& connection, pa_context* context) {
        return connection.context_ == context;
    }
    static SoundServerState& working(PulseConnection& connection) { return connection.working_; }
    static void initialListDone(PulseConnection& connection) { connection.initialListDone(); }
    static void commit(PulseConnection& connection) { connection.commit(); }
};

namespace {

template <typename Info>
void listItem(pa_context* context, const Info* info, int eol, void* userdata) {
    auto& connection = *static_cast<PulseConnection*>(userdata);
    if (!PulseConnectionAccess::isCurrent(connection, context)) {
        return;
    }
    if (info) {
        store(PulseConnectionAccess::working(connection), *info);
    }
    if (eol != 0) {
        PulseConnectionAccess::initialListDone(connection);
    }
}

// A single object's reply after a change; an error (the object went meanwhile) changes nothing.
template <typename Info>
void changedItem(pa_context* context, const Info* info, int, void* userdata) {
    auto& connection = *static_cast<PulseConnection*>(userdata);
    if (info && PulseConnectionAccess::isCurrent(connection, context)) {
        store(PulseConnectionAccess::working(connection), *info);
        PulseConnectionAccess::commit(connection);
    }
}

void initialServer(pa_context* context, const pa_server_info* info, void* userdata) {
    listItem<pa_server_info>(context, info, 1, userdata);
}

void changedServer(pa_context* context, const pa_server_info* info, void* userdata) {
    changedItem<pa_server_info>(context, info, 1, userdata);
}

void forget(pa_operation* operation) {
    if (operation) {
        pa_operation_unref(operation);
    }
}

}  // namespace

PulseConnection::PulseConnection(QString server) : server_(std::move(server)) {}

PulseConnection::~PulseConnection() {
    stop();
}

void PulseConnection::stop() {
    if (!loop_) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    stopping_ = true;
    auto* api = pa_threaded_mainloop_get_api(loop_);
    if (reconnect_) {
        api->time_free(reconnect_);
        reconnect_ = nullptr;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    {
        std::lock_guard lock(publishedMutex_);
        published_ = SoundServerState();
    }
}

void PulseConnection::addObserver(Observer observer) {
    observers_.push_back(std::move(observer));
}

void PulseConnection::start() {
    loop_ = pa_threaded_mainloop_new();
    pa_threaded_mainloop_start(loop_);
    withLoopLocked([this](pa_context*) { connect(); });
}

bool PulseConnection::waitUntilConnected(std::chrono::milliseconds timeout) {
    std::unique_lock lock(publishedMutex_);
    return connectedChanged_.wait_for(lock, timeout, [this] {
        return published_.isConnected || hasFailed_;
    }) && published_.isConnected;
}

SoundServerState PulseConnection::state() const {
    std::lock_guard lock(publishedMutex_);
    return published_;
}

pa_mainloop_api* PulseConnection::loopApi() const {
    return loop_ ? pa_threaded_mainloop_get_api(loop_) : nullptr;
}

bool PulseConnection::isLoopThread() const {
    return loop_ && pa_threaded_mainloop_in_thread(loop_);
}

void PulseConnection::withLoopLocked(const std::function<void(pa_context*)>& body) {
    if (!loop_) {
        body(nullptr);
        return;
    }
    const bool inThread = isLoopThread();
    if (!inThread) {
        pa_threaded_mainloop_lock(loop_);
    }
    body(context_ && pa_context_get_state(context_) == PA_CONTEXT_READY ? context_ : nullptr);
    if (!inThread) {
        pa_threaded_mainloop_unlock(loop_);
    }
}

bool PulseConnection::waitLocked(const std::function<bool()>& done,
                                 std::chrono::milliseconds timeout) {
    struct Alarm {
        bool rang = false;
        pa_threaded_mainloop* loop = nullptr;
    } alarm{false, loop_};
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(std::chrono::microseconds(timeout).count()));
    auto* api = pa_threaded_mainloop_get_api(loop_);
    auto* event = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata) {
            auto& alarm = *static_cast<Alarm*>(userdata);
            alarm.rang = true;
            pa_threaded_mainloop_signal(alarm.loop, 0);
        },
        &alarm);
    while (!done() && !alarm.rang) {
        pa_threaded_mainloop_wait(loop_);
    }
    api->time_free(event);
    return done();
}

void PulseConnection::wakeWaiters() {
    pa_threaded_mainloop_signal(loop_, 0);
}

void PulseConnection::runOnLoop(std::function<void()> task) {
    if (!loop_) {
        return;
    }
    withLoopLocked([&](pa_context*) {
        tasks_.push_back(std::move(task));
        pa_mainloop_api_once(
            pa_threaded_mainloop_get_api(loop_),
            [](pa_mainloop_api*, void* userdata) {
                auto& connection = *static_cast<PulseConnection*>(userdata);
                auto tasks = std::exchange(connection.tasks_, {});
                for (auto& pending : tasks) {
                    pending();
                }
            },
            this);
    });
}

namespace {

// A request's answer, shared by the caller, who may stop waiting for it, and the server's
// callbacks, which may come much later or never (the operation is then cancelled with the
// context).
struct Answer {
    pa_threaded_mainloop* loop = nullptr;
    bool arrived = false;
    bool success = false;
    bool isOver = false;  // done or cancelled
};

void answerArrived(pa_context*, int success, void* userdata) {
    auto& answer = **static_cast<std::shared_ptr<Answer>*>(userdata);
    answer.arrived = true;
    answer.success = success != 0;
    pa_threaded_mainloop_signal(answer.loop, 0);
}

void operationStateChanged(pa_operation* operation, void* userdata) {
    auto* holder = static_cast<std::shared_ptr<Answer>*>(userdata);
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        return;
    }
    (*holder)->isOver = true;
    pa_threaded_mainloop_signal((*holder)->loop, 0);
    pa_operation_set_state_callback(operation, nullptr, nullptr);
    pa_operation_unref(operation);
    delete holder;
}

}  // namespace

OSStatus PulseConnection::perform(const Request& request) {
    if (isLoopThread()) {
        return OSStatusCode::illegalOperation;
    }
    OSStatus status = OSStatusCode::badObject;
    withLoopLocked([&](pa_context* context) {
        if (!context) {
            return;
        }
        auto answer = std::make_shared<Answer>();
        answer->loop = loop_;
        // Freed when the operation is over, which the context guarantees at its end.
        auto* holder = new std::shared_ptr<Answer>(answer);
        auto* operation = request(context, answerArrived, holder);
        if (!operation) {
            delete holder;
            status = OSStatusCode::unspecified;
            return;
        }
        pa_operation_set_state_callback(operation, operationStateChanged, holder);
        waitLocked([&] { return answer->arrived || answer->isOver; }, answerWait);
        if (answer->arrived) {
            status = answer->success ? OSStatusCode::noError : OSStatusCode::unspecified;
        } else {
            // Cancelled (the connection went), or still on its way: the server's answer, when
            // it comes, shows as the change it makes.
            status = answer->isOver ? OSStatusCode::unspecified : OSStatusCode::noError;
        }
    });
    return status;
}

void PulseConnection::connect() {
    auto* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tavrin");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "tavrin");
    context_ =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Tavrin", properties);
    pa_proplist_free(properties);
    if (!context_) {
        scheduleReconnect();
        return;
    }
    pa_context_set_state_callback(context_, contextStateChanged, this);
    const auto server = server_.toUtf8();
    if (pa_context_connect(context_, server_.isEmpty() ? nullptr : server.constData(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        onLost();
    }
}

void PulseConnection::contextStateChanged(pa_context* context, void* userdata) {
    auto& self = *static_cast<PulseConnection*>(userdata);
    if (context != self.context_) {
        return;
    }
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            self.onReady();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self.onLost();
            break;
        default:
            break;
    }
    self.wakeWaiters();
}

void PulseConnection::onReady() {
    working_ = SoundServerState();
    loaded_ = false;
    pendingInitialLists_ = 4;
    pa_context_set_subscribe_callback(
        context_,
        [](pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
           void* userdata) { subscriptionEvent(context, int(type), index, userdata); },
        this);
    forget(pa_context_subscribe(
        context_,
        pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT |
                               PA_SUBSCRIPTION_MASK_CLIENT | PA_SUBSCRIPTION_MASK_SERVER),
        nullptr, nullptr));
    forget(pa_context_get_server_info(context_, initialServer, this));
    forget(pa_context_get_source_info_list(context_, listItem<pa_source_info>, this));
    forget(pa_context_get_source_output_info_list(context_, listItem<pa_source_output_info>, this));
    forget(pa_context_get_client_info_list(context_, listItem<pa_client_info>, this));
}

void PulseConnection::initialListDone() {
    if (--pendingInitialLists_ == 0) {
        loaded_ = true;
        working_.isConnected = true;
        commit();
    }
}

// Everything the server had is gone with it: the observers see an empty, unconnected state.
void PulseConnection::onLost() {
    if (reconnect_ || stopping_) {
        return;
    }
    working_ = SoundServerState();
    commit();  // only when the observers had seen a state
    loaded_ = false;
    {
        std::lock_guard lock(publishedMutex_);
        hasFailed_ = true;
    }
    connectedChanged_.notify_all();
    scheduleReconnect();
}

void PulseConnection::scheduleReconnect() {
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(std::chrono::microseconds(reconnectDelay).count()));
    auto* api = pa_threaded_mainloop_get_api(loop_);
    reconnect_ = api->time_new(api, &when, reconnectTimer, this);
}

// The old context is let go here, outside its own callbacks.
void PulseConnection::reconnectTimer(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                                     void* userdata) {
    auto& self = *static_cast<PulseConnection*>(userdata);
    api->time_free(event);
    self.reconnect_ = nullptr;
    if (self.context_) {
        pa_context_set_state_callback(self.context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(self.context_, nullptr, nullptr);
        pa_context_disconnect(self.context_);
        pa_context_unref(self.context_);
        self.context_ = nullptr;
    }
    if (!self.stopping_) {
        self.connect();
    }
}

void PulseConnection::subscriptionEvent(pa_context* context, int type, std::uint32_t index,
                                        void* userdata) {
    auto& self = *static_cast<PulseConnection*>(userdata);
    if (context != self.context_) {
        return;
    }
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
    auto& state = self.working_;
    // A removed object leaves the state at once; a new or changed one is asked for afresh.
    auto follow = [&](auto& objects, const auto& request) {
        if (removed) {
            objects.remove(index);
            self.commit();
        } else {
            forget(request());
        }
    };
    switch (facility) {
        case PA_SUBSCRIPTION_EVENT_SOURCE:
            follow(state.sources, [&] {
                return pa_context_get_source_info_by_index(context, index,
                                                           changedItem<pa_source_info>, &self);
            });
            break;
        case PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT:
            follow(state.streams, [&] {
                return pa_context_get_source_output_info(context, index,
                                                         changedItem<pa_source_output_info>, &self);
            });
            break;
        case PA_SUBSCRIPTION_EVENT_CLIENT:
            follow(state.clients, [&] {
                return pa_context_get_client_info(context, index, changedItem<pa_client_info>,
                                                  &self);
            });
            break;
        case PA_SUBSCRIPTION_EVENT_SERVER:
            forget(pa_context_get_server_info(context, changedServer, &self));
            break;
        default:
            break;
    }
}

void PulseConnection::commit() {
    if (!loaded_) {
        return;
    }
    SoundServerState before;
    {
        std::lock_guard lock(publishedMutex_);
        if (published_ == working_) {
            return;
        }
        before = std::exchange(published_, working_);
    }
    connectedChanged_.notify_all();
    for (const auto& observer : observers_) {
        observer(before, working_);
    }
}

}  // namespace tavrin
