#include "telemetry/TelemetryService.h"

#include "platform/Pause.h"
#include "platform/PlatformError.h"
#include "platform/PropertyListReader.h"
#include "telemetry/SessionID.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#ifndef QLAN_TELEMETRY_ENDPOINT
#define QLAN_TELEMETRY_ENDPOINT ""
#endif
#ifndef QLAN_TELEMETRY_KEY
#define QLAN_TELEMETRY_KEY ""
#endif

namespace qlan {
namespace {

// What the service's threads read, also while the process ends, is never destroyed: constants, and objects
// made once and never freed.
constexpr QLatin1String kRecordsPath("/api/database/records/usage_events");
constexpr QLatin1String kPendingFileName("pending-events.json");
constexpr QLatin1String kLoadFailure("Telemetry: couldn't load pending events: ");
constexpr QLatin1String kPersistFailure("Telemetry: couldn't persist pending events: ");

const QLoggingCategory& lcTelemetry() {
    static const QLoggingCategory* const category = new QLoggingCategory("qlan.telemetry");
    return *category;
}

// Log lines go out as plain text, never as a format.
void logLine(const QString& text) {
    qCWarning(lcTelemetry).noquote() << text;
}

// One entry of the queue, in the form of the queue file.
struct Event {
    QUuid sessionID;
    QString clientTimestamp;
    QString appVersion;
    QString eventName;
    JSONObject eventData;
};

struct QueuedEvent {
    quint64 serial = 0; // identifies the entry in memory only
    Event event;
};

QJsonObject encodeEvent(const Event& event, const QJsonValue& data) {
    return QJsonObject{
        {QStringLiteral("sessionID"), SessionID::canonicalText(event.sessionID)},
        {QStringLiteral("clientTimestamp"), event.clientTimestamp},
        {QStringLiteral("appVersion"), event.appVersion},
        {QStringLiteral("eventName"), event.eventName},
        {QStringLiteral("eventData"), data},
    };
}

// A JSON array of events; throws PlatformError when the text is not one.
QList<Event> decodeEvents(const QByteArray& bytes) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw PlatformError(QStringLiteral("The data isn't valid JSON: ") + parseError.errorString());
    if (!document.isArray()) throw PlatformError(QStringLiteral("The data isn't a list of events."));
    QList<Event> events;
    const QJsonArray array = document.array();
    for (qsizetype index = 0; index < array.size(); ++index) {
        const auto fail = [index](const QString& what) {
            throw PlatformError(QStringLiteral("Event %1: %2").arg(index).arg(what));
        };
        if (!array.at(index).isObject()) fail(QStringLiteral("not an object"));
        const QJsonObject object = array.at(index).toObject();
        for (const char* key : {"sessionID", "clientTimestamp", "appVersion", "eventName"})
            if (!object.value(QLatin1String(key)).isString())
                fail(QStringLiteral("\"%1\" is missing or not text").arg(QLatin1String(key)));
        const auto session = SessionID::parse(object.value(QStringLiteral("sessionID")).toString());
        if (!session) fail(QStringLiteral("\"sessionID\" is not a UUID"));
        if (!object.value(QStringLiteral("eventData")).isObject())
            fail(QStringLiteral("\"eventData\" is missing or not an object"));
        const auto data = JSONValue::fromJson(object.value(QStringLiteral("eventData")));
        if (!data) fail(QStringLiteral("Unknown JSONValue"));
        events.append(Event{*session, object.value(QStringLiteral("clientTimestamp")).toString(),
                            object.value(QStringLiteral("appVersion")).toString(),
                            object.value(QStringLiteral("eventName")).toString(), data->toObject()});
    }
    return events;
}

// Runs jobs one at a time, in the order they were posted, on a thread of its own.
class SerialQueue {
public:
    SerialQueue()
        : thread_([this] { run(); }) {}
    ~SerialQueue() { stop(); }

    // False when the queue has stopped and the job is dropped.
    bool post(std::function<void()> job) {
        {
            std::lock_guard lock(mutex_);
            if (quit_) return false;
            jobs_.push_back(std::move(job));
        }
        ready_.notify_one();
        return true;
    }

