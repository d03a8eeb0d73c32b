#pragma once
// Anonymous usage events. One object takes events (a name and a property map), keeps them in a queue
// mirrored to the file "pending-events.json" so that undelivered events survive a quit, and posts them
// one at a time to the records endpoint, with up to three tries.
//
// Making the service does nothing more: it starts its work (its configuration, the session identifier,
// loading and sending the previous run's queue) at the first event. The service runs its operations one
// at a time on a thread of its own; `track` only hands the event over and never blocks its caller. Every file
// operation of the service, from making its configuration on, runs on that thread, so not even the first
// `track` of a process touches the disk on the caller's (GUI) thread. Requests and the pauses between tries
// run on a delivery thread, so that tracking and queue-file writes go on while a request is in flight.

#include "platform/AppServices.h"
#include "telemetry/JSONValue.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace qlan {

class TelemetryService {
public:
    // How requests reach the endpoint: the HTTP service and what every request carries.
    struct URLSession {
        std::shared_ptr<HTTPFetching> http;
        HTTPHeaders additionalHeaders;        // "Content-Type" and "Authorization"
        double requestTimeoutSeconds = 15.0;  // idle limit of one request: no data for this long ends it
        double resourceTimeoutSeconds = 30.0; // limit of one whole request (none when zero or below)
    };

    // A pause between two tries; it returns early when `stop` is requested.
    using RetryPause = std::function<void(std::chrono::milliseconds, std::stop_token)>;

    // What the service needs to know of the running application, as plain values from its caller.
    struct Application {
        QString appID;              // sent with every usage event
        QString appSupportDirName;  // the folder of the queue file under Application Support
        QString userDefaultsPrefix; // the key of the session identifier is this prefix and ".session_id"
    };

    struct Configuration {
        QUrl endpointURL;   // the records endpoint; empty: nothing is recorded or delivered
        QString anonKey;    // the anonymous bearer key
        QString appVersion; // "<short version> (<build>)"
        QString appID;      // the edition's identifier
        QString keyPrefix;  // the key prefix of the session identifier in `kvStore`
        QString runContext; // the label of this run
        bool disabled = false;
        std::function<URLSession()> urlSessionFactory; // called once, on the service's thread
        std::shared_ptr<KeyValueStoring> kvStore;      // holds the session identifier
        std::shared_ptr<FileSystemOperating> fs;       // every file operation of the service
        QString pendingFileURL;                        // the queue file
        RetryPause retryPause = sleepPause;

        // A configuration for the application `app` from the environment (QLAN_RUN_CONTEXT,
        // QLAN_TELEMETRY_DISABLED) and the given services. With an empty endpoint no queue file is named.
        static Configuration make(const Application& app, const AppServices& services = AppServices::live(),
                                  const QUrl& endpoint = compiledEndpointURL(),
                                  const QString& anonKey = compiledAnonKey());
        // The configuration of the shared service, made once, on the shared service's own thread, by the
        // maker given to `setSharedConfiguration`; without one, a configuration that records nothing.
        static const Configuration& defaultConfiguration();
    };

    explicit TelemetryService(Configuration configuration);
    // The configuration is made by `makeConfiguration`, called once at the first event, on the service's
    // own thread before any other operation; the constructor and `track` do not wait for it.
    explicit TelemetryService(std::function<Configuration()> makeConfiguration);
    ~TelemetryService();
    TelemetryService(const TelemetryService&) = delete;
    TelemetryService& operator=(const TelemetryService&) = delete;

    // The one instance of the process, built on first use with the default configuration.
    static TelemetryService& shared();
    // Names how the shared service makes its configuration (the application does so once at start,
    // before any event is tracked). Later calls have no effect once the shared service has made it.
    static void setSharedConfiguration(std::function<Configuration()> makeConfiguration);

    // Records one event for delivery; returns at once. Nothing is recorded when the configuration is
    // disabled or names no endpoint (the first event still starts the service, which then delivers the
    // queue an earlier run left).
    void track(const QString& eventName, const JSONObject& properties = {});
    void track(const TelemetryEvent& event) { track(event.name, event.properties); }

    // These three start the service, as an event does, and wait until it has made its configuration.
    const Configuration& configuration() const;
    QUuid sessionID() const;
    QString pendingFile() const;
    // True while a delivery loop runs (from the first request until the queue is empty or a delivery
    // has failed three times).
    bool isDelivering() const;

    // Waits until every operation handed to the service so far has run (a request in flight is not
    // waited for). False when `timeoutMs` passed first.
    bool waitForQueuedOperations(int timeoutMs = 5000);

    // Helpers of the configuration.
    // The records endpoint compiled in (see recordsEndpointURL); empty when none is.
    static QUrl compiledEndpointURL();
    // The records endpoint under an origin: the origin followed by the records path. Only an https
    // origin (scheme, host and port at most) has one; for any other, empty, so that nothing is recorded.
    static QUrl recordsEndpointURL(const QString& origin);
    static QString compiledAnonKey();
    static URLSession makeURLSession(const QString& anonKey, std::shared_ptr<HTTPFetching> http);
    // The queue file in the edition's folder under Application Support (or under the temporary
    // folder when Application Support is unavailable).
    static QString pendingFileURL(FileSystemOperating& fs, const QString& folderName);
    // The application's version: "<short version> (<build>)", "0.0" and "0" standing in for either.
    static QString appVersionString();
    // The same from a given Info.plist (XML or binary property list).
    static QString appVersionString(const FileSystemOperating& fs, const QString& infoPlist);
    static QString appVersionString(const std::optional<QString>& shortVersion,
                                    const std::optional<QString>& build);
    // The default pause: sleeps, waking early on a stop request.
    static void sleepPause(std::chrono::milliseconds duration, std::stop_token stop);

    // The process-wide "feedback card shown" flag: sets it and returns what it was. The screen that
    // gets false sends "nps_shown"; every other screen of the run sends nothing for it.
    static bool markNPSShown();
    // Clears the flag, as at the start of a run (each test case starts as one).
    static void clearNPSShown();

    // Every live service writes its queue file and stops delivering, waiting at most two seconds each. Runs
    // when the application object goes and at exit, and where the process ends before either.
    static void finishBeforeExit();

private:
    // Hands the start to the service's thread, the first time only.
    void start() const;

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace qlan
