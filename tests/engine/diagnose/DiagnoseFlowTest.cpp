// The Java diagnosis flow without a window: where leaving goes, which JDK JAVA_HOME is set to after an
// install, how a check reads, and the flow's journeys over a sandboxed Mac with stub programs.

#include "diagnose/DiagnoseFlow.h"

#include "appshell/AppNavigation.h"
#include "diagnose/VerifyOutcome.h"
#include "support/JavaMac.h"
#include "support/CurrentEdition.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

using VM = DiagnoseViewModel;

const JDKInfo kZulu8 = jdkAt("1.8.0_392", "zulu-8.jdk");
const JDKInfo kTemurin21 = jdkAt("21.0.5", "temurin-21.jdk");
const JDKInfo kTemurin25 = jdkAt("25.0.1", "temurin-25.jdk");

Screen audit(CompletionSurface surface) {
    return Screen::audit(AuditContext{AuditEntry::heuristic, surface, std::nullopt});
}

class DiagnoseFlowTest : public ::testing::Test {
protected:
    DiagnoseFlowTest() {
        writeJavaHomeStub(mac_, {});
        writeLoginShell(mac_, {});
        flow_.setNavigation(&navigation_);
    }

    // Runs the first check and waits for the diagnosis.
    void diagnose() {
        flow_.runCheck(std::nullopt);
        ASSERT_TRUE(waitUntil([&] { return std::holds_alternative<VM::Diagnosed>(flow_.state()); }));
    }
    // Every delivered event's name, once the service has sent what it was given.
    QStringList eventNames(qsizetype expected) {
        endpoint_.waitForEvents(expected);
        waitUntil([] { return false; }, 150);
        return endpoint_.eventNames();
    }

    CurrentEdition edition_{ProductConfig::javaEdition()};
    Sandbox mac_;
    TelemetryEndpoint endpoint_;
    std::unique_ptr<TelemetryService> telemetry_ = endpoint_.makeService(mac_.services());
    AppNavigation navigation_;
    DiagnoseFlow flow_{mac_.services(), *telemetry_};
};

} // namespace

TEST(DiagnoseFlowRules, LeavingPushesTheAuditWithTheDiagnosisSurfaceOrTheNextStep) {
    const auto prompt = [](BuildIntentSurface surface) { return CompletionSurface::prompt(surface); };
    const QList<std::pair<std::optional<Diagnosis>, Screen>> cases = {
        {Diagnosis::noJDK(), audit(prompt(BuildIntentSurface::postFix))},
        {Diagnosis::homeUnset(kTemurin21), audit(prompt(BuildIntentSurface::postFix))},
        {Diagnosis::legacyOnly(kZulu8), audit(prompt(BuildIntentSurface::postFix))},
        {Diagnosis::modernHomeSet(kTemurin21), audit(prompt(BuildIntentSurface::modernHomeSet))},
        {Diagnosis::noErrors(), audit(prompt(BuildIntentSurface::noErrorsFound))},
        {Diagnosis::unknownState("odd"), audit(CompletionSurface::excluded())},
        {std::nullopt, audit(prompt(BuildIntentSurface::postFix))},
    };
    CurrentEdition java(ProductConfig::javaEdition());
    for (const auto& [diagnosis, screen] : cases)
        EXPECT_EQ(DiagnoseFlow::nextScreen(diagnosis), screen);

    ProductConfig asking = ProductConfig::javaEdition();
    asking.nextStepPrompt = NextStepPrompt{"What next?", QString(), "after_java", {}};
    CurrentEdition scoped(asking);
    for (const auto& [diagnosis, screen] : cases)
        EXPECT_EQ(DiagnoseFlow::nextScreen(diagnosis), Screen::nextStep());
}