    // Runs what was posted so far, then ends the thread; later jobs are dropped.
    void stop() {
        if (!thread_.joinable()) return;
        post([this] {
            std::lock_guard lock(mutex_);
            quit_ = true;
        });
        thread_.join();
    }

    bool isQueueThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return !jobs_.empty() || quit_; });
                if (jobs_.empty()) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
            std::lock_guard lock(mutex_);
            if (quit_) return;
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    bool quit_ = false;
    std::thread thread_;
};

// Services that are still alive at exit get to finish the operations handed to them (writing the
// queue file of events tracked in the last moments), for a bounded time. Never destroyed: the exit
// hooks that walk it may run after every static object of the process is gone, whichever thread
// registered them first.
struct LiveServices {
    std::mutex mutex;
    std::set<TelemetryService*> services;
};
LiveServices& liveServices() {
    static LiveServices* const live = new LiveServices;
    return *live;
}

} // namespace

struct TelemetryService::Impl {
    // Made on the queue thread by its first operation (`start`), so that nothing of it, not the version
    // read from the bundle, the queue file's folder or the stored identifier, touches the disk on the
    // thread that creates the service. Fixed from then on; other threads read it after `started`.
    std::function<Configuration()> makeConfiguration;
    Configuration configuration;
    QUuid sessionID;
    QString pendingFile;
    URLSession session;
    std::promise<void> startedPromise;
    std::shared_future<void> started = startedPromise.get_future().share();
    std::once_flag startPosted;

    // Touched on the queue thread only.
    QList<QueuedEvent> pending;
    // Once the queue file's path is found holding something other than a regular file, the queue stays
    // in memory for the rest of the run: what is there is never read, removed or written through.
    bool queueFileGivenUp = false;
    std::atomic<bool> isFlushing = false; // written on the queue thread only
    bool shuttingDown = false;
    bool persistScheduled = false;
    quint64 nextSerial = 1;
    std::jthread delivery;
    // How the last delivery ended: written by its thread as it ends, read on the queue thread once that
    // thread has been joined.
    struct DeliveryOutcome {
        quint64 serial = 0;
        bool done = false;
    };
    std::optional<DeliveryOutcome> lastDelivery;

    SerialQueue queue; // last member: its thread starts when everything above exists

    bool recordsNothing() const { return configuration.disabled || !configuration.endpointURL.isValid(); }

    // --- operations on the queue thread ---

    void start() {
        try {
            configuration = makeConfiguration();
        } catch (...) {
            // Not expected: without a configuration the service records nothing.
        }
        makeConfiguration = nullptr;
        const bool active = configuration.endpointURL.isValid();
        if (active) sessionID = SessionID{configuration.kvStore, configuration.keyPrefix}.value();
        pendingFile = configuration.pendingFileURL;
        if (active && configuration.urlSessionFactory) session = configuration.urlSessionFactory();
        startedPromise.set_value();
        // The previous run's queue is loaded before anything of this run can be delivered or written.
        if (active && !pendingFile.isEmpty()) loadPending();
        // Exit hooks run, and static objects are destroyed, in the reverse order of their making: this
        // second hook runs before the objects made for the steps above (the settings behind the
        // identifier) go, so that a process ending by exit() finishes with them intact.
        static std::once_flag lateExitHook;
        std::call_once(lateExitHook, [] { std::atexit(&TelemetryService::finishBeforeExit); });
    }

    void record(Event event) {
        if (recordsNothing() || pendingFile.isEmpty()) return;
        event.sessionID = sessionID;
        event.appVersion = configuration.appVersion;
        if (!JSONValue::toJson(event.eventData)) {
            logLine(QStringLiteral("Telemetry: dropping event ") + event.eventName +
                    QStringLiteral(" whose properties cannot be encoded"));
            return;
        }
        pending.append(QueuedEvent{nextSerial++, std::move(event)});
        // The file is written right after the events handed over together with this one, once for
        // all of them.
        if (!persistScheduled) {
            persistScheduled = true;
            queue.post([this] { persistIfScheduled(); });
        }
        flush();
    }

    void flush() {
        if (isFlushing || shuttingDown || !configuration.endpointURL.isValid()) return;
        isFlushing = true;
        deliverFront();
    }

