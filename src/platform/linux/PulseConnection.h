#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/ObjectPropertyService.h"
#include "platform/linux/SoundServerState.h"

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;

namespace tavrin {

// One connection to the sound server (PulseAudio, or PipeWire's pulse server) on the server
// library's threaded main loop: the backend's own thread, where every server callback and every
// observer call happens, never on the application's main thread.
//
// It keeps a `SoundServerState` that follows the server's subscription events, reconnects a
// second after the server goes away (the state is then empty and not connected), and sends
// requests for callers on other threads, waiting only briefly for their answers so that a server
// that stops answering never holds the caller.
class PulseConnection {
public:
    using Observer =
        std::function<void(const SoundServerState& before, const SoundServerState& after)>;
    using Request = std::function<pa_operation*(
        pa_context* context, void (*done)(pa_context*, int, void*), void* userdata)>;

    static constexpr std::chrono::milliseconds requestTimeout{1500};
    // How long a command waits for the server's answer: a local server answers well within it,
    // and a server that hangs holds the caller (the main thread) no longer than this.
    static constexpr std::chrono::milliseconds answerWait{20};
    static constexpr std::chrono::milliseconds reconnectDelay{1000};

    // `server` is a server string ("unix:/run/user/1000/pulse/native"); empty for the default.
    explicit PulseConnection(QString server = {});
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Observers are added before `start`; each is told of every change of the state.
    void addObserver(Observer observer);
    void start();
    // Disconnects and ends the backend's thread; nothing is called back afterwards.
    void stop();
    // Blocks until the first complete state arrived (true), or a connection attempt failed or the
    // time-out passed (false).
    bool waitUntilConnected(std::chrono::milliseconds timeout);

    SoundServerState state() const;

    // Sends a request whose completion reports success, and waits up to `answerWait` for the
    // answer. `noError` on success, and also when the answer has not come by then: the request
    // was sent, and what it changes arrives later like any other change (a refusal that comes
    // later changes nothing). `badObject` when not connected; `unspecified` when the server
    // refused in time. Not from the backend's thread, which can't wait for itself.
    OSStatus perform(const Request& request);

    // Runs `body(context)` with the main loop locked; the context is null while disconnected.
    // Callbacks of streams made in `body` run on the backend's thread.
    void withLoopLocked(const std::function<void(pa_context*)>& body);
    // Waits, with the main loop locked (inside `withLoopLocked`), until `done()` or the time-out.
    // Stream callbacks wake it through `wakeWaiters`.
    bool waitLocked(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    void wakeWaiters();
    // Runs `task` once on the backend's thread.
    void runOnLoop(std::function<void()> task);
    // The main loop's interface, for timers of the backend's own; null before `start`.
    pa_mainloop_api* loopApi() const;
    bool isLoopThread() const;

private:
    static void contextStateChanged(pa_context* context, void* userdata);
    static void subscriptionEvent(pa_context* context, int type, std::uint32_t index,
                                  void* userdata);
    static void reconnectTimer(pa_mainloop_api*, pa_time_event* event, const struct timeval*,
                               void* userdata);

    void connect();
    void onReady();
    void onLost();
    void scheduleReconnect();
    // The initial lists count down; the state is published once all four arrived.
    void initialListDone();
    // Publishes the working state to `state()` and the observers, when loaded.
    void commit();

    const QString server_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* reconnect_ = nullptr;
    std::vector<Observer> observers_;
    // Loop thread only.
    SoundServerState working_;
    int pendingInitialLists_ = 0;
    bool loaded_ = false;
    bool stopping_ = false;
    std::vector<std::function<void()>> tasks_;
    // What the observers were last told; readable from any thread.
    mutable std::mutex publishedMutex_;
    std::condition_variable connectedChanged_;
    SoundServerState published_;
    bool hasFailed_ = false;

    friend struct PulseConnectionAccess;
};

}  // namespace tavrin
