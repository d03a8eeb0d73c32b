#pragma once
// An edition's rules for the guided setup: which domains the summary leaves out, which carry an offer,
// which stage shows a picker, which article each stage links to, the password prompt's reasons, an
// interstitial screen after the primary stages, the readiness thresholds, remediation captions, and three
// hooks. A plain value; every field may be replaced.

#include "catalog/SetupWorkflow.h"
#include "platform/NetworkReadiness.h"
#include "platform/SystemProfile.h"
#include "telemetry/JSONValue.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>
#include <variant>

namespace qlan {

class TelemetryService;

struct SpineRenderPolicy {
    // The offer attached to a domain's stage; sent with "offer_shown".
    struct SpineOffer {
        QString offerID;
        QString offerSurface;      // where the offer is shown
        QString eligibilityReason; // why the user qualifies
        friend bool operator==(const SpineOffer&, const SpineOffer&) = default;
    };

    // A screen shown after the last primary stage and before verification.
    struct InterstitialScreen {
        QString windowTitle;
        QString headline;
        QString body;
        QString buttonLabel;
        std::optional<QString> disclosure;
        QString articlePath; // relative to the article base
        friend bool operator==(const InterstitialScreen&, const InterstitialScreen&) = default;
    };

    // An application the outcome screen offers to open.
    struct OpenableApp {
        QString label;   // the button text
        QString appName; // the application bundle's file name, opened by name
        friend bool operator==(const OpenableApp&, const OpenableApp&) = default;
    };

    // One row of a cask picker.
    struct CaskChoice {
        QString label;
        QString remediationID; // a SetupRemediation id such as "brew:claude"
        QString accessibilityID;
        friend bool operator==(const CaskChoice&, const CaskChoice&) = default;
    };

    // The kinds of stage that show a picker or an action list instead of a plain action.
    struct GroupedInstall {
        QString title;
        QString installID;
        QString accessibilityID;
        friend bool operator==(const GroupedInstall&, const GroupedInstall&) = default;
    };
    struct CaskMultiselect {
        QString title;
        QString installID;
        QList<CaskChoice> items;
        friend bool operator==(const CaskMultiselect&, const CaskMultiselect&) = default;
    };
    struct LanguagesMultiselect {
        friend bool operator==(const LanguagesMultiselect&, const LanguagesMultiselect&) = default;
    };
    struct ProjectActions {
        friend bool operator==(const ProjectActions&, const ProjectActions&) = default;
    };
    struct SkillsMultiselect {
        friend bool operator==(const SkillsMultiselect&, const SkillsMultiselect&) = default;
    };
    struct McpMultiselect {
        friend bool operator==(const McpMultiselect&, const McpMultiselect&) = default;
    };
    struct GitActions {
        friend bool operator==(const GitActions&, const GitActions&) = default;
    };
    using SpecialStageKind = std::variant<GroupedInstall, CaskMultiselect, LanguagesMultiselect,
                                          ProjectActions, SkillsMultiselect, McpMultiselect, GitActions>;

    // The hooks: shared, stateless functions (null when absent). Those that send an event hand it to the
    // flow's telemetry service.
    // Called the first time the flow reports a domain blocked, with the current probe facts.
    using StageBlockedHook = void (*)(TelemetryService& telemetry, const QString& domainID,
                                      const SetupProbeBundle& probes);
    // Called when the user answers the outcome question.
    using OutcomeReportedHook = void (*)(TelemetryService& telemetry,
                                         const std::optional<QString>& engineOutcome,
                                         const QString& selfReport);
    // The applications the outcome screen offers to open.
    using OpenableAppsHook = QList<OpenableApp> (*)(const std::optional<SystemProfile>& profile,
                                                    const std::optional<SetupVerificationResult>& result);

    QSet<QString> summaryExcludedDomains;
    QMap<QString, SpineOffer> offers;
    // Domains whose stage does not need Homebrew; every other domain's stage does.
    QSet<QString> homebrewIndependentDomains{QStringLiteral("clt"), QStringLiteral("homebrew")};
    // Domains the flow moves past when a batch of their fixes ends in failure.
    QSet<QString> advanceOnPartialFailureDomains;
    QMap<QString, QString> stageArticlePaths; // domain id -> article path
    QString fallbackArticlePath;              // for a domain without an entry above
    // The password prompt's reason while a batch runs; the edition's display name when absent.
    std::optional<QString> privilegedActionReason;
    QMap<QString, QString> privilegedReasons; // remediation id -> reason, in place of the one above
    StageBlockedHook onStageBlocked = nullptr;
    std::optional<InterstitialScreen> postPrimaryInterstitial;
    std::optional<NetworkReadinessConfig> networkReadiness; // absent: no network check
    std::optional<DiskReadinessConfig> diskReadiness;       // absent: no disk check
    QMap<QString, QString> remediationCaptions;             // remediation id -> caption
    OutcomeReportedHook onOutcomeReported = nullptr;
    OpenableAppsHook outcomeOpenableApps = nullptr;
    QMap<QString, SpecialStageKind> specialStages;

    // The Homebrew and Claude Code editions' policies: the default value with their own fields, each built
    // once on first use. (The Java edition keeps the default.) They and the hooks below are defined with
    // their edition, in editions/brew and editions/claude.
    static const SpineRenderPolicy& homebrewEdition();
    static const SpineRenderPolicy& claudeEdition();

    // The editions' hooks.
    // Sends "outcome_reported" with "engine_outcome" (the engine outcome, "blocked" when absent) and
    // "self_report", without waiting.
    static void homebrewOutcomeReporter(TelemetryService& telemetry,
                                        const std::optional<QString>& engineOutcome,
                                        const QString& selfReport);
    // The same with "claude_outcome_reported".
    static void claudeOutcomeReporter(TelemetryService& telemetry,
                                      const std::optional<QString>& engineOutcome, const QString& selfReport);
    // For "claude-cli" only (exact id): sends "claude_conflict_surfaced" with "install_count", the number
    // of distinct `claude` locations in the probe facts, without waiting.
    static void claudeStageBlockedHandler(TelemetryService& telemetry, const QString& domainID,
                                          const SetupProbeBundle& probes);
    // The events these hooks send, as built before sending (none for a domain other than "claude-cli").
    static TelemetryEvent homebrewOutcomeEvent(const std::optional<QString>& engineOutcome,
                                               const QString& selfReport);
    static TelemetryEvent claudeOutcomeEvent(const std::optional<QString>& engineOutcome,
                                             const QString& selfReport);
    static std::optional<TelemetryEvent> claudeStageBlockedEvent(const QString& domainID,
                                                                 const SetupProbeBundle& probes);
    // Without a profile nothing; otherwise, each when installed and in this order: Claude Desktop, Codex,
    // Zed, VS Code, Warp. The verification result is not read.
    static QList<OpenableApp> homebrewOpenableApps(const std::optional<SystemProfile>& profile,
                                                   const std::optional<SetupVerificationResult>& result);
    // Claude Desktop when the verification recorded "desktop_present" = "true" or else the profile has it;
    // then, with a profile, Codex, Zed, VS Code and Warp as in the Homebrew hook.
    static QList<OpenableApp> claudeOpenableApps(const std::optional<SystemProfile>& profile,
                                                 const std::optional<SetupVerificationResult>& result);

    // The article a domain's stage links to: its entry in `stageArticlePaths`, else the fallback.
    QString articlePath(const QString& domainID) const {
        return stageArticlePaths.value(domainID, fallbackArticlePath);
    }

    friend bool operator==(const SpineRenderPolicy&, const SpineRenderPolicy&) = default;
};

} // namespace qlan