TEST(DiagnoseFlowRules, JavaHomeIsSetForTheJdkJustInstalled) {
    const JDKInfo temurin22 = jdkAt("22.0.2", "temurin-22.jdk");
    const JDKInfo zulu22 = jdkAt("22.0.1", "zulu-22.jdk");
    struct Case {
        QList<JDKInfo> jdks;
        Remediation installed;
        JDKInfo expected;
    };
    const QList<Case> cases = {
        {{kZulu8, kTemurin21, kTemurin25}, Remediation::installTemurinViaBrew("temurin@25"), kTemurin25},
        {{kTemurin25, kTemurin21}, Remediation::installViaSDKMAN("21-tem"), kTemurin21},
        {{kZulu8, kTemurin21}, Remediation::installViaMise("temurin-21"), kTemurin21},
        {{kTemurin25, kZulu8}, Remediation::installViaPKG(8), kZulu8},
        {{kZulu8, kTemurin25}, Remediation::installHomebrewThenTemurin("temurin@25"), kTemurin25},
        // The installed major is not listed: the newest modern JDK, the earlier of a tie.
        {{kZulu8, temurin22, kTemurin21, zulu22}, Remediation::installViaPKGThenJEnv(25), temurin22},
        {{kZulu8, kTemurin21}, Remediation::writeJavaHomeToZprofile("/x"), kTemurin21},
        // Nothing modern: the first.
        {{kZulu8, jdkAt("11.0.2", "zulu-11.jdk")}, Remediation::installViaPKG(25), kZulu8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiagnoseFlow::javaHomeTarget(c.jdks, c.installed), c.expected)
            << c.installed.id().toStdString();
}

TEST(DiagnoseFlowRules, ACheckReadsByTheKindOfFix) {
    struct Case {
        Remediation remediation;
        JavaVerifier::Result result;
        VerifyOutcome outcome;
        QString title;
        QString event;
    };
    const Remediation brew = Remediation::installTemurinViaBrew("temurin@25");
    const Remediation zprofile = Remediation::writeJavaHomeToZprofile(kTemurin25.path);
    const Remediation legacy = Remediation::keepCurrentLegacyJava(kZulu8.path);
    const QString version = openjdkVersionOutput("25.0.1");
    const QList<Case> cases = {
        {brew,
         {"OpenJDK VERSION \"25\"", 0, std::nullopt},
         VerifyOutcome::javaHomeUnset,
         "Java installed",
         "verify_passed"},
        {brew, {version, 0, kTemurin25.path}, VerifyOutcome::passed, "Java installed", "verify_passed"},
        {brew,
         {version, 1, kTemurin25.path},
         VerifyOutcome::failed,
         "Java install incomplete",
         "verify_failed"},
        {brew, {"", 127, std::nullopt}, VerifyOutcome::failed, "Java install incomplete", "verify_failed"},
        {zprofile,
         {version, 0, std::nullopt},
         VerifyOutcome::failed,
         "Java configuration incomplete",
         "verify_failed"},
        {zprofile, {version, 0, ""}, VerifyOutcome::failed, "Java configuration incomplete", "verify_failed"},
        {zprofile, {version, 0, kTemurin25.path}, VerifyOutcome::passed, "Java configured", "verify_passed"},
        {legacy,
         {openjdkVersionOutput("1.8.0_392"), 0, kZulu8.path},
         VerifyOutcome::passed,
         "Java configured",
         "verify_passed_with_legacy"},
        {legacy,
         {"no java here", 0, kZulu8.path},
         VerifyOutcome::failed,
         "Java configuration incomplete",
         "verify_failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remediation.id().toStdString() + " " + c.result.javaVersionOutput.toStdString());
        EXPECT_EQ(verifyOutcome(c.remediation, c.result), c.outcome);
        EXPECT_EQ(verifyResultTitle(c.outcome, c.remediation), c.title);
        EXPECT_EQ(verificationEvent(c.remediation, c.result).name, c.event);
    }
    EXPECT_EQ(verificationEvent(zprofile, {version, 0, std::nullopt}).properties.value("exit_code"),
              JSONValue::integer(0));
    EXPECT_EQ(legacyWarning(openjdkVersionOutput("1.8.0_392")),
              "JAVA_HOME is now set, but Java 8 cannot run software that requires a newer Java.");
    EXPECT_EQ(
        legacyWarning("garbage"),
        "JAVA_HOME is now set, but Java this old version cannot run software that requires a newer Java.");
}

TEST_F(DiagnoseFlowTest, InstallCancelFailRetryVerifyAndBack) {
    diagnose();
    EXPECT_EQ(flow_.state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), std::nullopt, std::nullopt}));
    flow_.runCheck(std::nullopt); // shown again: no second probe
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(mac_.calls("/usr/libexec/java_home").size(), 1);

    // Keep legacy means nothing on a Mac without Java; the install uses the profile already held.
    flow_.onKeepLegacy();
    EXPECT_FALSE(flow_.sheetRemediation());
    flow_.onInstallChosen(21);
    const Remediation install21 = Remediation::installViaPKG(21);
    EXPECT_EQ(flow_.state(), VM::State(VM::Remediating{install21}));
    EXPECT_EQ(flow_.sheetRemediation(), install21);
    flow_.onInstallChosen(17); // the diagnosis behind the sheet is inert
    EXPECT_EQ(flow_.sheetRemediation(), install21);

    flow_.onRemediationFinished(RemediationOutcome::canceled());
    EXPECT_FALSE(flow_.sheetRemediation());
    EXPECT_EQ(flow_.state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), install21, std::nullopt}));

    flow_.onInstallChosen(25);
    const Remediation install25 = Remediation::installViaPKG(25);
    flow_.onRemediationFinished(RemediationOutcome::failure("Install failed (exit code 1)."));
    EXPECT_EQ(flow_.state(), VM::State(VM::Error{"Install failed (exit code 1)."}));
    flow_.onRemediationFinished(RemediationOutcome::success("late")); // no sheet: nothing
    flow_.backToDiagnosis();
    EXPECT_EQ(flow_.state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), install25, std::nullopt}));

    flow_.onInstallChosen(25);
    flow_.onRemediationFinished(RemediationOutcome::success("Temurin installed."));
    EXPECT_EQ(flow_.state(), VM::State(VM::Verifying{install25}));
    const JavaVerifier::Result failed{"", 127, std::nullopt};
    flow_.onVerifyResult(failed);
    EXPECT_EQ(flow_.state(), VM::State(VM::Verified{install25, failed}));
    flow_.onVerifyResult({"late", 0, std::nullopt}); // only while verifying
    EXPECT_EQ(flow_.state(), VM::State(VM::Verified{install25, failed}));
    flow_.backToDiagnosis();
    EXPECT_EQ(flow_.state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), install25, std::nullopt}));

    flow_.continueToAudit(Diagnosis::noJDK());
    EXPECT_EQ(navigation_.path(),
              QList<Screen>{audit(CompletionSurface::prompt(BuildIntentSurface::postFix))});
    EXPECT_EQ(eventNames(4), (QStringList{"diagnosis_reached", "remediation_applied", "remediation_applied",
                                          "remediation_applied"}));
}

