#pragma once
// The usage events made of platform values and plain texts only: the launch, the guided setup's
// diagnosis, readiness checks, verification and outcome, the Java verification, offers, the feedback
// card, the consent, and the audit's follow-up screens. Each builder returns the event; its caller
// hands it to its telemetry service. Every home-folder path in a property, also inside free text, is
// sent with the user's folder written as "/Users/~".

#include "platform/NetworkReadiness.h"
#include "platform/SystemProfile.h"
#include "telemetry/JSONValue.h"

#include <QStringList>
#include <QUrl>

#include <optional>

namespace qlan {

TelemetryEvent appLaunchedEvent(const SystemProfile& profile);
TelemetryEvent appLaunchedEvent(const std::optional<SystemProfile>& profile); // none: no properties
TelemetryEvent consentGivenEvent();
TelemetryEvent setupDiagnosisReachedEvent(const QString& reason, qint64 fixableCount, qint64 blockedCount,
                                          const QStringList& terminalIDs);

// The Java verification, from the output of `java -version`.
TelemetryEvent verifyPassedEvent(const QString& output);
TelemetryEvent verifyPassedWithLegacyEvent(const QString& output, const QString& chosenJDKFolder);
TelemetryEvent verifyFailedEvent(const QString& output, qint64 exitCode);

// The guided setup's readiness checks, verification and outcome.
TelemetryEvent networkCheckEvent(const NetworkReadinessResult& result);
TelemetryEvent networkWarningActionEvent(const QString& action, NetworkVerdict verdict);
TelemetryEvent diskSpaceCheckEvent(const DiskReadinessResult& result);
TelemetryEvent diskWarningActionEvent(const QString& action, DiskVerdict verdict);
TelemetryEvent setupVerifyFailedEvent(const QString& engineOutcome, qint64 exitCode);
// The guided setup's passed verification: the command's output trimmed at both ends, masked, then cut
// to 200 characters.
TelemetryEvent setupVerifyPassedEvent(const QString& rawOutput, const QString& engineOutcome);
TelemetryEvent outcomeReportedEvent(const QString& engineOutcome, const QString& selfReport);
TelemetryEvent claudeOutcomeReportedEvent(const QString& engineOutcome, const QString& selfReport);
// An application the outcome screen opened, by its title.
TelemetryEvent appOpenedEvent(const QString& appTitle);

// An offer shown, and the user's "selected" or "dismissed" on it, with the chosen next step and goal
// when there are any (the guided setup's offers carry neither) and the action's result.
TelemetryEvent offerShownEvent(const QString& offerID, const QString& offerSurface,
                               const QString& eligibilityReason,
                               const std::optional<QString>& nextStep = std::nullopt,
                               const std::optional<QString>& goal = std::nullopt);
TelemetryEvent offerActionEvent(const QString& offerID, const QString& offerSurface, const QString& action,
                                const std::optional<QString>& result = std::nullopt,
                                const std::optional<QString>& nextStep = std::nullopt);

// The feedback card.
TelemetryEvent npsShownEvent();
TelemetryEvent npsSubmittedEvent(qint64 score, const std::optional<QString>& reason);
TelemetryEvent npsDismissedEvent();

// The Java flow's version chooser, and the audit and its follow-up screens.
TelemetryEvent chooserShownEvent(const QString& screen, qint64 defaultOffered);
TelemetryEvent auditGatedEvent(bool likelyDeveloper);
TelemetryEvent auditOutboundClickedEvent(const QString& tool, const QUrl& url);
TelemetryEvent goalSelectedEvent(const QString& goal, const std::optional<QString>& detail,
                                 const QString& surface);
TelemetryEvent nextStepSelectedEvent(const QString& nextStep, const QString& outcome,
                                     const std::optional<QString>& goal, const QString& surface);

// Pieces of the events above.
QString architectureText(Architecture architecture);
QString shellText(const Shell& shell);
// The line of `java -version` output that holds the version, cut to 200 characters.
QString javaVersionExcerpt(const QString& output);
// Half away from zero: to one decimal place, and bytes to whole decimal gigabytes.
double roundedToTenths(double value);
qint64 roundedGigabytes(qint64 bytes);

} // namespace qlan
