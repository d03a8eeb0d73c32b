#include "catalog/DevelopmentStages.h"

#include "catalog/AICodingDomains.h"

namespace qlan {
namespace {

constexpr auto ready = SetupDiagnosisClassification::ready;
constexpr auto fixable = SetupDiagnosisClassification::fixable;
constexpr auto blocked = SetupDiagnosisClassification::blocked;

bool hasWarp(const SystemProfile& profile) {
    return profile.terminals.warp || profile.aiTooling.warpApp;
}

bool claudeRunsCleanly(const SetupProbeBundle& probes) {
    return probes.versionExitCode == 0 && probes.versionOutput.has_value();
}

// The folder that holds the file: "/Users/me/.local/bin/claude" -> "/Users/me/.local/bin".
QString parentFolder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QString();
    if (slash == 0) return QStringLiteral("/");
    return path.left(slash);
}

WorkflowStep buildStep(const QString& domainID, DomainPlacement placement, const SystemProfile& profile,
                       const SetupProbeBundle& probes, const SharedDomainCopy& wording) {
    const SetupDiagnosis diagnosis =
        claudeDomainDiagnosis(domainID, profile, probes, wording)
            .value_or(SetupDiagnosis{domainID, QString(), SetupDiagnosisClassification::unknown});
    QList<SetupAction> actions;
    for (const SetupRemediation& remediation : makeDevelopmentRemediations(domainID, profile, probes))
        actions.append(remediation.setupAction());
    return WorkflowStep(BasicSetupStage(domainID, diagnosis, actions), placement);
}

} // namespace

QList<WorkflowStep> makeClaudeSpineStages(const SystemProfile& profile, const SetupProbeBundle& probes,
                                          const SharedDomainCopy& wording) {
    QList<WorkflowStep> steps;
    for (const char* domainID : {"clt", "homebrew", "claude-cli", "warp", "claude-desktop"})
        steps.append(
            buildStep(QString::fromLatin1(domainID), DomainPlacement::primary, profile, probes, wording));
    return steps;
}

QList<WorkflowStep> makeDevelopmentStages(const SystemProfile& profile, const SetupProbeBundle& probes,
                                          const SharedDomainCopy& wording) {
    QList<WorkflowStep> steps = makeClaudeSpineStages(profile, probes, wording);
    if (profile.architecture != Architecture::intel)
        steps.append(buildStep(QStringLiteral("codex"), DomainPlacement::primary, profile, probes, wording));
    for (const char* domainID : {"project", "skills", "mcp"})
        steps.append(
            buildStep(QString::fromLatin1(domainID), DomainPlacement::offer, profile, probes, wording));
    for (const char* domainID : {"editor", "shell-config", "languages", "agent-docs", "git"})
        steps.append(
            buildStep(QString::fromLatin1(domainID), DomainPlacement::optional, profile, probes, wording));
    return steps;
}

SetupDiagnosis claudeCLIDiagnosis(const SystemProfile&, const SetupProbeBundle& probes) {
    const QStringList locations = probes.allPrimaryToolLocations();
    if (locations.size() >= 2)
        return {
            QStringLiteral("More than one `claude` command found"),
            QStringLiteral("We found multiple `claude` installs (") + locations.join(QStringLiteral(", ")) +
                QStringLiteral("). To avoid breaking a setup you rely on, we won't remove anything "
                               "automatically. Recommended: keep the Homebrew-managed one and remove the "
                               "others, then make sure Homebrew's bin directory comes first on your PATH."),
            blocked};
    if (locations.isEmpty())
        return {QStringLiteral("Claude Code CLI isn't installed"),
                QStringLiteral("We'll install it via Homebrew (`claude-code@latest`) and verify `claude "
                               "--version` runs."),
                fixable};
    if (!probes.pathVisiblePrimaryTools.isEmpty()) {
        if (claudeRunsCleanly(probes))
            return {QStringLiteral("Claude Code CLI is ready"),
                    QStringLiteral("`claude` runs: ") + *probes.versionOutput, ready};
        return {QStringLiteral("Claude Code CLI needs attention"),
                QStringLiteral("`claude` is on your PATH but didn't run cleanly. We'll (re)install it via "
                               "Homebrew."),
                fixable};
    }
    // The one location is an install the login shell does not find.
    return {QStringLiteral("Claude Code is installed but not on your PATH"),
            QStringLiteral("`claude` exists at ") + probes.installedPrimaryToolLocations.value(0) +
                QStringLiteral(" but your shell can't find it. We'll add it to your PATH (after backing up "
                               "`~/.zprofile`)."),
            fixable};
}