TEST_F(DiagnoseFlowTest, HomebrewNeedsNoCheckAndKeepLegacyReturnsToTheLegacyDiagnosis) {
    writeJavaHomeStub(mac_, {kZulu8});
    diagnose();
    const Diagnosis legacy = Diagnosis::legacyOnly(kZulu8);
    ASSERT_EQ(flow_.state(), VM::State(VM::Diagnosed{legacy, std::nullopt, std::nullopt}));
    flow_.onKeepLegacy();
    const Remediation keep = Remediation::keepCurrentLegacyJava(kZulu8.path);
    flow_.onRemediationFinished(RemediationOutcome::canceled());
    EXPECT_EQ(flow_.state(), VM::State(VM::Diagnosed{legacy, std::nullopt, keep}));

    flow_.onRemediate(Remediation::installHomebrew());
    flow_.onRemediationFinished(RemediationOutcome::success("Homebrew installed."));
    EXPECT_EQ(flow_.state(), VM::State(VM::Completed{"Homebrew installed."}));
    flow_.continueToAudit(flow_.lastDiagnosis());
    EXPECT_EQ(navigation_.path(),
              QList<Screen>{audit(CompletionSurface::prompt(BuildIntentSurface::postFix))});
}

TEST_F(DiagnoseFlowTest, SetJavaHomeAfterAnInstallTargetsTheNewJdkOnceAndOnlyWhileStillVerified) {
    diagnose();
    flow_.onInstallChosen(25);
    flow_.onRemediationFinished(RemediationOutcome::success("Temurin installed."));
    const JavaVerifier::Result installed{openjdkVersionOutput("25.0.1"), 0, std::nullopt};
    flow_.onVerifyResult(installed);
    const VM::State verified = flow_.state();

    // The install left a legacy JDK listed first; a slow java_home lets the test act mid-probe.
    writeJavaHomeStub(mac_, {kZulu8, kTemurin25}, 300);

    // Back while the probe runs: its result is dropped.
    flow_.onSetJavaHome();
    EXPECT_TRUE(flow_.isSettingJavaHome());
    flow_.backToDiagnosis();
    ASSERT_TRUE(waitUntil([&] { return !flow_.isSettingJavaHome(); }));
    EXPECT_FALSE(flow_.sheetRemediation());
    EXPECT_TRUE(std::holds_alternative<VM::Diagnosed>(flow_.state()));

    // A double press probes once and starts one fix, for Java 25.
    flow_.viewModel()->setState(verified);
    flow_.onSetJavaHome();
    flow_.onSetJavaHome();
    ASSERT_TRUE(waitUntil([&] { return flow_.sheetRemediation().has_value(); }));
    EXPECT_EQ(mac_.calls("/usr/libexec/java_home").size(), 3);
    const Remediation setHome = Remediation::writeJavaHomeToZprofile(kTemurin25.path);
    EXPECT_EQ(flow_.sheetRemediation(), setHome);
    EXPECT_EQ(flow_.state(), VM::State(VM::Remediating{setHome}));
    flow_.onRemediationFinished(RemediationOutcome::canceled());
    EXPECT_EQ(flow_.state(),
              VM::State(VM::Diagnosed{Diagnosis::homeUnset(kTemurin25), std::nullopt, setHome}));

    // A re-probe that finds no JDK at all leaves as continue would, from the last diagnosis.
    writeJavaHomeStub(mac_, {});
    flow_.viewModel()->setState(verified);
    flow_.onSetJavaHome();
    ASSERT_TRUE(waitUntil([&] { return !navigation_.path().isEmpty(); }));
    EXPECT_EQ(navigation_.path(),
              QList<Screen>{audit(CompletionSurface::prompt(BuildIntentSurface::postFix))});
    EXPECT_EQ(flow_.state(), verified);
}