    void deliverFront() {
        if (pending.isEmpty() || shuttingDown) {
            isFlushing = false;
            return;
        }
        if (delivery.joinable()) delivery.join(); // the previous delivery has already reported
        const QueuedEvent front = pending.first();
        delivery = std::jthread([this, front](std::stop_token stop) {
            const bool done = send(front.event, stop);
            lastDelivery = DeliveryOutcome{front.serial, done};
            queue.post([this, serial = front.serial, done] { delivered(serial, done); });
        });
    }

    // Removes exactly the entry that was sent (events loaded meanwhile may stand ahead of it); false
    // when it is no longer queued.
    bool removeDelivered(quint64 serial) {
        for (qsizetype i = 0; i < pending.size(); ++i)
            if (pending.at(i).serial == serial) {
                pending.removeAt(i);
                return true;
            }
        return false;
    }

    void delivered(quint64 serial, bool done) {
        if (done) {
            removeDelivered(serial);
            persistPending();
            deliverFront();
            return;
        }
        persistPending();
        isFlushing = false;
    }

    // Why the queue file cannot be used: its path holds a folder, a symbolic link (to anything, or
    // nothing), a named pipe or a device. Nothing when it holds a regular file or nothing at all.
    std::optional<QString> obstacleAtQueueFile() const {
        FileAttributes item;
        try {
            item = configuration.fs->attributesOfItem(pendingFile);
        } catch (const std::exception&) {
            return std::nullopt; // nothing there, or nothing to learn: the file operations say what fails
        }
        QString kind;
        if (item.isSymbolicLink.value_or(false))
            kind = QStringLiteral("a symbolic link");
        else if (item.isDirectory.value_or(false))
            kind = QStringLiteral("a folder");
        else if (!item.isRegularFile.value_or(true))
            kind = QStringLiteral("neither a file nor a folder");
        else
            return std::nullopt;
        return QStringLiteral("“%1” is %2, not a file, so events are kept in memory only.")
            .arg(pendingFile, kind);
    }

    // Whether the queue file may be used. The first time it may not, the log says why, after `prefix`.
    bool queueFileUsable(const QString& prefix) {
        if (queueFileGivenUp) return false;
        const std::optional<QString> obstacle = obstacleAtQueueFile();
        if (!obstacle) return true;
        queueFileGivenUp = true;
        logLine(prefix + *obstacle);
        return false;
    }

    void loadPending() {
        const FileSystemOperating& fs = *configuration.fs;
        if (!queueFileUsable(kLoadFailure) || !fs.fileExists(pendingFile)) return;
        try {
            QList<QueuedEvent> loaded;
            for (Event& event : decodeEvents(fs.readData(pendingFile)))
                loaded.append(QueuedEvent{nextSerial++, std::move(event)});
            pending = loaded + pending;
        } catch (const std::exception& error) {
            logLine(kLoadFailure + errorDescription(error));
            return;
        }
        flush();
    }

    // Mirrors the whole queue, so a write scheduled for earlier events is no longer needed.
    void persistPending() {
        persistScheduled = false;
        if (!queueFileUsable(kPersistFailure)) return;
        FileSystemOperating& fs = *configuration.fs;
        try {
            fs.createDirectory(QFileInfo(pendingFile).absolutePath(), true);
            if (pending.isEmpty()) {
                if (fs.fileExists(pendingFile)) {
                    try {
                        fs.removeItem(pendingFile);
                    } catch (const std::exception&) {
                        // A file that cannot be removed is rewritten by the next successful write.
                    }
                }
                return;
            }
            QJsonArray array;
            for (const QueuedEvent& entry : pending) {
                const auto data = JSONValue::toJson(entry.event.eventData);
                if (!data) throw PlatformError(QStringLiteral("An event's properties cannot be encoded."));
                array.append(encodeEvent(entry.event, *data));
            }
            fs.writeData(QJsonDocument(array).toJson(QJsonDocument::Compact), pendingFile);
        } catch (const std::exception& error) {
            logLine(kPersistFailure + errorDescription(error));
        }
    }

    void persistIfScheduled() {
        if (persistScheduled) persistPending();
    }

