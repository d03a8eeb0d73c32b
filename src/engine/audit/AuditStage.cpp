#include "audit/AuditStage.h"

#include "remediation/HomebrewInstaller.h"
#include "remediation/InstallSources.h"

namespace qlan {

AuditStageOutcome stageOutcome(AuditStageGate gate) {
    switch (gate) {
    case AuditStageGate::show:
        return AuditStageOutcome::rendered;
    case AuditStageGate::skipAlreadyOK:
        return AuditStageOutcome::skippedAlreadyOk;
    case AuditStageGate::skipMissingBlocked:
        return AuditStageOutcome::skippedMissingBlocked;
    }
    return AuditStageOutcome::rendered;
}

FoundationsFacts FoundationsFacts::of(const SystemProfile& profile) {
    FoundationsFacts facts;
    facts.homebrewMissing = !profile.homebrewPrefix.has_value();
    facts.commandLineToolsMissing = !profile.xcodeCommandLineToolsPath.has_value();
    facts.macOSBehind = profile.architecture == Architecture::appleSilicon &&
                        currentMacOSMajor - profile.macosVersion.majorVersion > 1;
    return facts;
}

FoundationsCards FoundationsCards::of(const SystemProfile& profile) {
    const FoundationsFacts facts = FoundationsFacts::of(profile);
    FoundationsCards cards;
    cards.homebrew = facts.homebrewMissing;
    cards.commandLineTools = !facts.homebrewMissing && facts.commandLineToolsMissing;
    cards.macOS = facts.macOSBehind;
    return cards;
}

AuditStageGate Stage1Foundations::gate(const SystemProfile& profile) const {
    return FoundationsCards::of(profile).any() ? AuditStageGate::show : AuditStageGate::skipAlreadyOK;
}

AuditStageGate Stage2Terminal::gate(const SystemProfile& profile) const {
    if (profile.terminals.warp) return AuditStageGate::skipAlreadyOK;
    if (!qlan) return AuditStageGate::show;
    if (qlan->nextStep == QStringLiteral("build_software")) return AuditStageGate::show;
    if (qlan->goal && *qlan->goal == QStringLiteral("school")) return AuditStageGate::show;
    return profile.hasExistingTooling() ? AuditStageGate::show : AuditStageGate::skipMissingBlocked;
}

Remediation Stage2Terminal::installRemediation(const SystemProfile& profile) {
    return profile.homebrewPrefix ? Remediation::installWarpViaBrew(cask)
                                  : Remediation::installHomebrewThenWarp(cask);
}

QString stageID(const AuditStage& stage) {
    return std::visit([](const auto& s) { return s.id; }, stage);
}

AuditStageGate gate(const AuditStage& stage, const SystemProfile& profile) {
    return std::visit([&](const auto& s) { return s.gate(profile); }, stage);
}

QString homebrewInstallCommand() {
    return HomebrewInstaller::commandText(QString::fromLatin1(InstallSources::homebrewInstallScript));
}

bool showsSimplifiedCompletion(const AuditContext& context, const SystemProfile& profile) {
    return context.entry == AuditEntry::heuristic && !profile.hasExistingTooling() &&
           context.completionSurface.kind == CompletionSurface::Kind::prompt;
}

} // namespace qlan
