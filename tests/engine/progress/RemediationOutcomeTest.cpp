// Which screen carries each remediation out, and when two outcomes are the same.

#include "progress/RemediationOutcome.h"

#include <gtest/gtest.h>

using namespace qlan;

TEST(RemediationOutcome, OnlyTheTwoZprofileFixesGoToTheDiffScreen) {
    const QList<Remediation> streamed{
        Remediation::installTemurinViaBrew(QStringLiteral("temurin@21")),
        Remediation::installViaSDKMAN(QStringLiteral("21.0.5-tem")),
        Remediation::installViaMise(QStringLiteral("temurin-21")),
        Remediation::installViaPKG(21),
        Remediation::installViaPKGThenJEnv(21),
        Remediation::setJavaHomeViaSDKMAN(QStringLiteral("21.0.5-tem")),
        Remediation::setJavaHomeViaMise(QStringLiteral("temurin-21")),
        Remediation::setJavaHomeViaJenv(QStringLiteral("/Library/Java/JavaVirtualMachines/x/Contents/Home"),
                                        21),
        Remediation::installHomebrewThenTemurin(QStringLiteral("temurin@21")),
        Remediation::installWarpViaBrew(QStringLiteral("warp")),
        Remediation::installHomebrewThenWarp(QStringLiteral("warp")),
        Remediation::installHomebrew(),
    };
    for (const Remediation& remediation : streamed) {
        SCOPED_TRACE(remediation.id().toStdString());
        EXPECT_EQ(remediationScreen(remediation), RemediationScreen::streaming);
    }
    EXPECT_EQ(remediationScreen(Remediation::writeJavaHomeToZprofile(QStringLiteral("/jdk"))),
              RemediationScreen::zprofileDiff);
    EXPECT_EQ(remediationScreen(Remediation::keepCurrentLegacyJava(QStringLiteral("/jdk"))),
              RemediationScreen::zprofileDiff);
}

TEST(RemediationOutcome, EqualByCaseAndMessage) {
    const auto ok = RemediationOutcome::success(QStringLiteral("Done."));
    EXPECT_EQ(ok, RemediationOutcome::success(QStringLiteral("Done.")));
    EXPECT_NE(ok, RemediationOutcome::success(QStringLiteral("Other.")));
    EXPECT_NE(ok, RemediationOutcome::failure(QStringLiteral("Done.")));
    EXPECT_NE(ok, RemediationOutcome::canceled());
    EXPECT_NE(RemediationOutcome::failure(QString()), RemediationOutcome::canceled());
    EXPECT_EQ(RemediationOutcome::canceled(), RemediationOutcome::canceled());
}
