// The navigation model: screen values, their equality and hashing, and the observable path.

#include "appshell/AppNavigation.h"

#include <QSet>
#include <QSignalSpy>

#include <gmock/gmock.h>

using namespace qlan;

namespace {

AuditContext nextStepAudit(std::optional<OfferRoute> then) {
    return AuditContext{AuditEntry::nextStepCourse, CompletionSurface::excluded(),
                        QLANAuditContext{QStringLiteral("course"), QStringLiteral("learn"), std::move(then)}};
}

} // namespace

TEST(Screen, EqualityAndHashingFollowCaseAndPayload) {
    const AuditContext plain{AuditEntry::heuristic, CompletionSurface::prompt(BuildIntentSurface::postFix),
                             std::nullopt};
    AuditContext withQlan = plain;
    withQlan.qlan = QLANAuditContext{QStringLiteral("course"), std::nullopt, std::nullopt};

    EXPECT_NE(Screen::audit(plain), Screen::audit(withQlan));
    EXPECT_EQ(Screen::audit(withQlan), Screen::audit(withQlan));
    EXPECT_EQ(qHash(Screen::audit(withQlan), 7), qHash(Screen::audit(AuditContext(withQlan)), 7));

    // A different surface, entry or a nested route make a different audit.
    AuditContext otherSurface = plain;
    otherSurface.completionSurface = CompletionSurface::prompt(BuildIntentSurface::noErrorsFound);
    EXPECT_NE(Screen::audit(plain), Screen::audit(otherSurface));
    const OfferRoute deep = OfferRoute::audit(OfferRoute::content(QStringLiteral("deep")));
    EXPECT_EQ(Screen::audit(nextStepAudit(deep)),
              Screen::audit(nextStepAudit(OfferRoute::audit(OfferRoute::content(QStringLiteral("deep"))))));
    EXPECT_EQ(
        qHash(Screen::audit(nextStepAudit(deep))),
        qHash(Screen::audit(nextStepAudit(OfferRoute::audit(OfferRoute::content(QStringLiteral("deep")))))));
    EXPECT_NE(Screen::audit(nextStepAudit(deep)),
              Screen::audit(nextStepAudit(OfferRoute::audit(OfferRoute::content(QStringLiteral("other"))))));
    EXPECT_NE(Screen::audit(nextStepAudit(deep)), Screen::audit(nextStepAudit(std::nullopt)));

    EXPECT_NE(Screen::contentOffer(QStringLiteral("a")), Screen::contentOffer(QStringLiteral("b")));
    EXPECT_EQ(Screen::contentOffer(QStringLiteral("a")), Screen::contentOffer(QStringLiteral("a")));
    EXPECT_EQ(Screen::contentOffer(QStringLiteral("a")).offerID(), QStringLiteral("a"));
    EXPECT_EQ(Screen::diagnose().offerID(), QString());
    EXPECT_EQ(Screen::diagnose().auditContext(), nullptr);

    // Every payload-free case equals only itself; all seven cases keep their declaration index.
    const QList<Screen> all{Screen::diagnose(),     Screen::setupWorkflow(),  Screen::audit(plain),
                            Screen::nextStep(),     Screen::contentOffer({}), Screen::guidedHelpOffer(),
                            Screen::aiCodingOffer()};
    for (qsizetype i = 0; i < all.size(); ++i) {
        EXPECT_EQ(static_cast<int>(all[i].kind()), i);
        for (qsizetype j = 0; j < all.size(); ++j)
            EXPECT_EQ(all[i] == all[j], i == j) << i << " vs " << j;
    }
    QSet<Screen> set(all.begin(), all.end());
    set.insert(Screen::guidedHelpOffer());
    set.insert(Screen::audit(plain));
    EXPECT_EQ(set.size(), all.size());
    EXPECT_TRUE(set.contains(Screen::audit(plain)));
    EXPECT_FALSE(set.contains(Screen::audit(withQlan)));
}

TEST(AppNavigation, EveryChangeAnnouncesItselfBeforeItIsStored) {
    AppNavigation navigation;
    EXPECT_TRUE(navigation.path().isEmpty());
    EXPECT_FALSE(navigation.selectedGoal());
    EXPECT_FALSE(navigation.selectedNextStep());

    QList<qsizetype> depthsSeenBeforeChange;
    QObject::connect(&navigation, &AppNavigation::willChange,
                     [&] { depthsSeenBeforeChange.append(navigation.path().size()); });
    QSignalSpy pathChanged(&navigation, &AppNavigation::pathChanged);
    QSignalSpy goalChanged(&navigation, &AppNavigation::selectedGoalChanged);

    navigation.push(Screen::setupWorkflow());
    navigation.push(Screen::nextStep());
    navigation.setPath(navigation.path()); // the same value still announces itself
    EXPECT_EQ(depthsSeenBeforeChange, (QList<qsizetype>{0, 1, 2}));
    EXPECT_EQ(pathChanged.count(), 3);
    EXPECT_EQ(navigation.path(), (QList<Screen>{Screen::setupWorkflow(), Screen::nextStep()}));

    navigation.setSelectedGoal(QStringLiteral("build_software"));
    navigation.setSelectedNextStep(QStringLiteral("course"));
    EXPECT_EQ(goalChanged.count(), 1);

    // Home from any depth empties the path and keeps the selections.
    navigation.push(Screen::contentOffer(QStringLiteral("x")));
    navigation.setPath({});
    EXPECT_TRUE(navigation.path().isEmpty());
    EXPECT_EQ(navigation.selectedGoal(), QStringLiteral("build_software"));
    EXPECT_EQ(navigation.selectedNextStep(), QStringLiteral("course"));
}

TEST(AppNavigation, ScreensFindTheModelOfTheirWindow) {
    QObject window;
    auto* navigation = new AppNavigation(&window);
    QObject page(&window);
    QObject control(&page);
    EXPECT_EQ(AppNavigation::nearest(&control), navigation);
    EXPECT_EQ(AppNavigation::nearest(&window), navigation);
    EXPECT_EQ(AppNavigation::nearest(navigation), navigation);

    QObject elsewhere;
    EXPECT_EQ(AppNavigation::nearest(&elsewhere), nullptr);
}
