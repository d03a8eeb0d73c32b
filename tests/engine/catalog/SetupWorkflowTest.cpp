#include "catalog/SetupWorkflow.h"

#include "catalog/Outcome.h"
#include "catalog/ProjectTemplate.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace qlan;

namespace {

using C = SetupDiagnosisClassification;
using P = DomainPlacement;

WorkflowStep step(const char* id, P placement, C classification = C::fixable) {
    return {
        BasicSetupStage(QString::fromUtf8(id), {QStringLiteral("h"), QStringLiteral("d"), classification}),
        placement};
}

} // namespace

TEST(SetupWorkflow, AnEmptyWorkflowAnswersNothing) {
    const SetupWorkflow empty;
    EXPECT_EQ(empty.placement(QStringLiteral("clt")), std::nullopt);
    EXPECT_TRUE(empty.primaryDomainIDs().isEmpty());
    EXPECT_TRUE(empty.offerDomainIDs().isEmpty());
    EXPECT_TRUE(empty.optionalDomainIDs().isEmpty());
    EXPECT_EQ(empty.firstDomainID(), std::nullopt);
    EXPECT_EQ(empty.followingDomainID(QStringLiteral("clt")), std::nullopt);
    EXPECT_EQ(empty.nextDomainID(P::primary), std::nullopt);
    EXPECT_EQ(empty.nextDomainID(P::primary, QStringLiteral("clt")), std::nullopt);
}

TEST(SetupWorkflow, NavigatesWithinAndAcrossPlacements) {
    const SetupWorkflow workflow{{
        step("clt", P::primary, C::ready),
        step("homebrew", P::primary, C::fixable),
        step("warp", P::offer, C::fixable),
        step("editor", P::optional, C::ready),
        step("languages", P::optional, C::unknown),
        step("git", P::optional, C::blocked),
    }};
    EXPECT_EQ(workflow.primaryDomainIDs(), (QStringList{"clt", "homebrew"}));
    EXPECT_EQ(workflow.offerDomainIDs(), (QStringList{"warp"}));
    EXPECT_EQ(workflow.optionalDomainIDs(), (QStringList{"editor", "languages", "git"}));
    EXPECT_EQ(workflow.firstDomainID(), QStringLiteral("clt"));
    EXPECT_EQ(workflow.placement(QStringLiteral("warp")), P::offer);

    // Following crosses placements; the last step has none; an unknown id has none.
    EXPECT_EQ(workflow.followingDomainID(QStringLiteral("homebrew")), QStringLiteral("warp"));
    EXPECT_EQ(workflow.followingDomainID(QStringLiteral("git")), std::nullopt);
    EXPECT_EQ(workflow.followingDomainID(QStringLiteral("mcp")), std::nullopt);

    // Entering a placement passes over ready stages; unknown and blocked need attention like fixable.
    EXPECT_EQ(workflow.nextDomainID(P::primary), QStringLiteral("homebrew"));
    EXPECT_EQ(workflow.nextDomainID(P::optional), QStringLiteral("languages"));
    EXPECT_EQ(workflow.nextDomainID(P::optional, QStringLiteral("languages")), QStringLiteral("git"));
    EXPECT_EQ(workflow.nextDomainID(P::optional, QStringLiteral("git")), std::nullopt);
    EXPECT_EQ(workflow.nextDomainID(P::primary, QStringLiteral("homebrew")), std::nullopt);
    // The step after `after` is asked even when `after` itself was ready.
    EXPECT_EQ(workflow.nextDomainID(P::primary, QStringLiteral("clt")), QStringLiteral("homebrew"));
    // An id of another placement, or of no step, answers nothing (not the placement's first stage).
    EXPECT_EQ(workflow.nextDomainID(P::optional, QStringLiteral("homebrew")), std::nullopt);
    EXPECT_EQ(workflow.nextDomainID(P::primary, QStringLiteral("nope")), std::nullopt);
    // Ids are whole, case-sensitive texts.
    EXPECT_EQ(workflow.placement(QStringLiteral("Warp")), std::nullopt);
    EXPECT_EQ(workflow.followingDomainID(QStringLiteral("clt ")), std::nullopt);

    // A placement whose stages are all ready has nothing next.
    const SetupWorkflow allReady{{step("clt", P::primary, C::ready), step("homebrew", P::primary, C::ready)}};
    EXPECT_EQ(allReady.nextDomainID(P::primary), std::nullopt);
    EXPECT_EQ(allReady.nextDomainID(P::offer), std::nullopt);
}

TEST(SetupWorkflow, ARepeatedIdActsOnItsFirstOccurrence) {
    const SetupWorkflow workflow{{
        step("a", P::primary),
        step("dup", P::primary),
        step("b", P::primary),
        step("dup", P::optional),
        step("c", P::optional),
    }};
    EXPECT_EQ(workflow.placement(QStringLiteral("dup")), P::primary);
    EXPECT_EQ(workflow.followingDomainID(QStringLiteral("dup")), QStringLiteral("b"));
    EXPECT_EQ(workflow.nextDomainID(P::primary, QStringLiteral("dup")), QStringLiteral("b"));
    EXPECT_EQ(workflow.nextDomainID(P::optional, QStringLiteral("dup")), QStringLiteral("c"));

    // Within one placement, the search continues after the first occurrence, so the repeat is visited.
    const SetupWorkflow twiceInOne{
        {step("dup", P::optional), step("x", P::optional, C::ready), step("dup", P::optional)}};
    EXPECT_EQ(twiceInOne.nextDomainID(P::optional, QStringLiteral("dup")), QStringLiteral("dup"));
    EXPECT_EQ(twiceInOne.optionalDomainIDs(), (QStringList{"dup", "x", "dup"}));
}