TEST_F(DiagnoseFlowTest, FixtureModeDiagnosesTheEnvironmentProfileAndAGoneFlowIgnoresItsProbe) {
    AppServices fixture = mac_.services();
    fixture.isFixtureMode = true;
    DiagnoseFlow fixtureFlow(fixture, *telemetry_);
    SystemProfile given;
    given.javaState.installedJDKs = {kTemurin21};
    given.javaState.javaHomeInActiveShell = kTemurin21.path;
    fixtureFlow.runCheck(given);
    EXPECT_EQ(fixtureFlow.state(),
              VM::State(VM::Diagnosed{Diagnosis::modernHomeSet(kTemurin21), std::nullopt, std::nullopt}));
    EXPECT_TRUE(mac_.calls("/usr/libexec/java_home").isEmpty());

    // A flow destroyed mid-probe: the probe's result goes nowhere.
    writeJavaHomeStub(mac_, {}, 200);
    auto* gone = new DiagnoseFlow(mac_.services(), *telemetry_);
    gone->runCheck(std::nullopt);
    EXPECT_TRUE(gone->isProbing());
    delete gone;
    ASSERT_TRUE(waitUntil([&] { return mac_.calls("/usr/libexec/java_home").size() == 1; }));
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(eventNames(1), QStringList{"diagnosis_reached"}); // the fixture flow's only
}
