#include "catalog/OfferRoute.h"
#include "catalog/Outcome.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

using namespace qlan;

TEST(OfferRoute, NestedRoutesCompareAndHashByValue) {
    using R = OfferRoute;
    // audit without a follow-up
    EXPECT_EQ(R::audit(), R::audit());
    EXPECT_EQ(qHash(R::audit()), qHash(R::audit()));
    EXPECT_NE(R::audit(), R::audit(R::guidedHelpWTP()));
    EXPECT_NE(R::audit(R::guidedHelpWTP()), R::audit());

    // Two levels deep, built separately.
    const R deep = R::audit(R::audit(R::content(QStringLiteral("course"))));
    const R same = R::audit(R::audit(R::content(QStringLiteral("course"))));
    EXPECT_EQ(deep, same);
    EXPECT_EQ(qHash(deep), qHash(same));
    EXPECT_EQ(qHash(deep, 42), qHash(same, 42));
    EXPECT_NE(deep, R::audit(R::audit(R::content(QStringLiteral("book")))));
    EXPECT_NE(deep, R::audit(R::audit(R::audit(R::content(QStringLiteral("course"))))));
    EXPECT_NE(deep, R::audit(R::content(QStringLiteral("course"))));

    // The payload is reachable and the route behaves as a value.
    EXPECT_EQ(deep.kind(), R::Kind::audit);
    ASSERT_TRUE(deep.then().has_value());
    ASSERT_TRUE(deep.then()->then().has_value());
    EXPECT_EQ(deep.then()->then()->offerID(), QStringLiteral("course"));
    EXPECT_EQ(deep.then()->then()->then(), std::nullopt);
    R copy = deep;
    copy = R::guidedHelpWTP();
    EXPECT_EQ(deep, same);

    // The flat cases.
    EXPECT_NE(R::content(QStringLiteral("a")), R::content(QStringLiteral("b")));
    EXPECT_EQ(R::content(QStringLiteral("a")), R::content(QStringLiteral("a")));
    EXPECT_NE(R::guidedHelpWTP(), R::aiCodingInterest());
    EXPECT_NE(R::content(QString()), R::audit());

    // Usable as set members: equal routes collapse, different ones stay apart.
    const QSet<R> routes{deep,
                         same,
                         R::audit(),
                         R::audit(),
                         R::guidedHelpWTP(),
                         R::aiCodingInterest(),
                         R::content(QStringLiteral("course"))};
    EXPECT_EQ(routes.size(), 5);
    EXPECT_TRUE(routes.contains(R::audit(R::audit(R::content(QStringLiteral("course"))))));

    // A long chain compares, hashes and is destroyed without running out of stack.
    R longA = R::aiCodingInterest();
    R longB = R::aiCodingInterest();
    for (int i = 0; i < 200000; ++i) {
        longA = R::audit(longA);
        longB = R::audit(longB);
    }
    EXPECT_EQ(longA, longB);
    EXPECT_EQ(qHash(longA), qHash(longB));
}

TEST(Outcome, TextsAndExactMatch) {
    EXPECT_EQ(toText(Outcome::ready), QStringLiteral("ready"));
    EXPECT_EQ(toText(Outcome::still_blocked), QStringLiteral("still_blocked"));
    EXPECT_EQ(toText(Outcome::unsure), QStringLiteral("unsure"));
    EXPECT_EQ(fromText<Outcome>(QStringLiteral("still_blocked")), Outcome::still_blocked);
    EXPECT_EQ(fromText<Outcome>(QStringLiteral("still blocked")), std::nullopt);
    EXPECT_EQ(fromText<Outcome>(QStringLiteral("Ready")), std::nullopt);
    EXPECT_EQ(fromText<Outcome>(QString()), std::nullopt);
    // Hashing follows the stored text.
    EXPECT_EQ(qHash(Outcome::unsure, 7), qHash(QStringLiteral("unsure"), 7));
}