    // Ends deliveries: the queue file is brought up to date, a request in flight is asked to stop, and
    // no new one starts. A delivery that was answered as the end came is done with: its report waits
    // behind this operation and may never run, so its event leaves the file here, and a later launch
    // does not send it again.
    void stopDeliveries() {
        persistIfScheduled();
        shuttingDown = true;
        if (delivery.joinable()) {
            delivery.request_stop();
            delivery.join();
        }
        if (lastDelivery && lastDelivery->done && removeDelivered(lastDelivery->serial)) persistPending();
    }

    // --- deliveries, on the delivery thread (they read only fixed state) ---

    enum class SendResult { done, failed };

    // Up to three tries: at once, then after 0.5 s and 1 s. True when the event is done with.
    bool send(const Event& event, std::stop_token stop) {
        for (int attempt = 0;; ++attempt) {
            if (sendOnce(event, stop) == SendResult::done) return true;
            if (attempt > 1 || stop.stop_requested()) return false;
            configuration.retryPause(std::chrono::milliseconds(250LL << (attempt + 1)), stop);
            if (stop.stop_requested()) return false;
        }
    }

    SendResult sendOnce(const Event& event, std::stop_token stop) {
        const auto data = JSONValue::toJson(event.eventData);
        if (!data) {
            // Never blocks the queue: an event that cannot be encoded is dropped.
            logLine(QStringLiteral("Telemetry: dropping event ") + event.eventName +
                    QStringLiteral(" whose properties cannot be encoded"));
            return SendResult::done;
        }
        const QJsonObject payload{
            {QStringLiteral("session_id"), SessionID::canonicalText(event.sessionID).toLower()},
            {QStringLiteral("client_timestamp"), event.clientTimestamp},
            {QStringLiteral("app_version"), event.appVersion},
            {QStringLiteral("app_id"), configuration.appID},
            {QStringLiteral("run_context"), configuration.runContext},
            {QStringLiteral("event_name"), event.eventName},
            {QStringLiteral("event_data"), *data},
        };
        HTTPRequest request;
        request.url = configuration.endpointURL;
        request.method = "POST";
        request.headers = session.additionalHeaders;
        request.body = QJsonDocument(QJsonArray{payload}).toJson(QJsonDocument::Compact);
        // The request asks for 60 seconds without data; the session's idle limit is shorter. The
        // session's limit for the whole request is its deadline; either ends a try that has no status yet
        // as a failed one.
        request.idleTimeoutSeconds = std::min(60.0, session.requestTimeoutSeconds);
        request.timeoutSeconds = session.resourceTimeoutSeconds;
        // Only the status counts: the call ends with the head, so a 2xx is a delivery whatever its body
        // does after it (a long echo of the record, a stall, a reset), and that body is never read.
        request.headOnly = true;
        try {
            const int status = session.http->data(request, stop).second.statusCode;
            if (status >= 200 && status <= 299) return SendResult::done;
            if (status >= 400 && status <= 499) {
                logLine(QStringLiteral(
                            "Telemetry: dropping event after %1 (likely event_name or schema mismatch)")
                            .arg(status));
                return SendResult::done;
            }
        } catch (const std::exception&) {
            // A transport error: tried again below.
        }
        return SendResult::failed;
    }
};

TelemetryService::TelemetryService(Configuration configuration)
    : TelemetryService([configuration = std::move(configuration)] { return configuration; }) {}

TelemetryService::TelemetryService(std::function<Configuration()> makeConfiguration)
    : d(std::make_unique<Impl>()) {
    d->makeConfiguration = std::move(makeConfiguration);
    LiveServices& live = liveServices();
    {
        std::lock_guard lock(live.mutex);
        live.services.insert(this);
    }
    static std::once_flag exitHooks;
    std::call_once(exitHooks, [] {
        // When the application object goes away (while the rest of Qt still works), and at exit for a
        // process that ends without destroying it.
        if (QCoreApplication::instance()) qAddPostRoutine(&TelemetryService::finishBeforeExit);
        std::atexit(&TelemetryService::finishBeforeExit);
    });
    // The service starts its work (configuration, identifier, the previous run's queue) at its first
    // event, so that making it early, before the user has agreed to anything, does nothing. What its
    // start registers for the exit comes after the above.
}