SetupDiagnosis claudeDesktopDiagnosis(const SystemProfile& profile) {
    if (profile.aiTooling.claudeCodeDesktop)
        return {QStringLiteral("Claude Desktop is installed"),
                QStringLiteral("The Claude desktop app is present (its Code tab is Claude Code with a GUI)."),
                ready};
    return {QStringLiteral("Claude Desktop isn't installed"),
            QStringLiteral("We'll install the Claude desktop app via Homebrew (`claude` cask)."), fixable};
}

std::optional<SetupDiagnosis> claudeDomainDiagnosis(const QString& domainID, const SystemProfile& profile,
                                                    const SetupProbeBundle& probes,
                                                    const SharedDomainCopy& wording) {
    if (domainID == QLatin1String("clt")) return wording.cltDiagnosis(profile);
    if (domainID == QLatin1String("homebrew")) return wording.homebrewDiagnosis(profile);
    if (domainID == QLatin1String("claude-cli")) return claudeCLIDiagnosis(profile, probes);
    if (domainID == QLatin1String("warp")) {
        const SharedDomainCopy::State& state = hasWarp(profile) ? wording.warpReady : wording.warpFixable;
        return SetupDiagnosis{state.headline, state.detail, hasWarp(profile) ? ready : fixable};
    }
    if (domainID == QLatin1String("claude-desktop")) return claudeDesktopDiagnosis(profile);
    // "ai-claude" belongs to the Homebrew edition's spine, not to this one.
    if (domainID == QLatin1String("ai-claude")) return std::nullopt;
    return aiCodingDiagnosis(domainID, profile, probes);
}

QList<SetupRemediation> makeDevelopmentRemediations(const QString& domainID, const SystemProfile& profile,
                                                    const SetupProbeBundle& probes) {
    // Whether "clt" and "homebrew" are fixable does not depend on their wording.
    if (domainID == QLatin1String("clt"))
        return profile.xcodeCommandLineToolsPath ? QList<SetupRemediation>{}
                                                 : QList{SetupRemediation::installCommandLineTools()};
    if (domainID == QLatin1String("homebrew"))
        return profile.homebrewPrefix ? QList<SetupRemediation>{}
                                      : QList{SetupRemediation::installHomebrew()};
    if (domainID == QLatin1String("claude-cli")) {
        if (claudeCLIDiagnosis(profile, probes).classification != fixable) return {};
        if (probes.pathVisiblePrimaryTools.isEmpty() && !probes.installedPrimaryToolLocations.isEmpty())
            return {SetupRemediation::repairPath(parentFolder(probes.installedPrimaryToolLocations.first()))};
        return {SetupRemediation::installClaudeCLI()};
    }
    if (domainID == QLatin1String("warp"))
        return hasWarp(profile) ? QList<SetupRemediation>{} : QList{SetupRemediation::installWarp()};
    if (domainID == QLatin1String("claude-desktop"))
        return claudeDesktopDiagnosis(profile).classification == fixable
                   ? QList{SetupRemediation::installClaudeDesktop()}
                   : QList<SetupRemediation>{};
    return aiCodingRemediations(domainID, profile, probes);
}

} // namespace qlan
