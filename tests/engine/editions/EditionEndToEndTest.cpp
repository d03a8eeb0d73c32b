// The Homebrew edition from end to end on a sandboxed Mac: the system profile, the edition's prober, its
// spine and copy, and its verifier, run the way the guided setup runs them (stub programs, the real zsh
// as the login shell, real files).

#include "editions/EditionStrategies.h"
#include "editions/ProductConfig.h"
#include "editions/brew/BrewSpineCopy.h"
#include "platform/SystemProfiler.h"

#include "EditionFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using testing::ElementsAre;

namespace {

using C = SetupDiagnosisClassification;

// A Mac with the given chip, the Command Line Tools, the real zsh, and a login profile that keeps the
// sandbox's Homebrew folders off PATH until the setup adds them.
struct Mac {
    explicit Mac(const char* machine) {
        sandbox.writeStub("/usr/bin/uname", StubSpec().withStdOut(QString::fromLatin1(machine) + "\n"));
        sandbox.writeStub("/usr/bin/xcode-select",
                          StubSpec().withStdOut("/Library/Developer/CommandLineTools\n"));
        sandbox.makeDirectory("/Library/Developer/CommandLineTools");
        sandbox.linkSystemProgram("/bin/zsh");
        sandbox.writeFile("/Users/tester/.zprofile", "export PATH=/usr/bin:/bin\n");
    }

    void installBrew(const QString& macPath, const QString& version) {
        sandbox.writeStub(macPath,
                          StubSpec().withStdOut("Homebrew " + version + "\nHomebrew/homebrew-core\n"));
    }
    // What Homebrew's installer leaves in ~/.zprofile: its folder on PATH.
    void addToLoginPath(const QString& macFolder) {
        QByteArray profile = sandbox.readFile("/Users/tester/.zprofile");
        profile += "export PATH=\"" + sandbox.map(macFolder).toUtf8() + ":$PATH\"\n";
        sandbox.writeFile("/Users/tester/.zprofile", profile);
    }

    // One pass of the guided setup's probing: profile, edition probes, workflow.
    struct Pass {
        SystemProfile profile;
        SetupProbeBundle probes;
        SetupWorkflow workflow;
    };
    Pass probe() const {
        SystemProfiler profiler = SystemProfiler::fromServices(sandbox.services());
        profiler.macosVersion = [] { return OperatingSystemVersion{14, 5, 0}; };
        profiler.shellVariable = [] { return QStringLiteral("/bin/zsh"); };
        Pass pass;
        pass.profile = profiler.profile();
        pass.probes = edition.probe(sandbox.services().processRunner, sandbox.services().fs);
        pass.workflow = edition.workflow(pass.profile, pass.probes);
        return pass;
    }
    SetupVerificationResult verify(const Pass& pass) const {
        return edition.verify(pass.profile, sandbox.services().processRunner, sandbox.services().fs);
    }

    // The application runs the Homebrew edition; the guided setup takes its strategies from the record.
    CurrentEdition current{ProductConfig::homebrewEdition()};
    EditionStrategies edition = EditionStrategies::of(ProductConfig::current());
    Sandbox sandbox;
};

QString homebrewStatus(const Mac::Pass& pass) {
    return ProductConfig::current().spineCopy->statusLabel(
        "homebrew", stageOf(pass.workflow.steps, "homebrew").diagnosis());
}

QList<SetupAction> homebrewActions(const Mac::Pass& pass) {
    return stageOf(pass.workflow.steps, "homebrew").actions();
}

} // namespace

TEST(EditionEndToEnd, AMacWithoutHomebrewThenInstalled) {
    Mac mac("arm64");
    const Mac::Pass before = mac.probe();
    EXPECT_EQ(before.profile.architecture, Architecture::appleSilicon);
    EXPECT_EQ(before.profile.homebrewPrefix, std::nullopt);
    EXPECT_TRUE(before.probes.installedPrimaryToolLocations.isEmpty());
    EXPECT_EQ(before.probes.versionExitCode, 127);

    EXPECT_EQ(before.workflow.primaryDomainIDs(), (QStringList{"clt", "homebrew", "warp"}));
    EXPECT_EQ(before.workflow.steps.size(), 13);
    EXPECT_EQ(before.workflow.nextDomainID(DomainPlacement::primary), QStringLiteral("homebrew"))
        << "the Command Line Tools are there";
    EXPECT_EQ(homebrewStatus(before), "Homebrew: not installed");
    EXPECT_EQ(homebrewActions(before), QList{SetupRemediation::installHomebrew().setupAction()});
    EXPECT_EQ(mac.edition.remediations("homebrew", before.profile, before.probes),
              QList{SetupRemediation::installHomebrew()});
    EXPECT_EQ(brewSpineCopy()
                  .screenCopy("homebrew", stageOf(before.workflow.steps, "homebrew").diagnosis())
                  ->headline,
              "Install Homebrew");

    const SetupVerificationResult unverified = mac.verify(before);
    EXPECT_FALSE(unverified.passed);
    EXPECT_EQ(unverified.exitCode, 127);
    EXPECT_EQ(unverified.engineOutcome, QStringLiteral("blocked"));

    // The installer puts brew in place and its folder on the login shell's PATH; the re-probe sees it.
    mac.installBrew("/opt/homebrew/bin/brew", "4.5.2");
    mac.addToLoginPath("/opt/homebrew/bin");
    const Mac::Pass after = mac.probe();
    EXPECT_EQ(after.profile.homebrewPrefix, QStringLiteral("/opt/homebrew/bin/brew"));
    EXPECT_EQ(HomebrewLocationState::classify(after.profile, after.probes), HomebrewLocationState::installed);
    EXPECT_EQ(homebrewStatus(after), "Homebrew: installed");
    EXPECT_TRUE(homebrewActions(after).isEmpty());
    EXPECT_EQ(after.workflow.nextDomainID(DomainPlacement::primary), QStringLiteral("warp"));
    EXPECT_EQ(mac.verify(after), SetupVerificationResult("Homebrew 4.5.2\nHomebrew/homebrew-core\n", true, 0,
                                                         QStringLiteral("likely_resolved"),
                                                         {"Homebrew installed — version 4.5.2"}));
}

