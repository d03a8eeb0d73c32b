#include "appshell/NavigationValues.h"
#include "appshell/NavigationEvents.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace qlan;

TEST(NavigationValues, TextsRoundTripExactlyAndRejectEverythingElse) {
    const QList<std::pair<BuildIntentSurface, QString>> surfaces = {
        {BuildIntentSurface::postFix, "post_fix"},
        {BuildIntentSurface::modernHomeSet, "modern_home_set"},
        {BuildIntentSurface::noErrorsFound, "no_errors_found"},
    };
    for (const auto& [surface, text] : surfaces) {
        EXPECT_EQ(toText(surface), text);
        EXPECT_EQ(fromText<BuildIntentSurface>(text), surface);
    }
    const QList<std::pair<AuditEntry, QString>> entries = {
        {AuditEntry::heuristic, "heuristic"},
        {AuditEntry::buildIntent, "build_intent"},
        {AuditEntry::nextStepCourse, "next_step_course"},
        {AuditEntry::nextStepBuildSoftware, "next_step_build_software"},
        {AuditEntry::nextStepNotSure, "next_step_not_sure"},
    };
    for (const auto& [entry, text] : entries) {
        EXPECT_EQ(toText(entry), text);
        EXPECT_EQ(fromText<AuditEntry>(text), entry);
    }
    for (const QString& wrong : {QString("Post_fix"), QString("postFix"), QString(), QString("heuristic ")}) {
        EXPECT_FALSE(fromText<BuildIntentSurface>(wrong).has_value()) << wrong.toStdString();
        EXPECT_FALSE(fromText<AuditEntry>(wrong).has_value()) << wrong.toStdString();
    }
}

TEST(NavigationValues, CompletionSurfaceComparesCaseThenPayloadAndHashesConsistently) {
    const auto postFix = CompletionSurface::prompt(BuildIntentSurface::postFix);
    const auto modern = CompletionSurface::prompt(BuildIntentSurface::modernHomeSet);
    EXPECT_EQ(postFix, CompletionSurface::prompt(BuildIntentSurface::postFix));
    EXPECT_NE(postFix, modern);
    EXPECT_NE(postFix, CompletionSurface::excluded());

    // An excluded surface carries no payload: a stray value in the unused field does not matter.
    CompletionSurface strayExcluded{CompletionSurface::Kind::excluded, BuildIntentSurface::noErrorsFound};
    EXPECT_EQ(strayExcluded, CompletionSurface::excluded());
    EXPECT_EQ(qHash(strayExcluded), qHash(CompletionSurface::excluded()));

    QSet<CompletionSurface> set{postFix, modern, CompletionSurface::excluded(), strayExcluded,
                                CompletionSurface::prompt(BuildIntentSurface::postFix)};
    EXPECT_EQ(set.size(), 3);
}

TEST(NavigationValues, AuditReachedAndBuildIntentEvents) {
    const auto text = [](const QString& value) { return JSONValue::string(value); };
    SystemProfile profile;
    profile.terminals.warp = true;
    profile.terminals.iterm = true;
    profile.aiTooling.cursor = true;
    const auto audit = auditReachedEvent(profile, AuditEntry::nextStepBuildSoftware);
    EXPECT_EQ(audit.name, "audit_reached");
    EXPECT_EQ(audit.properties,
              (JSONObject{{"ai_tool_count", JSONValue::integer(profile.aiTooling.installedIDs().size())},
                          {"terminal_count", JSONValue::integer(2)},
                          {"ai_tools", JSONValue::array({text(profile.aiTooling.installedIDs().value(0))})},
                          {"terminals", JSONValue::array({text(profile.terminals.installedIDs().value(0)),
                                                          text(profile.terminals.installedIDs().value(1))})},
                          {"entry", text("next_step_build_software")}}));
    EXPECT_EQ(buildIntentPromptShownEvent(BuildIntentSurface::modernHomeSet),
              (TelemetryEvent{"build_intent_prompt_shown", {{"surface", text("modern_home_set")}}}));
    EXPECT_EQ(buildIntentOptedInEvent(BuildIntentSurface::postFix),
              (TelemetryEvent{"build_intent_opted_in", {{"surface", text("post_fix")}}}));
}