void TelemetryService::start() const {
    std::call_once(d->startPosted, [impl = d.get()] { impl->queue.post([impl] { impl->start(); }); });
}

void TelemetryService::finishBeforeExit() {
    LiveServices& live = liveServices();
    std::lock_guard lock(live.mutex);
    for (TelemetryService* service : live.services) {
        service->d->queue.post([impl = service->d.get()] { impl->stopDeliveries(); });
        service->waitForQueuedOperations(2000);
    }
}

TelemetryService::~TelemetryService() {
    {
        LiveServices& live = liveServices();
        std::lock_guard lock(live.mutex);
        live.services.erase(this);
    }
    d->queue.post([impl = d.get()] { impl->stopDeliveries(); });
    d->queue.stop();
}

TelemetryService& TelemetryService::shared() {
    // Never destroyed: it lives as long as the process.
    static TelemetryService* const instance =
        new TelemetryService([] { return Configuration::defaultConfiguration(); });
    return *instance;
}

void TelemetryService::track(const QString& eventName, const JSONObject& properties) {
    // Only the moment is taken here; the rest of the event is filled in on the service's thread.
    Event event{{}, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), {}, eventName, properties};
    start();
    d->queue.post([impl = d.get(), event = std::move(event)]() mutable { impl->record(std::move(event)); });
}

const TelemetryService::Configuration& TelemetryService::configuration() const {
    start();
    d->started.wait();
    return d->configuration;
}
QUuid TelemetryService::sessionID() const {
    start();
    d->started.wait();
    return d->sessionID;
}
QString TelemetryService::pendingFile() const {
    start();
    d->started.wait();
    return d->pendingFile;
}
bool TelemetryService::isDelivering() const {
    return d->isFlushing.load();
}

bool TelemetryService::waitForQueuedOperations(int timeoutMs) {
    if (d->queue.isQueueThread()) return true;
    auto state = std::make_shared<std::pair<std::mutex, std::condition_variable>>();
    auto reached = std::make_shared<bool>(false);
    const bool posted = d->queue.post([state, reached] {
        std::lock_guard lock(state->first);
        *reached = true;
        state->second.notify_all();
    });
    if (!posted) return true;
    std::unique_lock lock(state->first);
    return state->second.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return *reached; });
}

QUrl TelemetryService::compiledEndpointURL() {
    return recordsEndpointURL(QStringLiteral(QLAN_TELEMETRY_ENDPOINT));
}

QUrl TelemetryService::recordsEndpointURL(const QString& origin) {
    const QUrl url(origin, QUrl::StrictMode);
    const bool httpsOrigin = url.isValid() && url.scheme() == QLatin1String("https") &&
                             !url.host().isEmpty() && url.userInfo().isEmpty() && url.path().isEmpty() &&
                             !url.hasQuery() && !url.hasFragment();
    if (!httpsOrigin) return {};
    return QUrl(origin + kRecordsPath);
}

QString TelemetryService::compiledAnonKey() {
    return QStringLiteral(QLAN_TELEMETRY_KEY);
}

TelemetryService::URLSession TelemetryService::makeURLSession(const QString& anonKey,
                                                              std::shared_ptr<HTTPFetching> http) {
    URLSession session;
    session.http = std::move(http);
    session.additionalHeaders = {
        {"Content-Type", "application/json"},
        {"Authorization", "Bearer " + anonKey.toUtf8()},
    };
    return session;
}

QString TelemetryService::pendingFileURL(FileSystemOperating& fs, const QString& folderName) {
    QString base;
    try {
        base = fs.urlForDirectory(StandardDirectory::applicationSupport, true);
    } catch (const std::exception&) {
        base = fs.temporaryDirectory();
    }
    return QDir::cleanPath(base + QLatin1Char('/') + folderName) + QLatin1Char('/') + kPendingFileName;
}

QString TelemetryService::appVersionString(const std::optional<QString>& shortVersion,
                                           const std::optional<QString>& build) {
    return shortVersion.value_or(QStringLiteral("0.0")) + QStringLiteral(" (") +
           build.value_or(QStringLiteral("0")) + QLatin1Char(')');
}

