// The goal and next-step questions without a window: the detail's limit and cleaning, what continuing
// reports, and where each answer leads.

#include "audit/GoalPromptModel.h"
#include "audit/NextStepModel.h"

#include "AuditFixture.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class FollowUpPrompts : public ::testing::Test, public AuditFixture {};

GoalPrompt goalPrompt(int limit) {
    return GoalPrompt{"What brings you here?",
                      "Pick one.",
                      "welcome",
                      limit,
                      {GoalOption{"school", "For school", QString("Which course?")},
                       GoalOption{"work", "For work", QString("What do you build?")},
                       GoalOption{"explore", "Just exploring", std::nullopt}}};
}

NextStepPrompt nextStepPrompt() {
    return NextStepPrompt{"What next?",
                          "Choose one.",
                          "after_java",
                          {NextStepOption{"course", "A course", Outcome::ready, OfferRoute::audit()},
                           NextStepOption{"build_software", "Build software", Outcome::still_blocked,
                                          OfferRoute::audit(OfferRoute::content("starter"))},
                           NextStepOption{"other", "Not sure", Outcome::unsure, OfferRoute::audit()}}};
}

} // namespace

TEST_F(FollowUpPrompts, TheDetailIsKeptToTheLimitAndCleanedForTheReport) {
    const QString family =
        QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    struct Case {
        QString typed;
        int limit;
        QString kept;
        std::optional<QString> reported;
    };
    const QList<Case> cases = {
        {"abcdefg", 5, "abcde", QString("abcde")},
        {"a\tb", 10, "a\tb", QString("ab")},
        {"   \n", 10, "   \n", std::nullopt},
        {"  two words \n", 20, "  two words \n", QString("two words")},
        {"e\u0301clair", 2, "e\u0301c", QString("e\u0301c")},
        // One character while typed; three once the joiners are removed, cut again to the limit.
        {family + "x", 1, family, family.left(2)},
        {"anything", 0, "", std::nullopt},
    };
    for (const Case& c : cases) {
        GoalPromptModel model(goalPrompt(c.limit), {}, *telemetry);
        model.select("school");
        EXPECT_EQ(model.setDetail(c.typed), c.kept) << c.typed.toStdString();
        EXPECT_EQ(GoalPromptModel::reportedDetail(model.detail(), c.limit), c.reported)
            << c.typed.toStdString();
    }
}

TEST_F(FollowUpPrompts, GoalContinueReportsTheChoiceThenHandsOverTheKey) {
    QStringList handedOver;
    GoalPromptModel model(
        goalPrompt(40), [&](const QString& key) { handedOver << key; }, *telemetry);
    model.continueTapped(); // nothing selected
    EXPECT_FALSE(model.canContinue());

    model.select("school");
    model.setDetail("  CS 101 ");
    model.select("work"); // another option with a detail prompt keeps the text
    EXPECT_EQ(model.detail(), "  CS 101 ");
    model.continueTapped();
    model.select("explore"); // no detail prompt: the detail is emptied
    EXPECT_EQ(model.detail(), "");
    model.continueTapped();
    EXPECT_EQ(handedOver, (QStringList{"work", "explore"}));

    const QList<ReceivedEvent> events = settledEvents(2);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].name, "goal_selected");
    EXPECT_EQ(events[0].data.value("goal").toString(), "work");
    EXPECT_EQ(events[0].data.value("detail").toString(), "CS 101");
    EXPECT_EQ(events[0].data.value("surface").toString(), "welcome");
    EXPECT_TRUE(events[1].data.value("detail").isNull());
}

TEST_F(FollowUpPrompts, EachNextStepAnswerOpensItsAuditAfterRecordingTheAnswer) {
    AppNavigation navigation;
    QStringList order;
    QObject::connect(&navigation, &AppNavigation::pathChanged,
                     [&] { order << "push after " + navigation.selectedNextStep().value_or("nothing"); });
    struct Case {
        QString key;
        AuditEntry entry;
        std::optional<OfferRoute> then;
    };
    const QList<Case> cases = {
        {"course", AuditEntry::nextStepCourse, std::nullopt},
        {"build_software", AuditEntry::nextStepBuildSoftware, OfferRoute::content("starter")},
        {"other", AuditEntry::nextStepNotSure, std::nullopt},
    };
    for (const Case& c : cases) {
        navigation.setPath({});
        order.clear();
        NextStepModel model(nextStepPrompt(), &navigation, *telemetry);
        model.continueOn(); // no selection
        EXPECT_TRUE(order.isEmpty());
        model.select(c.key);
        model.continueOn();
        model.continueOn(); // a double press
        EXPECT_EQ(order, QStringList{"push after " + c.key});
        EXPECT_EQ(navigation.path(),
                  QList<Screen>{Screen::audit(AuditContext{c.entry, CompletionSurface::excluded(),
                                                           QLANAuditContext{c.key, std::nullopt, c.then}})});
    }
    NextStepModel unknown(nextStepPrompt(), &navigation, *telemetry);
    unknown.select("gone");
    unknown.continueOn();
    EXPECT_EQ(navigation.path().size(), 1);

    // The other routes, with a goal chosen earlier.
    navigation.setSelectedGoal("school");
    NextStepOption option{"x", "X", Outcome::ready, OfferRoute::guidedHelpWTP()};
    EXPECT_EQ(NextStepModel::screenFor(option, navigation.selectedGoal()), Screen::guidedHelpOffer());
    option.offer = OfferRoute::aiCodingInterest();
    EXPECT_EQ(NextStepModel::screenFor(option, navigation.selectedGoal()), Screen::aiCodingOffer());
    option.offer = OfferRoute::content("x");
    EXPECT_EQ(NextStepModel::screenFor(option, navigation.selectedGoal()), Screen::contentOffer("x"));
    option.offer = OfferRoute::audit();
    EXPECT_EQ(NextStepModel::screenFor(option, navigation.selectedGoal()).auditContext()->qlan->goal,
              "school");

    const QList<ReceivedEvent> events = settledEvents(3);
    ASSERT_EQ(events.size(), 3);
    const QStringList outcomes{"ready", "still_blocked", "unsure"};
    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_EQ(events[i].name, "next_step_selected");
        EXPECT_EQ(events[i].data.value("next_step").toString(), cases[i].key);
        EXPECT_EQ(events[i].data.value("outcome").toString(), outcomes[i]);
        EXPECT_TRUE(events[i].data.value("goal").isNull());
        EXPECT_EQ(events[i].data.value("surface").toString(), "after_java");
    }
}
