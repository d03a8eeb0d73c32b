#pragma once
// Anonymous usage events. One object takes events (a name and a property map), keeps them in a queue
// mirrored to the file "pending-events.json" so that undelivered events survive a quit, and posts them
// one at a time to the records endpoint, with up to three tries.
//
// The service runs its operations one at a time on a thread of its own; `track` only hands the event
// over and never blocks its caller. Every file operation of the service, from making its configuration
// on, runs on that thread, so not even the first `track` of a process touches the disk on the caller's
// (GUI) thread. Requests and the pauses between tries run on a delivery thread, so that tracking and
// queue-file writes go on while a request is in flight.

#include "platform/AppServices.h"
#include "platform/NetworkReadiness.h"
#include "platform/SystemProfile.h"
#include "telemetry/JSONValue.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace qlan {

// The typed event builders below are declared here under the names the events are known by, and each is
// defined beside the type it describes (diagnosis/, catalog/, appshell/, audit/): the delivery knows
// those types by name only and includes nothing of the areas that own them.
struct Diagnosis;
struct Remediation;
class SetupRemediation;
enum class AuditEntry;
enum class AuditStageOutcome;
enum class BuildIntentSurface;

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
    // The configuration is made by `makeConfiguration`, called once on the service's own thread before
    // any other operation; the constructor and `track` do not wait for it.
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
    // disabled or names no endpoint.
    void track(const QString& eventName, const JSONObject& properties = {});
    void track(const TelemetryEvent& event) { track(event.name, event.properties); }

    // These three wait until the service has made its configuration.
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

    // ---- The catalogue of usage events ----
    // Builders return the event; senders build it and hand it to the shared service at once, without
    // waiting. Every home-folder path in a property, also inside free text, is sent with the user's
    // folder written as "/Users/~".

    static TelemetryEvent appLaunchedEvent(const SystemProfile& profile);
    static TelemetryEvent
    appLaunchedEvent(const std::optional<SystemProfile>& profile); // none: no properties
    static TelemetryEvent javaDiagnosisReachedEvent(const Diagnosis& diagnosis, const SystemProfile& profile);
    static TelemetryEvent setupDiagnosisReachedEvent(const QString& reason, qint64 fixableCount,
                                                     qint64 blockedCount, const QStringList& terminalIDs);
    static TelemetryEvent remediationFailedEvent(const Remediation& remediation, qint64 exitCode,
                                                 const QString& reason);
    static TelemetryEvent setupRemediationFailedEvent(const SetupRemediation& remediation, qint64 exitCode,
                                                      const QString& reason);
    static TelemetryEvent verifyPassedEvent(const QString& output);
    static TelemetryEvent verifyPassedWithLegacyEvent(const QString& output, const QString& chosenJDKFolder);
    static TelemetryEvent auditReachedEvent(const SystemProfile& profile, AuditEntry entry);
    static TelemetryEvent auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome);
    static TelemetryEvent npsSubmittedEvent(qint64 score, const std::optional<QString>& reason);
    static TelemetryEvent networkCheckEvent(const NetworkReadinessResult& result);
    static TelemetryEvent networkWarningActionEvent(const QString& action, NetworkVerdict verdict);
    static TelemetryEvent diskSpaceCheckEvent(const DiskReadinessResult& result);
    static TelemetryEvent diskWarningActionEvent(const QString& action, DiskVerdict verdict);

    // The events of the senders below, as built before sending.
    static TelemetryEvent outcomeReportedEvent(const QString& engineOutcome, const QString& selfReport);
    static TelemetryEvent claudeOutcomeReportedEvent(const QString& engineOutcome, const QString& selfReport);
    static TelemetryEvent remediationAppliedEvent(const Remediation& remediation);
    static TelemetryEvent remediationCompletedEvent(const Remediation& remediation, qint64 exitCode);
    static TelemetryEvent setupRemediationAppliedEvent(const SetupRemediation& remediation);
    static TelemetryEvent setupRemediationCompletedEvent(const SetupRemediation& remediation,
                                                         qint64 exitCode);
    static TelemetryEvent verifyFailedEvent(const QString& output, qint64 exitCode);
    static TelemetryEvent setupVerifyFailedEvent(const QString& engineOutcome, qint64 exitCode);
    // The guided setup's passed verification: the command's output trimmed at both ends, masked, then
    // cut to 200 characters.
    static TelemetryEvent setupVerifyPassedEvent(const QString& rawOutput, const QString& engineOutcome);
    // An offer shown, and the user's "selected" or "dismissed" on it, with the chosen next step and
    // goal when there are any (the guided setup's offers carry neither) and the action's result.
    static TelemetryEvent offerShownEvent(const QString& offerID, const QString& offerSurface,
                                          const QString& eligibilityReason,
                                          const std::optional<QString>& nextStep = std::nullopt,
                                          const std::optional<QString>& goal = std::nullopt);
    static TelemetryEvent offerActionEvent(const QString& offerID, const QString& offerSurface,
                                           const QString& action,
                                           const std::optional<QString>& result = std::nullopt,
                                           const std::optional<QString>& nextStep = std::nullopt);
    static TelemetryEvent npsShownEvent();
    static TelemetryEvent chooserShownEvent(const QString& screen, qint64 defaultOffered);
    static TelemetryEvent buildIntentPromptShownEvent(BuildIntentSurface surface);
    static TelemetryEvent buildIntentOptedInEvent(BuildIntentSurface surface);
    static TelemetryEvent auditOutboundClickedEvent(const QString& tool, const QUrl& url);
    static TelemetryEvent nextStepSelectedEvent(const QString& nextStep, const QString& outcome,
                                                const std::optional<QString>& goal, const QString& surface);

    // Hands an event to the shared service without waiting.
    static void send(const TelemetryEvent& event);

    static void trackOutcomeReported(const QString& engineOutcome, const QString& selfReport);
    static void trackClaudeOutcomeReported(const QString& engineOutcome, const QString& selfReport);
    static void trackRemediationApplied(const Remediation& remediation);
    static void trackRemediationCompleted(const Remediation& remediation, qint64 exitCode);
    static void trackSetupRemediationApplied(const SetupRemediation& remediation);
    static void trackSetupRemediationCompleted(const SetupRemediation& remediation, qint64 exitCode);
    static void trackVerifyFailed(const QString& output, qint64 exitCode);
    static void trackSetupVerifyFailed(const QString& engineOutcome, qint64 exitCode);
    static void trackChooserShown(const QString& screen, qint64 defaultOffered);
    static void trackBuildIntentPromptShown(BuildIntentSurface surface);
    static void trackBuildIntentOptedIn(BuildIntentSurface surface);
    static void trackAuditOutboundClicked(const QString& tool, const QUrl& url);
    static void trackNextStepSelected(const QString& nextStep, const QString& outcome,
                                      const std::optional<QString>& goal, const QString& surface);

    // The process-wide "feedback card shown" flag: sets it and returns what it was. The screen that
    // gets false sends "nps_shown"; every other screen of the run sends nothing for it.
    static bool markNPSShown();

    // Shared pieces of the events.
    struct DiagnosisCode {
        QString code;
        QString reason;
        friend bool operator==(const DiagnosisCode&, const DiagnosisCode&) = default;
    };
    static DiagnosisCode diagnosisCode(const Diagnosis& diagnosis);
    static QString remediationMethod(const Remediation& remediation);
    static JSONValue discoveredJDKRecord(const JDKInfo& jdk);
    static QString architectureText(Architecture architecture);
    static QString shellText(const Shell& shell);
    // The line of `java -version` output that holds the version, cut to 200 characters.
    static QString javaVersionExcerpt(const QString& output);
    // Home-folder paths written with "/Users/~": "/Users/<name>" and this machine's home folder, each
    // as the folder itself or any path below it, anywhere in the text.
    static QString homeMasked(const QString& text);
    static QString homeMasked(const QString& text, const QString& userName, const QString& homePath);
    // The login name of the current user; empty when it cannot be found.
    static QString loginName();
    // The first `limit` user-perceived characters (a letter with combining marks counts as one).
    static QString cutToCharacters(const QString& text, qsizetype limit);
    // Half away from zero: to one decimal place, and bytes to whole decimal gigabytes.
    static double roundedToTenths(double value);
    static qint64 roundedGigabytes(qint64 bytes);

private:
    // Every live service writes its queue file and stops delivering, waiting at most two seconds each.
    static void finishBeforeExit();

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace qlan
