#include "diagnose/DiagnoseViewModel.h"

#include "support/CurrentEdition.h"
#include "support/Sandbox.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <QList>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

const QString kTemurin21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";

struct Tools {
    bool brew = false, sdkman = false, mise = false, jenv = false, asdf = false, clt = false;
};

SystemProfile profileWith(Tools tools) {
    SystemProfile profile;
    if (tools.brew) profile.homebrewPrefix = "/opt/homebrew/bin/brew";
    if (tools.sdkman) profile.sdkmanRoot = "/Users/tester/.sdkman";
    if (tools.mise) profile.miseExecutable = "/opt/homebrew/bin/mise";
    if (tools.jenv) profile.jenvRoot = "/Users/tester/.jenv";
    if (tools.asdf) profile.asdfRoot = "/Users/tester/.asdf";
    if (tools.clt) profile.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    return profile;
}

JDKInfo temurin(const QString& version) {
    return {version, "Eclipse Adoptium", "aarch64", kTemurin21};
}

} // namespace

TEST(DiagnoseViewModel, InstallFixFollowsTheFirstToolFound) {
    struct Case {
        Tools tools;
        int major;
        Remediation expected;
    };
    const QList<Case> cases = {
        {{.brew = true, .sdkman = true}, 21, Remediation::installTemurinViaBrew("temurin@21")},
        {{.sdkman = true, .mise = true}, 25, Remediation::installViaSDKMAN("25-tem")},
        {{.mise = true, .jenv = true}, 17, Remediation::installViaMise("temurin-17")},
        {{.jenv = true, .clt = true}, 25, Remediation::installViaPKGThenJEnv(25)},
        {{.clt = true}, 21, Remediation::installHomebrewThenTemurin("temurin@21")},
        {{.asdf = true}, 17, Remediation::installViaPKG(17)},
        {{}, 25, Remediation::installViaPKG(25)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiagnoseViewModel::installRemediation(c.major, profileWith(c.tools)).id(), c.expected.id());
}

TEST(DiagnoseViewModel, JavaHomeFixFollowsTheFirstVersionManagerFound) {
    struct Case {
        Tools tools;
        QString version;
        Remediation expected;
    };
    const QList<Case> cases = {
        {{.brew = true, .sdkman = true}, "21.0.5", Remediation::setJavaHomeViaSDKMAN("21.0.5-tem")},
        {{.brew = true}, "21.0.5", Remediation::writeJavaHomeToZprofile(kTemurin21)},
        {{.mise = true, .jenv = true}, "17.0.13", Remediation::setJavaHomeViaMise("temurin-17.0.13")},
        {{.jenv = true}, "21.0.5", Remediation::setJavaHomeViaJenv(kTemurin21, 21)},
        {{.jenv = true}, "1.8.0_392", Remediation::setJavaHomeViaJenv(kTemurin21, 1)},
        {{.jenv = true}, "", Remediation::setJavaHomeViaJenv(kTemurin21, 25)},
        {{.jenv = true}, "ea.21", Remediation::setJavaHomeViaJenv(kTemurin21, 25)},
        {{.asdf = true, .clt = true}, "25", Remediation::writeJavaHomeToZprofile(kTemurin21)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiagnoseViewModel::remediation(temurin(c.version), profileWith(c.tools)), c.expected)
            << c.version.toStdString();
    }
}

TEST(DiagnoseViewModel, JenvMajorReadsTheFirstPieceAsAWholeNumber) {
    const QList<std::pair<QString, int>> cases = {
        {"21.0.5", 21}, {"..17..", 17}, {"+8", 8},   {"-3.1", -3},        {"21-ea", 25},
        {" 21", 25},    {"", 25},       {"1e3", 25}, {"99999999999", 25}, {"٢١", 25},
    };
    for (const auto& [version, major] : cases)
        EXPECT_EQ(DiagnoseViewModel::jenvMajor(version), major) << version.toStdString();
}

TEST(DiagnoseViewModel, DiagnoseMovesToDiagnosedThenReportsOnce) {
    Sandbox mac;
    TelemetryEndpoint endpoint;
    CurrentEdition java(ProductConfig::javaEdition());
    auto telemetry = endpoint.makeService(mac.services());

    SystemProfile profile = profileWith({.brew = true, .sdkman = true});
    profile.javaState.installedJDKs = {temurin("21.0.5")};
    DiagnoseViewModel model(*telemetry);
    EXPECT_EQ(model.state(), DiagnoseViewModel::State(DiagnoseViewModel::Probing{}));

    QList<DiagnoseViewModel::State> seen;
    QObject::connect(&model, &DiagnoseViewModel::stateChanged, [&] { seen.append(model.state()); });
    model.diagnose(profile);

    const DiagnoseViewModel::Diagnosed expected{Diagnosis::homeUnset(temurin("21.0.5")), std::nullopt,
                                                Remediation::setJavaHomeViaSDKMAN("21.0.5-tem")};
    EXPECT_EQ(seen, QList<DiagnoseViewModel::State>{expected});
    ASSERT_TRUE(endpoint.waitForEvents(1));
    waitUntil([] { return false; }, 200);
    const QList<ReceivedEvent> events = endpoint.receivedEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, "diagnosis_reached");
    EXPECT_EQ(events[0].data.value("diagnosis").toString(), "D2_HomeUnset");
    EXPECT_EQ(events[0].data.value("java_major_version").toInt(), 21);

    // The screen assigns the later states; every assignment is announced.
    model.setState(DiagnoseViewModel::Verifying{*expected.d2Remediation});
    EXPECT_EQ(seen.size(), 2);
    EXPECT_NE(model.state(),
              DiagnoseViewModel::State(DiagnoseViewModel::Remediating{*expected.d2Remediation}));
}

TEST(DiagnoseViewModel, OtherEditionsFindNoErrorsAndOfferNoFix) {
    Sandbox mac;
    TelemetryEndpoint endpoint;
    CurrentEdition brew(ProductConfig::homebrewEdition());
    auto telemetry = endpoint.makeService(mac.services());

    SystemProfile profile = profileWith({.brew = true});
    profile.javaState.installedJDKs = {temurin("21.0.5")};
    DiagnoseViewModel model(*telemetry);
    model.diagnose(profile);
    EXPECT_EQ(model.state(),
              DiagnoseViewModel::State(DiagnoseViewModel::Diagnosed{Diagnosis::noErrors(), {}, {}}));
    ASSERT_TRUE(endpoint.waitForEvents(1));
    EXPECT_EQ(endpoint.receivedEvents()[0].data.value("diagnosis").toString(), "no_errors_found");
}