QString TelemetryService::appVersionString() {
    // The application bundle's Info.plist: <bundle>/Contents/Info.plist, the program being in
    // <bundle>/Contents/MacOS.
    if (!QCoreApplication::instance()) return appVersionString(std::nullopt, std::nullopt);
    return appVersionString(*AppServices::live().fs,
                            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../Info.plist"));
}

QString TelemetryService::appVersionString(const FileSystemOperating& fs, const QString& infoPlist) {
    std::optional<QString> shortVersion;
    std::optional<QString> build;
    try {
        const QByteArray data = fs.readData(infoPlist);
        shortVersion = PropertyListReader::string(data, {QStringLiteral("CFBundleShortVersionString")});
        build = PropertyListReader::string(data, {QStringLiteral("CFBundleVersion")});
    } catch (const std::exception&) {
        // No bundle: the placeholders stand in.
    }
    return appVersionString(shortVersion, build);
}

void TelemetryService::sleepPause(std::chrono::milliseconds duration, std::stop_token stop) {
    pauseUnlessStopped(duration, stop);
}

TelemetryService::Configuration TelemetryService::Configuration::make(const Application& app,
                                                                      const AppServices& services,
                                                                      const QUrl& endpoint,
                                                                      const QString& anonKey) {
    Configuration configuration;
    configuration.endpointURL = endpoint;
    configuration.anonKey = anonKey;
    configuration.appVersion = appVersionString();
    configuration.appID = app.appID;
    configuration.keyPrefix = app.userDefaultsPrefix;
    configuration.runContext = qEnvironmentVariableIsSet("QLAN_RUN_CONTEXT")
                                   ? qEnvironmentVariable("QLAN_RUN_CONTEXT")
                                   : QStringLiteral("release");
    configuration.disabled =
        qEnvironmentVariableIsSet("QLAN_TELEMETRY_DISABLED") && qgetenv("QLAN_TELEMETRY_DISABLED") == "1";
    configuration.urlSessionFactory = [anonKey, http = services.http] {
        return makeURLSession(anonKey, http);
    };
    configuration.kvStore = services.store;
    configuration.fs = services.fs;
    if (endpoint.isValid())
        configuration.pendingFileURL = TelemetryService::pendingFileURL(*services.fs, app.appSupportDirName);
    return configuration;
}

namespace {

struct SharedConfigurationSlot {
    std::mutex mutex;
    std::function<TelemetryService::Configuration()> make;
};

SharedConfigurationSlot& sharedConfigurationSlot() {
    static SharedConfigurationSlot* const slot = new SharedConfigurationSlot;
    return *slot;
}

} // namespace

void TelemetryService::setSharedConfiguration(std::function<Configuration()> makeConfiguration) {
    SharedConfigurationSlot& slot = sharedConfigurationSlot();
    std::lock_guard lock(slot.mutex);
    slot.make = std::move(makeConfiguration);
}

const TelemetryService::Configuration& TelemetryService::Configuration::defaultConfiguration() {
    // Made on the shared service's thread, which may still run while the process ends: never destroyed.
    static const Configuration* const configuration = [] {
        SharedConfigurationSlot& slot = sharedConfigurationSlot();
        std::function<Configuration()> make;
        {
            std::lock_guard lock(slot.mutex);
            make = slot.make;
        }
        // Nobody said who the application is: nothing is recorded.
        return new Configuration(make ? make()
                                      : Configuration::make({}, AppServices::live(), QUrl(), QString()));
    }();
    return *configuration;
}

namespace {

struct NPSShownFlag {
    std::mutex lock;
    bool shown = false;
};

NPSShownFlag& npsShownFlag() {
    static NPSShownFlag flag;
    return flag;
}

} // namespace

bool TelemetryService::markNPSShown() {
    NPSShownFlag& flag = npsShownFlag();
    std::lock_guard lock(flag.lock);
    return std::exchange(flag.shown, true);
}

void TelemetryService::clearNPSShown() {
    NPSShownFlag& flag = npsShownFlag();
    std::lock_guard lock(flag.lock);
    flag.shown = false;
}

} // namespace qlan
