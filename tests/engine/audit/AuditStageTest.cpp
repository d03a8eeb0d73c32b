#include "audit/AuditStage.h"

#include "audit/AuditStageOutcomeEvents.h"
#include "diagnosis/DiagnosisEvents.h"

#include "AuditFixture.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

TEST(AuditStage, FoundationsGateAndCardsFollowTheSameFacts) {
    struct Case {
        MacFacts facts;
        FoundationsCards cards;
        AuditStageGate answer;
    };
    using G = AuditStageGate;
    const QList<Case> cases = {
        {{.brew = true, .clt = true, .architecture = Architecture::intel, .macOS = 13}, {}, G::skipAlreadyOK},
        {{.brew = true, .clt = true, .macOS = 26}, {}, G::skipAlreadyOK},
        {{.brew = true, .clt = true, .macOS = 25}, {}, G::skipAlreadyOK},
        {{.brew = true, .clt = true, .macOS = 27}, {}, G::skipAlreadyOK},
        {{.brew = true, .clt = true, .macOS = 24}, {.macOS = true}, G::show},
        {{.brew = true, .clt = true, .macOS = 15}, {.macOS = true}, G::show},
        {{.brew = true, .clt = true, .architecture = Architecture::unknown, .macOS = 12},
         {},
         G::skipAlreadyOK},
        {{.clt = true}, {.homebrew = true}, G::show},
        {{}, {.homebrew = true}, G::show},
        {{.brew = true}, {.commandLineTools = true}, G::show},
        {{.macOS = 15}, {.homebrew = true, .macOS = true}, G::show},
    };
    const AuditStage stage = Stage1Foundations{};
    for (const Case& c : cases) {
        const SystemProfile profile = profileOf(c.facts);
        EXPECT_EQ(FoundationsCards::of(profile), c.cards) << c.facts.macOS;
        EXPECT_EQ(gate(stage, profile), c.answer) << c.facts.macOS;
    }
    EXPECT_EQ(stageID(stage), "stage_1_foundations");
}

TEST(AuditStage, TerminalGateTakesTheFirstRuleThatApplies) {
    SystemProfile bare = profileOf({});
    SystemProfile tooling = profileOf({.clt = true});
    SystemProfile warp = profileOf({.warp = true});
    const auto context = [](QString step, std::optional<QString> goal) {
        return std::optional<QLANAuditContext>(QLANAuditContext{std::move(step), std::move(goal), {}});
    };
    struct Case {
        std::optional<QLANAuditContext> qlan;
        SystemProfile profile;
        AuditStageGate answer;
    };
    using G = AuditStageGate;
    const QList<Case> cases = {
        {context("course", std::nullopt), warp, G::skipAlreadyOK},
        {std::nullopt, warp, G::skipAlreadyOK},
        {std::nullopt, bare, G::show},
        {context("build_software", std::nullopt), bare, G::show},
        {context("course", QString("school")), bare, G::show},
        {context("course", QString("School")), bare, G::skipMissingBlocked},
        {context("course", std::nullopt), bare, G::skipMissingBlocked},
        {context("course", QString("work")), tooling, G::show},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gate(AuditStage(Stage2Terminal{.id = "stage_2_terminal", .qlan = c.qlan}), c.profile),
                  c.answer);
}

TEST(AuditStage, GateAnswersBecomeTheOutcomeEvent) {
    const QList<std::pair<AuditStageGate, QString>> cases = {
        {AuditStageGate::show, "rendered"},
        {AuditStageGate::skipAlreadyOK, "skipped_already_ok"},
        {AuditStageGate::skipMissingBlocked, "skipped_missing_blocked"},
    };
    for (const auto& [answer, word] : cases) {
        EXPECT_EQ(auditStageOutcomeEvent("stage_2_terminal", stageOutcome(answer)),
                  (TelemetryEvent{"audit_stage_outcome",
                                  {{"stage_id", JSONValue::string("stage_2_terminal")},
                                   {"outcome", JSONValue::string(word)}}}));
        EXPECT_EQ(fromText<AuditStageOutcome>(word), stageOutcome(answer));
    }
    EXPECT_FALSE(fromText<AuditStageOutcome>("Rendered").has_value());
}

TEST(AuditStage, TerminalInstallGoesThroughHomebrewOrBringsItAlong) {
    const Remediation viaBrew = Stage2Terminal::installRemediation(profileOf({.brew = true}));
    EXPECT_EQ(viaBrew, Remediation::installWarpViaBrew("warp"));
    EXPECT_EQ(viaBrew.id(), "brew:warp");
    EXPECT_EQ(remediationMethod(viaBrew), "brew");
    const Remediation chain = Stage2Terminal::installRemediation(profileOf({.clt = true}));
    EXPECT_EQ(chain.id(), "homebrew+warp:warp");
    EXPECT_EQ(remediationMethod(chain), "homebrew+brew");
}

TEST(AuditStage, InstallCommandIsTheInstallersCommandLine) {
    EXPECT_EQ(
        homebrewInstallCommand(),
        "/bin/bash -c \"$(curl -fsSL https://raw.githubusercontent.com/Homebrew/install/HEAD/install.sh)\"");
}

TEST(AuditStage, ShortCompletionOnlyAfterADiagnosisThatCouldTell) {
    const SystemProfile bare = profileOf({});
    const SystemProfile tooling = profileOf({.brew = true});
    const auto prompt = CompletionSurface::prompt(BuildIntentSurface::noErrorsFound);
    struct Case {
        AuditContext context;
        SystemProfile profile;
        bool completion;
    };
    const QList<Case> cases = {
        {{AuditEntry::heuristic, prompt, {}}, bare, true},
        {{AuditEntry::heuristic, CompletionSurface::prompt(BuildIntentSurface::postFix), {}}, bare, true},
        {{AuditEntry::heuristic, prompt, {}}, tooling, false},
        // The diagnosis could not tell: the stages are walked, no "Java is working".
        {{AuditEntry::heuristic, CompletionSurface::excluded(), {}}, bare, false},
        {{AuditEntry::buildIntent, CompletionSurface::excluded(), {}}, bare, false},
        {{AuditEntry::nextStepCourse, prompt, {}}, bare, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(showsSimplifiedCompletion(c.context, c.profile), c.completion)
            << toText(c.context.entry).toStdString();
}