TEST(SetupWorkflow, StagesAndStepsCompareByWhatTheyAnswer) {
    const SetupAction action{QStringLiteral("brew:zed"), QStringLiteral("Install Zed"), QStringLiteral("c"),
                             VerifyPolicy::installCompletion};
    const BasicSetupStage stage(QStringLiteral("editor"),
                                {QStringLiteral("h"), QStringLiteral("d"), C::fixable}, {action});
    EXPECT_EQ(stage.domainID(), QStringLiteral("editor"));
    EXPECT_EQ(stage.actions(), QList<SetupAction>{action});
    EXPECT_EQ(WorkflowStep(stage, P::optional), WorkflowStep(stage, P::optional));
    EXPECT_NE(WorkflowStep(stage, P::optional), WorkflowStep(stage, P::primary));
    SetupAction other = action;
    other.verifyPolicy = VerifyPolicy::localVerification;
    EXPECT_NE(WorkflowStep(stage, P::optional),
              WorkflowStep(BasicSetupStage(stage.domainID(), stage.diagnosis(), {other}), P::optional));
}

TEST(SetupWorkflow, PrimaryToolLocationsAreSortedAndUnique) {
    SetupProbeBundle bundle;
    bundle.pathVisiblePrimaryTools = {"/usr/local/bin/claude", "/opt/homebrew/bin/claude"};
    bundle.installedPrimaryToolLocations = {"/opt/homebrew/bin/claude"};
    EXPECT_EQ(bundle.allPrimaryToolLocations(),
              (QStringList{"/opt/homebrew/bin/claude", "/usr/local/bin/claude"}));

    // Repeats within one list collapse too; case makes texts distinct, upper case sorting first.
    bundle.pathVisiblePrimaryTools = {"/b", "/a", "/b", "/B"};
    bundle.installedPrimaryToolLocations = {"/a", "/c"};
    EXPECT_EQ(bundle.allPrimaryToolLocations(), (QStringList{"/B", "/a", "/b", "/c"}));
    EXPECT_TRUE(SetupProbeBundle{}.allPrimaryToolLocations().isEmpty());

    // Equality: lists in order, optionals absent-equals-absent, every flag.
    SetupProbeBundle a, b;
    EXPECT_EQ(a, b);
    b.versionExitCode = 0;
    EXPECT_NE(a, b);
    a.versionExitCode = 0;
    a.ghAuthed = true;
    EXPECT_NE(a, b);
}

TEST(SetupWorkflow, VerificationResultsCompareItemsInOrderAndDetailsAsMaps) {
    SetupVerificationResult plain{QStringLiteral("out"), true};
    EXPECT_EQ(plain.exitCode, std::nullopt);
    EXPECT_EQ(plain.engineOutcome, std::nullopt);
    EXPECT_TRUE(plain.verifiedItems.isEmpty());
    EXPECT_TRUE(plain.details.isEmpty());

    SetupVerificationResult a = plain, b = plain;
    a.verifiedItems = {"one", "two"};
    b.verifiedItems = {"two", "one"};
    EXPECT_NE(a, b);

    SetupVerificationResult c = plain, d = plain;
    c.details.insert(QStringLiteral("x"), QStringLiteral("1"));
    c.details.insert(QStringLiteral("y"), QStringLiteral("2"));
    d.details.insert(QStringLiteral("y"), QStringLiteral("2"));
    d.details.insert(QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(c, d);
    d.engineOutcome = QStringLiteral("blocked");
    EXPECT_NE(c, d);
}

TEST(SetupWorkflow, TextEnumerationsComeOnlyFromAnExactMatch) {
    const auto roundTrips = [](auto cases) {
        QSet<QString> texts;
        for (auto value : cases) {
            EXPECT_EQ(fromText<decltype(value)>(toText(value)), value) << toText(value).toStdString();
            texts.insert(toText(value));
        }
        EXPECT_EQ(texts.size(), qsizetype(cases.size()));
        EXPECT_FALSE(texts.contains(QString()));
    };
    roundTrips(allCases<DomainPlacement>());
    roundTrips(allCases<SetupDiagnosisClassification>());
    roundTrips(allCases<VerifyPolicy>());
    roundTrips(allCases<Outcome>());
    roundTrips(allCases<ProjectTemplate>());
    // A value that is no case has no text.
    EXPECT_EQ(toText(static_cast<DomainPlacement>(7)), QString());

    EXPECT_EQ(toText(DomainPlacement::optional), QStringLiteral("optional"));
    EXPECT_EQ(toText(VerifyPolicy::localVerification), QStringLiteral("localVerification"));
    EXPECT_EQ(fromText<DomainPlacement>(QStringLiteral("Primary")), std::nullopt);
    EXPECT_EQ(fromText<DomainPlacement>(QStringLiteral("primary ")), std::nullopt);
    EXPECT_EQ(fromText<DomainPlacement>(QString()), std::nullopt);
    EXPECT_EQ(fromText<SetupDiagnosisClassification>(QStringLiteral("READY")), std::nullopt);
    EXPECT_EQ(fromText<SetupDiagnosisClassification>(QStringLiteral("blocked")), C::blocked);
    EXPECT_EQ(fromText<VerifyPolicy>(QStringLiteral("localverification")), std::nullopt);
    EXPECT_EQ(fromText<VerifyPolicy>(QStringLiteral("installCompletion")), VerifyPolicy::installCompletion);

    // Hashable: usable as set members and keys.
    const QSet<DomainPlacement> placements{P::primary, P::offer, P::primary};
    EXPECT_EQ(placements.size(), 2);
    EXPECT_EQ(qHash(P::offer, 3), qHash(*fromText<DomainPlacement>(QStringLiteral("offer")), 3));
}
