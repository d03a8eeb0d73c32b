// The usage events made of platform values and plain texts, and the mappings, rounding and cutting
// of their values.
#include "telemetry/TelemetryEvents.h"

#include "platform/JavaVersion.h"
#include "platform/ProbeSupport.h"
#include "telemetry/EventValues.h"

#include <cmath>

namespace qlan {
using namespace eventvalues;

QString architectureText(Architecture architecture) {
    switch (architecture) {
    case Architecture::appleSilicon:
        return QStringLiteral("arm64");
    case Architecture::intel:
        return QStringLiteral("x86_64");
    case Architecture::unknown:
        return QStringLiteral("unknown");
    }
    return QStringLiteral("unknown");
}

QString shellText(const Shell& shell) {
    switch (shell.kind) {
    case Shell::Kind::zsh:
        return QStringLiteral("zsh");
    case Shell::Kind::bash:
        return QStringLiteral("bash");
    case Shell::Kind::fish:
        return QStringLiteral("fish");
    case Shell::Kind::other:
        return QStringLiteral("other"); // the other shell's name is never sent
    }
    return QStringLiteral("other");
}

QString javaVersionExcerpt(const QString& output) {
    const QStringList lines = probing::splitLines(output);
    QString line;
    for (const QString& candidate : lines)
        if (candidate.contains(QStringLiteral("version \""))) {
            line = candidate;
            break;
        }
    if (line.isNull() && !lines.isEmpty()) line = lines.first();
    return cutToCharacters(line, kExcerptLimit);
}

double roundedToTenths(double value) {
    return std::round(value * 10.0) / 10.0;
}

qint64 roundedGigabytes(qint64 bytes) {
    constexpr qint64 gigabyte = 1'000'000'000;
    qint64 whole = bytes / gigabyte;
    const qint64 rest = bytes % gigabyte; // carries the sign of `bytes`
    if (rest >= gigabyte / 2)
        ++whole;
    else if (rest <= -gigabyte / 2)
        --whole;
    return whole;
}

TelemetryEvent appLaunchedEvent(const SystemProfile& profile) {
    return {QStringLiteral("app_launched"),
            {
                {QStringLiteral("macos_major"), integer(profile.macosVersion.majorVersion)},
                {QStringLiteral("macos_minor"), integer(profile.macosVersion.minorVersion)},
                {QStringLiteral("arch"), text(architectureText(profile.architecture))},
                {QStringLiteral("shell"), text(shellText(profile.shell))},
                {QStringLiteral("has_homebrew"), flag(profile.homebrewPrefix.has_value())},
                {QStringLiteral("has_sdkman"), flag(profile.sdkmanRoot.has_value())},
                {QStringLiteral("has_mise"), flag(profile.miseExecutable.has_value())},
                {QStringLiteral("has_jenv"), flag(profile.jenvRoot.has_value())},
                {QStringLiteral("has_asdf"), flag(profile.asdfRoot.has_value())},
                {QStringLiteral("has_xcode_clt"), flag(profile.xcodeCommandLineToolsPath.has_value())},
            }};
}

TelemetryEvent appLaunchedEvent(const std::optional<SystemProfile>& profile) {
    if (profile) return appLaunchedEvent(*profile);
    return {QStringLiteral("app_launched"), {}};
}

TelemetryEvent consentGivenEvent() {
    return {QStringLiteral("consent_given"), {}};
}

TelemetryEvent setupDiagnosisReachedEvent(const QString& reason, qint64 fixableCount, qint64 blockedCount,
                                          const QStringList& terminalIDs) {
    return {QStringLiteral("diagnosis_reached"),
            {
                {QStringLiteral("reason"), text(homeMasked(reason))},
                {QStringLiteral("fixable_count"), integer(fixableCount)},
                {QStringLiteral("blocked_count"), integer(blockedCount)},
                {QStringLiteral("terminal_count"), integer(terminalIDs.size())},
                {QStringLiteral("terminals"), textList(terminalIDs)},
            }};
}

TelemetryEvent verifyPassedEvent(const QString& output) {
    const QString excerpt = javaVersionExcerpt(output);
    return {QStringLiteral("verify_passed"),
            {
                {QStringLiteral("java_version_excerpt"), text(homeMasked(excerpt))},
                {QStringLiteral("java_major_version"), optionalInteger(JavaVersion::parseMajor(excerpt))},
            }};
}

TelemetryEvent verifyPassedWithLegacyEvent(const QString& output, const QString& chosenJDKFolder) {
    TelemetryEvent event = verifyPassedEvent(output);
    event.name = QStringLiteral("verify_passed_with_legacy");
    event.properties.insert(QStringLiteral("chosen_path"), text(homeMasked(chosenJDKFolder)));
    return event;
}

TelemetryEvent npsSubmittedEvent(qint64 score, const std::optional<QString>& reason) {
    const QString trimmed = reason ? reason->trimmed() : QString();
    return {QStringLiteral("nps_submitted"),
            {
                {QStringLiteral("score"), integer(score)},
                {QStringLiteral("reason"),
                 trimmed.isEmpty() ? JSONValue::null() : text(maskedAndCut(trimmed, kFeedbackReasonLimit))},
            }};
}

TelemetryEvent networkCheckEvent(const NetworkReadinessResult& result) {
    TelemetryEvent event{QStringLiteral("network_check"),
                         {
                             {QStringLiteral("verdict"), text(toText(result.verdict))},
                             {QStringLiteral("endpoints_reachable"), integer(result.endpointsReachable)},
                             {QStringLiteral("endpoints_total"), integer(result.endpointsTotal)},
                         }};
    if (result.downMbps)
        event.properties.insert(QStringLiteral("down_mbps"),
                                JSONValue::floating(roundedToTenths(*result.downMbps)));
    if (result.estimatedInstallSeconds)
        event.properties.insert(QStringLiteral("estimated_install_seconds"),
                                integer(*result.estimatedInstallSeconds));
    return event;
}

TelemetryEvent networkWarningActionEvent(const QString& action, NetworkVerdict verdict) {
    return {QStringLiteral("network_warning_action"),
            {
                {QStringLiteral("action"), text(action)},
                {QStringLiteral("verdict"), text(toText(verdict))},
            }};
}

TelemetryEvent diskSpaceCheckEvent(const DiskReadinessResult& result) {
    TelemetryEvent event{
        QStringLiteral("disk_space_check"),
        {
            {QStringLiteral("verdict"), text(toText(result.verdict))},
            {QStringLiteral("worst_case_gb"), integer(roundedGigabytes(result.worstCaseBytes))},
            {QStringLiteral("headroom_gb"), integer(roundedGigabytes(result.headroomBytes))},
        }};
    if (result.availableBytes)
        event.properties.insert(QStringLiteral("available_gb"),
                                integer(roundedGigabytes(*result.availableBytes)));
    return event;
}

TelemetryEvent diskWarningActionEvent(const QString& action, DiskVerdict verdict) {
    return {QStringLiteral("disk_warning_action"),
            {
                {QStringLiteral("action"), text(action)},
                {QStringLiteral("verdict"), text(toText(verdict))},
            }};
}

TelemetryEvent outcomeReportedEvent(const QString& engineOutcome, const QString& selfReport) {
    return {QStringLiteral("outcome_reported"),
            {
                {QStringLiteral("engine_outcome"), text(engineOutcome)},
                {QStringLiteral("self_report"), text(selfReport)},
            }};
}

TelemetryEvent claudeOutcomeReportedEvent(const QString& engineOutcome, const QString& selfReport) {
    TelemetryEvent event = outcomeReportedEvent(engineOutcome, selfReport);
    event.name = QStringLiteral("claude_outcome_reported");
    return event;
}

TelemetryEvent verifyFailedEvent(const QString& output, qint64 exitCode) {
    return {QStringLiteral("verify_failed"),
            {
                {QStringLiteral("exit_code"), integer(exitCode)},
                {QStringLiteral("java_version_excerpt"), text(homeMasked(javaVersionExcerpt(output)))},
            }};
}

TelemetryEvent setupVerifyFailedEvent(const QString& engineOutcome, qint64 exitCode) {
    return {QStringLiteral("verify_failed"),
            {
                {QStringLiteral("engine_outcome"), text(engineOutcome)},
                {QStringLiteral("exit_code"), integer(exitCode)},
            }};
}

TelemetryEvent setupVerifyPassedEvent(const QString& rawOutput, const QString& engineOutcome) {
    return {
        QStringLiteral("verify_passed"),
        {
            {QStringLiteral("cli_version_excerpt"), text(maskedAndCut(rawOutput.trimmed(), kExcerptLimit))},
            {QStringLiteral("engine_outcome"), text(engineOutcome)},
        }};
}

TelemetryEvent offerShownEvent(const QString& offerID, const QString& offerSurface,
                               const QString& eligibilityReason, const std::optional<QString>& nextStep,
                               const std::optional<QString>& goal) {
    return {QStringLiteral("offer_shown"),
            {
                {QStringLiteral("offer_id"), text(offerID)},
                {QStringLiteral("offer_surface"), text(offerSurface)},
                {QStringLiteral("eligibility_reason"), text(eligibilityReason)},
                {QStringLiteral("next_step"), nextStep ? text(*nextStep) : JSONValue::null()},
                {QStringLiteral("goal"), goal ? text(*goal) : JSONValue::null()},
            }};
}

TelemetryEvent offerActionEvent(const QString& offerID, const QString& offerSurface, const QString& action,
                                const std::optional<QString>& result,
                                const std::optional<QString>& nextStep) {
    return {QStringLiteral("offer_action"),
            {
                {QStringLiteral("offer_id"), text(offerID)},
                {QStringLiteral("offer_surface"), text(offerSurface)},
                {QStringLiteral("action"), text(action)},
                {QStringLiteral("result"), result ? text(*result) : JSONValue::null()},
                {QStringLiteral("next_step"), nextStep ? text(*nextStep) : JSONValue::null()},
            }};
}

TelemetryEvent npsShownEvent() {
    return {QStringLiteral("nps_shown"), {}};
}

TelemetryEvent npsDismissedEvent() {
    return {QStringLiteral("nps_dismissed"), {}};
}

TelemetryEvent appOpenedEvent(const QString& appTitle) {
    return {QStringLiteral("app_opened"), {{QStringLiteral("app"), text(appTitle)}}};
}

TelemetryEvent auditGatedEvent(bool likelyDeveloper) {
    return {QStringLiteral("audit_gated"), {{QStringLiteral("likely_developer"), flag(likelyDeveloper)}}};
}

TelemetryEvent goalSelectedEvent(const QString& goal, const std::optional<QString>& detail,
                                 const QString& surface) {
    return {QStringLiteral("goal_selected"),
            {
                {QStringLiteral("goal"), text(goal)},
                {QStringLiteral("detail"), detail ? text(*detail) : JSONValue::null()},
                {QStringLiteral("surface"), text(surface)},
            }};
}

TelemetryEvent chooserShownEvent(const QString& screen, qint64 defaultOffered) {
    return {QStringLiteral("chooser_shown"),
            {
                {QStringLiteral("screen"), text(screen)},
                {QStringLiteral("default_offered"), integer(defaultOffered)},
            }};
}

TelemetryEvent auditOutboundClickedEvent(const QString& tool, const QUrl& url) {
    return {QStringLiteral("audit_outbound_clicked"),
            {
                {QStringLiteral("tool"), text(tool)},
                {QStringLiteral("url"), text(url.toString(QUrl::FullyEncoded))},
            }};
}

TelemetryEvent nextStepSelectedEvent(const QString& nextStep, const QString& outcome,
                                     const std::optional<QString>& goal, const QString& surface) {
    return {QStringLiteral("next_step_selected"),
            {
                {QStringLiteral("next_step"), text(nextStep)},
                {QStringLiteral("outcome"), text(outcome)},
                {QStringLiteral("goal"), goal ? text(*goal) : JSONValue::null()},
                {QStringLiteral("surface"), text(surface)},
            }};
}

} // namespace qlan