TEST(EditionEndToEnd, HomebrewOnAppleSiliconFoundOrNotByTheLoginShell) {
    Mac mac("arm64");
    mac.installBrew("/opt/homebrew/bin/brew", "4.5.2");

    // Installed, but ~/.zprofile does not put it on PATH: repair the PATH, checked locally.
    const Mac::Pass hidden = mac.probe();
    EXPECT_EQ(hidden.profile.homebrewPrefix, QStringLiteral("/opt/homebrew/bin/brew"));
    EXPECT_EQ(homebrewStatus(hidden), "Homebrew: installed, not on PATH");
    EXPECT_EQ(homebrewActions(hidden), QList{SetupRemediation::repairHomebrewPath().setupAction()});
    EXPECT_EQ(homebrewActions(hidden)[0].verifyPolicy, VerifyPolicy::localVerification);
    EXPECT_FALSE(mac.verify(hidden).passed);

    // After the PATH repair: ready, no action left, verified with its version.
    mac.addToLoginPath("/opt/homebrew/bin");
    const Mac::Pass found = mac.probe();
    EXPECT_THAT(found.probes.pathVisiblePrimaryTools, ElementsAre(mac.sandbox.map("/opt/homebrew/bin/brew")));
    EXPECT_THAT(found.probes.installedPrimaryToolLocations, ElementsAre("/opt/homebrew/bin/brew"));
    EXPECT_EQ(found.probes.versionOutput, QStringLiteral("Homebrew 4.5.2\nHomebrew/homebrew-core"));
    EXPECT_EQ(
        stageOf(found.workflow.steps, "homebrew").diagnosis(),
        (SetupDiagnosis{"Homebrew is installed",
                        "Homebrew is present — we'll use it to install your tools coherently and keep them "
                        "updatable.",
                        C::ready}));
    EXPECT_TRUE(homebrewActions(found).isEmpty());
    EXPECT_EQ(mac.verify(found).verifiedItems, QStringList{"Homebrew installed — version 4.5.2"});
}

TEST(EditionEndToEnd, HomebrewInBothPlaces) {
    Mac mac("arm64");
    mac.installBrew("/opt/homebrew/bin/brew", "4.5.2");
    mac.installBrew("/usr/local/bin/brew", "3.6.0");
    mac.addToLoginPath("/usr/local/bin");
    mac.addToLoginPath("/opt/homebrew/bin");

    const Mac::Pass pass = mac.probe();
    EXPECT_THAT(pass.probes.installedPrimaryToolLocations,
                ElementsAre("/opt/homebrew/bin/brew", "/usr/local/bin/brew"));
    EXPECT_THAT(pass.probes.pathVisiblePrimaryTools, ElementsAre(mac.sandbox.map("/opt/homebrew/bin/brew"),
                                                                 mac.sandbox.map("/usr/local/bin/brew")));
    EXPECT_EQ(HomebrewLocationState::classify(pass.profile, pass.probes),
              HomebrewLocationState::installedInTwoPlaces);
    EXPECT_EQ(stageOf(pass.workflow.steps, "homebrew").diagnosis(),
              (SetupDiagnosis{
                  "Homebrew is installed",
                  "You have Homebrew in two places (/opt/homebrew and /usr/local). We'll use the native "
                  "/opt/homebrew and leave the other one untouched.",
                  C::ready}));
    EXPECT_TRUE(homebrewActions(pass).isEmpty());
    EXPECT_EQ(homebrewStatus(pass), "Homebrew: installed");
    // The login shell runs the native one first.
    EXPECT_EQ(mac.verify(pass).verifiedItems, QStringList{"Homebrew installed — version 4.5.2"});

    // Only the Intel copy on Apple Silicon: the wrong chip, install the native one.
    QFile::remove(mac.sandbox.map("/opt/homebrew/bin/brew"));
    const Mac::Pass intelOnly = mac.probe();
    EXPECT_EQ(homebrewStatus(intelOnly), "Homebrew: installed for the wrong chip");
    EXPECT_EQ(homebrewActions(intelOnly), QList{SetupRemediation::installHomebrew().setupAction()});
    EXPECT_EQ(mac.verify(intelOnly).verifiedItems, QStringList{"Homebrew installed — version 3.6.0"})
        << "the Intel brew still answers";

    // The same copy on an Intel Mac is simply installed, and the spine has no Codex stage.
    Mac intel("x86_64");
    intel.installBrew("/usr/local/bin/brew", "4.5.2");
    intel.addToLoginPath("/usr/local/bin");
    const Mac::Pass intelPass = intel.probe();
    EXPECT_EQ(intelPass.profile.architecture, Architecture::intel);
    EXPECT_EQ(homebrewStatus(intelPass), "Homebrew: installed");
    EXPECT_EQ(intelPass.workflow.steps.size(), 12);
    EXPECT_EQ(intelPass.workflow.placement("codex"), std::nullopt);
}
