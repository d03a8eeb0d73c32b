// The Homebrew edition: where Homebrew is and what the user is told about it, the prober and verifier
// on a sandboxed Mac (stub programs, the real zsh as login shell), the spine and the screen texts.

#include "catalog/AICodingDomains.h"
#include "editions/brew/BrewProber.h"
#include "editions/brew/BrewSpineCopy.h"
#include "editions/brew/BrewSpineProvider.h"
#include "editions/brew/BrewVerifier.h"

#include "EditionFixtures.h"
#include "support/Sandbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using testing::ElementsAre;

namespace {

using C = SetupDiagnosisClassification;
using S = HomebrewLocationState;

const QString nativeBrew = QStringLiteral("/opt/homebrew/bin/brew");
const QString intelBrew = QStringLiteral("/usr/local/bin/brew");

SetupProbeBundle brewFacts(QStringList installed, std::optional<int> versionExit, QStringList onPath) {
    SetupProbeBundle bundle;
    bundle.installedPrimaryToolLocations = std::move(installed);
    bundle.versionExitCode = versionExit;
    bundle.pathVisiblePrimaryTools = std::move(onPath);
    if (versionExit == 0) bundle.versionOutput = QStringLiteral("Homebrew 4.5.2");
    return bundle;
}

// A sandboxed Mac whose login shell is the real zsh.
struct ZshMac {
    ZshMac() { sandbox.linkSystemProgram("/bin/zsh"); }
    // The login shell finds nothing outside this machine's own /usr/bin and /bin.
    void hideSandboxPath() { sandbox.writeFile("/Users/tester/.zprofile", "export PATH=/usr/bin:/bin\n"); }
    const AppServices& services() const { return sandbox.services(); }
    Sandbox sandbox;
};

void writeStubShell(Sandbox& sandbox, const QString& whichOut, int whichExit, const QString& versionOut,
                    int versionExit) {
    test::writeStubShell(sandbox, {{"/usr/bin/which -a brew", whichOut, whichExit},
                                   {"brew --version 2>&1", versionOut, versionExit}});
}

SetupVerificationResult verifyOn(const Sandbox& sandbox) {
    return BrewVerifier().verify(std::nullopt, sandbox.services().processRunner, sandbox.services().fs);
}

} // namespace

TEST(HomebrewLocationState, ClassifiesEveryInstallShape) {
    struct Case {
        const char* what;
        Architecture architecture;
        QStringList installed;
        std::optional<int> versionExit;
        QStringList onPath;
        S expected;
    };
    const QStringList works{"/opt/homebrew/bin/brew"};
    const QList<Case> cases{
        {"native install that works", Architecture::appleSilicon, {nativeBrew}, 0, works, S::installed},
        {"Intel Mac, Intel location", Architecture::intel, {intelBrew}, 0, {intelBrew}, S::installed},
        {"Intel location on Apple Silicon, working",
         Architecture::appleSilicon,
         {intelBrew},
         0,
         {intelBrew},
         S::wrongChip},
        {"Intel location on Apple Silicon, not working",
         Architecture::appleSilicon,
         {intelBrew},
         127,
         {},
         S::wrongChip},
        {"Intel location, unknown chip, not working",
         Architecture::unknown,
         {intelBrew},
         127,
         {},
         S::notOnPath},
        {"two places on Apple Silicon",
         Architecture::appleSilicon,
         {nativeBrew, intelBrew},
         0,
         works,
         S::installedInTwoPlaces},
        {"two places on Intel",
         Architecture::intel,
         {nativeBrew, intelBrew},
         0,
         works,
         S::installedInTwoPlaces},
        {"two places, unknown chip",
         Architecture::unknown,
         {nativeBrew, intelBrew},
         0,
         works,
         S::installedInTwoPlaces},
        {"two places, version fails",
         Architecture::appleSilicon,
         {nativeBrew, intelBrew},
         1,
         works,
         S::notOnPath},
        {"two places, which finds nothing",
         Architecture::appleSilicon,
         {nativeBrew, intelBrew},
         0,
         {},
         S::notOnPath},
        {"native, version works, which empty", Architecture::appleSilicon, {nativeBrew}, 0, {}, S::notOnPath},
        {"native, shell could not start", Architecture::appleSilicon, {nativeBrew}, -1, {}, S::notOnPath},
        {"native, version never ran",
         Architecture::appleSilicon,
         {nativeBrew},
         std::nullopt,
         works,
         S::notOnPath},
        {"brew elsewhere on PATH only",
         Architecture::appleSilicon,
         {},
         0,
         {"/Users/tester/bin/brew"},
         S::notInstalled},
        {"nothing", Architecture::intel, {}, 127, {}, S::notInstalled},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S::classify(profileOn(c.architecture), brewFacts(c.installed, c.versionExit, c.onPath)),
                  c.expected)
            << c.what;
}

TEST(HomebrewLocationState, EachStateTellsTheUserItsOwnStory) {
    // The installed and not-installed texts come from the wording given; the other three are fixed.
    SharedDomainCopy wording = SharedDomainCopy::standard();
    wording.homebrewReady = {"ready headline", "ready detail"};
    wording.homebrewFixable = {"fixable headline", "fixable detail"};

    EXPECT_EQ(S::diagnosis(S::installed, wording),
              (SetupDiagnosis{"ready headline", "ready detail", C::ready}));
    EXPECT_EQ(S::diagnosis(S::notInstalled, wording),
              (SetupDiagnosis{"fixable headline", "fixable detail", C::fixable}));
    EXPECT_EQ(S::diagnosis(S::installedInTwoPlaces, wording),
              (SetupDiagnosis{"Homebrew is installed",
                              "You have Homebrew in two places (/opt/homebrew and /usr/local). We'll use the "
                              "native /opt/homebrew and leave the other one untouched.",
                              C::ready}));
    EXPECT_EQ(
        S::diagnosis(S::notOnPath, wording),
        (SetupDiagnosis{"Homebrew is installed, but your shell can't find it",
                        "brew is on your Mac but not on your PATH, so your terminal reports \"command not "
                        "found\". We'll add it to ~/.zprofile (backed up first) and re-check in a fresh "
                        "shell.",
                        C::fixable}));
    EXPECT_EQ(
        S::diagnosis(S::wrongChip, wording),
        (SetupDiagnosis{"Homebrew is installed for the wrong chip",
                        "Your Mac is Apple Silicon, but Homebrew is in the Intel location (/usr/local). "
                        "We'll install the native Homebrew in /opt/homebrew and leave the existing one "
                        "untouched.",
                        C::fixable}));

    // Through the domain diagnosis with the standard wording.
    const SharedDomainCopy& standard = SharedDomainCopy::standard();
    EXPECT_EQ(BrewSpineProvider::diagnosis("homebrew", profileOn(Architecture::intel),
                                           brewFacts({intelBrew}, 0, {intelBrew}), standard),
              (SetupDiagnosis{standard.homebrewReady.headline, standard.homebrewReady.detail, C::ready}));
    EXPECT_EQ(BrewSpineProvider::diagnosis("homebrew", profileOn(Architecture::intel), brewFacts({}, 127, {}),
                                           standard),
              (SetupDiagnosis{"Homebrew isn't installed", standard.homebrewFixable.detail, C::fixable}));
}

TEST(BrewProber, AsksTheRealLoginShellAndTheTwoWellKnownFiles) {
    ZshMac mac;
    mac.sandbox.writeStub(nativeBrew,
                          StubSpec().withStdOut("Homebrew 4.5.2\nHomebrew/homebrew-core (git)\n"));
    const SetupProbeBundle bundle = BrewProber().probe(mac.services().processRunner, mac.services().fs);

    // `which -a` names the file as this machine sees it (inside the sandbox).
    EXPECT_THAT(bundle.pathVisiblePrimaryTools, ElementsAre(mac.sandbox.map(nativeBrew)));
    EXPECT_THAT(bundle.installedPrimaryToolLocations, ElementsAre(nativeBrew));
    EXPECT_EQ(bundle.versionOutput, QStringLiteral("Homebrew 4.5.2\nHomebrew/homebrew-core (git)"));
    EXPECT_EQ(bundle.versionExitCode, 0);
    ASSERT_EQ(mac.sandbox.calls(nativeBrew).size(), 1);
    EXPECT_THAT(mac.sandbox.calls(nativeBrew)[0].arguments, ElementsAre("--version"));
    EXPECT_FALSE(bundle.companionToolPresent || bundle.shellConfigured || bundle.agentDocNeeded ||
                 bundle.projectExists || bundle.ghPresent || bundle.gitIdentitySet || bundle.ghAuthed);

    // Both files, found by the login shell through ~/.zprofile: the fixed order, whatever PATH says.
    mac.sandbox.writeStub(intelBrew, StubSpec().withStdErr("Homebrew 4.4.0\n").withExitCode(3));
    mac.sandbox.writeFile("/Users/tester/.zprofile",
                          QStringLiteral("export PATH=%1:%2:/usr/bin:/bin\n")
                              .arg(mac.sandbox.map("/usr/local/bin"), mac.sandbox.map("/opt/homebrew/bin"))
                              .toUtf8());
    const SetupProbeBundle both = BrewProber().probe(mac.services().processRunner, mac.services().fs);
    EXPECT_THAT(both.pathVisiblePrimaryTools,
                ElementsAre(mac.sandbox.map(intelBrew), mac.sandbox.map(nativeBrew)));
    EXPECT_THAT(both.installedPrimaryToolLocations, ElementsAre(nativeBrew, intelBrew));
    // The version command's standard error is merged in; a failing status is kept with its output.
    EXPECT_EQ(both.versionOutput, QStringLiteral("Homebrew 4.4.0"));
    EXPECT_EQ(both.versionExitCode, 3);

    // The login shell does not find brew: nothing on PATH, the shell's own status.
    mac.hideSandboxPath();
    const SetupProbeBundle hidden = BrewProber().probe(mac.services().processRunner, mac.services().fs);
    EXPECT_TRUE(hidden.pathVisiblePrimaryTools.isEmpty());
    EXPECT_THAT(hidden.installedPrimaryToolLocations, ElementsAre(nativeBrew, intelBrew));
    EXPECT_EQ(hidden.versionExitCode, 127);
    EXPECT_EQ(S::classify(profileOn(Architecture::appleSilicon), hidden), S::notOnPath);
}

TEST(BrewProber, ReadsWhatTheShellPrintsAndFoldsFailures) {
    Sandbox sandbox;
    // Blank lines dropped, spaces and tabs trimmed, order kept; whitespace-only version output is absent.
    writeStubShell(sandbox, "/opt/homebrew/bin/brew\n\n \t/usr/local/bin/brew  \r\n", 0, "  \n\t\n", 0);
    SetupProbeBundle bundle = BrewProber().probe(sandbox.services().processRunner, sandbox.services().fs);
    EXPECT_THAT(bundle.pathVisiblePrimaryTools, ElementsAre(nativeBrew, intelBrew));
    EXPECT_EQ(bundle.versionOutput, std::nullopt);
    EXPECT_EQ(bundle.versionExitCode, 0);
    EXPECT_TRUE(bundle.installedPrimaryToolLocations.isEmpty());
    EXPECT_EQ(S::classify(profileOn(Architecture::appleSilicon), bundle), S::notInstalled)
        << "a brew on PATH is not an install";
    for (const StubCall& call : sandbox.calls("/bin/zsh"))
        EXPECT_EQ(call.arguments.value(0), "-lc");
    EXPECT_THAT(shellCommands(sandbox),
                testing::UnorderedElementsAre("/usr/bin/which -a brew", "brew --version 2>&1"));

    // `which` failing gives no paths even when it printed some.
    writeStubShell(sandbox, "/opt/homebrew/bin/brew\n", 1, "Error: broken\n", 1);
    bundle = BrewProber().probe(sandbox.services().processRunner, sandbox.services().fs);
    EXPECT_TRUE(bundle.pathVisiblePrimaryTools.isEmpty());
    EXPECT_EQ(bundle.versionOutput, QStringLiteral("Error: broken"));
    EXPECT_EQ(bundle.versionExitCode, 1);

    // No shell at all: nothing on PATH, no version, -1; the file checks still count.
    Sandbox noShell;
    noShell.writeStub(intelBrew);
    bundle = BrewProber().probe(noShell.services().processRunner, noShell.services().fs);
    EXPECT_TRUE(bundle.pathVisiblePrimaryTools.isEmpty());
    EXPECT_EQ(bundle.versionOutput, std::nullopt);
    EXPECT_EQ(bundle.versionExitCode, -1);
    EXPECT_THAT(bundle.installedPrimaryToolLocations, ElementsAre(intelBrew));
}

TEST(BrewVerifier, ReadsBrewVersionInAFreshLoginShell) {
    ZshMac mac;
    const QString fullOutput = QStringLiteral("Homebrew 4.5.2\nHomebrew/homebrew-core (git revision 1a2b)\n");
    struct Case {
        QString output;
        bool onStandardError;
        QString item;
    };
    const QList<Case> cases{
        {fullOutput, false, "Homebrew installed — version 4.5.2"},
        // Standard error is merged into the output by the command itself.
        {QStringLiteral("Homebrew 4.6.0\n"), true, "Homebrew installed — version 4.6.0"},
        {QStringLiteral("Warning: update available\nHomebrew 4.5.2\n"), false, "Homebrew installed"},
        {QStringLiteral("Homebrew\n"), false, "Homebrew installed"},
        // A tab does not separate words.
        {QStringLiteral("Homebrew\t4.5.2\n"), false, "Homebrew installed"},
        {QStringLiteral("  Homebrew   4.5.2"), false, "Homebrew installed — version 4.5.2"},
    };
    for (const Case& c : cases) {
        mac.sandbox.writeStub(nativeBrew, c.onStandardError ? StubSpec().withStdErr(c.output)
                                                            : StubSpec().withStdOut(c.output));
        EXPECT_EQ(verifyOn(mac.sandbox),
                  SetupVerificationResult(c.output, true, 0, QStringLiteral("likely_resolved"), {c.item}))
            << c.output.toStdString();
    }

    // Status 0 with blank output: not verified.
    mac.sandbox.writeStub(nativeBrew, StubSpec().withStdOut(" \n\n"));
    EXPECT_EQ(verifyOn(mac.sandbox), SetupVerificationResult(" \n\n", false, 0, QStringLiteral("blocked")));

    // brew's own failure keeps its output and status.
    mac.sandbox.writeStub(nativeBrew, StubSpec().withStdOut("Error: no\n").withExitCode(1));
    EXPECT_EQ(verifyOn(mac.sandbox),
              SetupVerificationResult("Error: no\n", false, 1, QStringLiteral("blocked")));

    // The login shell does not find brew: zsh's 127 and whatever it wrote to standard output.
    mac.hideSandboxPath();
    const SetupVerificationResult missing = verifyOn(mac.sandbox);
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_FALSE(missing.passed);
    EXPECT_EQ(missing.engineOutcome, QStringLiteral("blocked"));
    EXPECT_TRUE(missing.verifiedItems.isEmpty());
    EXPECT_THAT(missing.rawOutput.toStdString(), testing::HasSubstr("command not found: brew"));

    // A PATH entry written to ~/.zprofile during the setup takes effect for the check.
    mac.sandbox.writeStub("/opt/elsewhere/bin/brew", StubSpec().withStdOut(fullOutput));
    mac.sandbox.writeFile("/Users/tester/.zprofile", ("export PATH=/usr/bin:/bin\nexport PATH=\"" +
                                                      mac.sandbox.map("/opt/elsewhere/bin") + ":$PATH\"\n")
                                                         .toUtf8());
    EXPECT_TRUE(verifyOn(mac.sandbox).passed);

    // No shell to start.
    Sandbox noShell;
    EXPECT_EQ(verifyOn(noShell), SetupVerificationResult("", false, -1, QStringLiteral("blocked")));
}

TEST(BrewSpineProvider, StepsAndPlacementsPerChip) {
    const SetupProbeBundle none = brewFacts({}, 127, {});
    const QStringList optionalTail{"ai-claude", "codex",        "project",   "skills",     "mcp",
                                   "editor",    "shell-config", "languages", "agent-docs", "git"};
    for (const Architecture architecture :
         {Architecture::appleSilicon, Architecture::unknown, Architecture::intel}) {
        const std::optional<SetupWorkflow> workflow =
            BrewSpineProvider().makeSpine(std::nullopt, profileOn(architecture), none, emptySpineSelection());
        ASSERT_TRUE(workflow);
        QStringList optional = optionalTail;
        if (architecture == Architecture::intel) optional.removeOne("codex");
        EXPECT_EQ(workflow->primaryDomainIDs(), (QStringList{"clt", "homebrew", "warp"}));
        EXPECT_TRUE(workflow->offerDomainIDs().isEmpty());
        EXPECT_EQ(workflow->optionalDomainIDs(), optional);
        EXPECT_EQ(workflow->steps.size(), architecture == Architecture::intel ? 12 : 13);

        // Given a focus domain there is no workflow at all.
        EXPECT_EQ(BrewSpineProvider().makeSpine(QStringLiteral("clt"), profileOn(architecture), none,
                                                emptySpineSelection()),
                  std::nullopt);
        EXPECT_EQ(
            BrewSpineProvider().makeSpine(QString(), profileOn(architecture), none, emptySpineSelection()),
            std::nullopt);
    }

    // A bare Apple Silicon Mac: every stage with its verdict and actions.
    const std::optional<SetupWorkflow> bare = BrewSpineProvider::makeSpine(
        std::nullopt, profileOn(Architecture::appleSilicon), none, SharedDomainCopy::standard());
    EXPECT_EQ(
        describe(bare->steps),
        (QStringList{
            "clt primary fixable [clt/installCompletion]",
            "homebrew primary fixable [homebrew/installCompletion]",
            "warp primary fixable [brew:warp/installCompletion]",
            "ai-claude optional fixable [brew:claude/localVerification "
            "brew:claude-code@latest/localVerification]",
            "codex optional fixable [brew:codex/installCompletion brew:codex-app/installCompletion]",
            "project optional fixable [example:simple/installCompletion]",
            "skills optional fixable []",
            "mcp optional fixable []",
            "editor optional fixable [brew:zed/installCompletion brew:visual-studio-code/installCompletion]",
            "shell-config optional fixable [shell-config/installCompletion]",
            "languages optional fixable []",
            "agent-docs optional ready []",
            "git optional fixable []",
        }));
}

TEST(BrewSpineProvider, HomebrewStageFollowsTheLocationState) {
    const BrewSpineProvider provider;
    const SpineCopy copy = brewSpineCopy();
    const SystemProfile appleSilicon = profileOn(Architecture::appleSilicon);
    const auto homebrewStage = [&](const SetupProbeBundle& facts) {
        const std::optional<SetupWorkflow> workflow =
            provider.makeSpine(std::nullopt, appleSilicon, facts, emptySpineSelection());
        const SetupStage& stage = stageOf(workflow->steps, "homebrew");
        return BasicSetupStage(stage.domainID(), stage.diagnosis(), stage.actions());
    };

    // In two places: ready, nothing to do.
    const BasicSetupStage twoPlaces = homebrewStage(brewFacts({nativeBrew, intelBrew}, 0, {nativeBrew}));
    EXPECT_EQ(twoPlaces.diagnosis().classification, C::ready);
    EXPECT_TRUE(twoPlaces.actions().isEmpty());
    EXPECT_EQ(copy.statusLabel("homebrew", twoPlaces.diagnosis()), "Homebrew: installed");

    // Not on the login shell's PATH: repair the PATH, checked locally.
    const BasicSetupStage notOnPath = homebrewStage(brewFacts({nativeBrew}, 127, {}));
    EXPECT_EQ(notOnPath.actions(), QList{SetupRemediation::repairHomebrewPath().setupAction()});
    EXPECT_EQ(notOnPath.actions()[0].verifyPolicy, VerifyPolicy::localVerification);
    EXPECT_EQ(copy.statusLabel("homebrew", notOnPath.diagnosis()), "Homebrew: installed, not on PATH");
    const std::optional<SpineScreenCopy> repairScreen = copy.screenCopy("homebrew", notOnPath.diagnosis());
    ASSERT_TRUE(repairScreen);
    EXPECT_EQ(repairScreen->headline, "Homebrew is installed, but your shell can't find it");
    EXPECT_EQ(repairScreen->body, notOnPath.diagnosis().detail);

    // Intel location on Apple Silicon: install the native one, complete when the installer ends.
    const BasicSetupStage wrongChip = homebrewStage(brewFacts({intelBrew}, 0, {intelBrew}));
    EXPECT_EQ(wrongChip.actions(), QList{SetupRemediation::installHomebrew().setupAction()});
    EXPECT_EQ(wrongChip.actions()[0].verifyPolicy, VerifyPolicy::installCompletion);
    EXPECT_EQ(copy.statusLabel("homebrew", wrongChip.diagnosis()), "Homebrew: installed for the wrong chip");
    EXPECT_EQ(copy.screenCopy("homebrew", wrongChip.diagnosis())->headline,
              "Homebrew is installed for the wrong chip");

    // A re-probe after the repair: the shell finds brew, the action is gone.
    const BasicSetupStage repaired = homebrewStage(brewFacts({nativeBrew}, 0, {nativeBrew}));
    EXPECT_EQ(repaired.diagnosis().classification, C::ready);
    EXPECT_TRUE(repaired.actions().isEmpty());
    EXPECT_EQ(copy.screenCopy("homebrew", repaired.diagnosis())->headline, "Install Homebrew");
}

TEST(BrewSpineProvider, CoreDomainsAndDelegatedDomains) {
    const BrewSpineProvider provider;
    const SpineCopy copy = brewSpineCopy();
    const SetupProbeBundle none = brewFacts({}, 127, {});

    // Command Line Tools missing, then present.
    SystemProfile profile = profileOn(Architecture::intel);
    const SetupDiagnosis clt =
        BrewSpineProvider::diagnosis("clt", profile, none, SharedDomainCopy::standard());
    EXPECT_EQ(clt, (SetupDiagnosis{SharedDomainCopy::standard().cltFixable.headline,
                                   SharedDomainCopy::standard().cltFixable.detail, C::fixable}));
    EXPECT_EQ(provider.remediations("clt", profile, none),
              QList{SetupRemediation::installCommandLineTools()});
    EXPECT_EQ(copy.statusLabel("clt", clt), "Command Line Tools: not installed");
    profile.xcodeCommandLineToolsPath = QStringLiteral("/Library/Developer/CommandLineTools");
    EXPECT_EQ(BrewSpineProvider::diagnosis("clt", profile, none, SharedDomainCopy::standard()).classification,
              C::ready);
    EXPECT_TRUE(provider.remediations("clt", profile, none).isEmpty());

    // Warp present only as the application, or only as a terminal: ready, nothing to do.
    SystemProfile warpApp = profileOn(Architecture::intel);
    warpApp.aiTooling.warpApp = true;
    SystemProfile warpTerminal = profileOn(Architecture::intel);
    warpTerminal.terminals.warp = true;
    for (const SystemProfile& withWarp : {warpApp, warpTerminal}) {
        EXPECT_EQ(BrewSpineProvider::diagnosis("warp", withWarp, none, SharedDomainCopy::standard()),
                  (SetupDiagnosis{"Warp is installed", "You already have Warp.", C::ready}));
        EXPECT_TRUE(provider.remediations("warp", withWarp, none).isEmpty());
    }
    EXPECT_EQ(provider.remediations("warp", profile, none), QList{SetupRemediation::installWarp()});

    // Every other id is the developer-environment rules' answer, ids compared exactly.
    SystemProfile tooled = profileOn(Architecture::appleSilicon);
    tooled.homebrewPrefix = nativeBrew;
    tooled.aiTooling.claudeCodeDesktop = true;
    for (const char* id :
         {"ai-claude", "codex", "project", "editor", "shell-config", "languages", "git", "x"}) {
        EXPECT_EQ(provider.remediations(id, tooled, none), aiCodingRemediations(id, tooled, none)) << id;
        if (isAICodingDomain(id)) {
            EXPECT_EQ(BrewSpineProvider::diagnosis(id, tooled, none), *aiCodingDiagnosis(id, tooled, none))
                << id;
        }
    }
    EXPECT_EQ(provider.remediations("project", tooled, none).size(), 2) << "simple, then coding";
    for (const char* id : {"claude-cli", "Homebrew", "CLT", "something-else"})
        EXPECT_EQ(BrewSpineProvider::diagnosis(id, tooled, none), (SetupDiagnosis{id, "", C::unknown})) << id;
    EXPECT_TRUE(provider.remediations("Homebrew", tooled, none).isEmpty());
}

TEST(BrewSpineCopy, ScreensLabelsAndTexts) {
    const SpineCopy copy = brewSpineCopy();
    EXPECT_EQ(copy.screenCopy("clt", std::nullopt),
              (SpineScreenCopy{
                  "Command Line Tools", "Install the Command Line Tools",
                  "Apple's Command Line Tools provide basic programs Homebrew needs. This can take many "
                  "minutes; we'll continue automatically when it finishes.",
                  std::nullopt}));
    EXPECT_EQ(
        copy.screenCopy("homebrew", std::nullopt),
        (SpineScreenCopy{"Homebrew package manager", "Install Homebrew",
                         "This installs Homebrew, the macOS package manager, and wires it onto your PATH.",
                         std::nullopt}));
    // A diagnosis headline that only resembles a location headline keeps the install screen.
    EXPECT_EQ(copy.screenCopy("homebrew",
                              SetupDiagnosis{"Homebrew is installed for the wrong chip.", "d", C::fixable})
                  ->headline,
              "Install Homebrew");
    EXPECT_EQ(
        copy.screenCopy("warp", std::nullopt),
        (SpineScreenCopy{"The terminal", "Install Warp, a better terminal",
                         "Warp is a fast terminal with AI to help learn and remember commands. Pellinor "
                         "recommends it.",
                         std::nullopt}));
    for (const char* id : {"git", "ai-claude", "Warp", ""})
        EXPECT_EQ(copy.screenCopy(id, std::nullopt), std::nullopt) << id;

    EXPECT_EQ(copy.statusLabel("languages", {"h", "d", C::blocked}), "languages: needs attention");
    EXPECT_EQ(copy.statusLabel("warp", {"h", "d", C::ready}), "Warp: installed");
    EXPECT_EQ(copy.statusLabel("git", {"h", "d", C::unknown}), "git: unknown");
    // The location wording applies to the Homebrew domain only.
    EXPECT_EQ(copy.statusLabel("clt", {"Homebrew is installed for the wrong chip", "d", C::fixable}),
              "Command Line Tools: not installed");

    EXPECT_THAT(
        (QStringList{copy.diagnosisWindowTitle, copy.diagnosisHeadline, copy.diagnosisFooter,
                     copy.diagnosisArticlePath, copy.verifyingTitle, copy.continueWindowTitle,
                     copy.continueHeadline, copy.continueBody, copy.summaryWindowTitle, copy.summaryHeadline,
                     copy.summaryAllVerified, copy.summarySomeUnverified, copy.selfCheckTip,
                     copy.outcomeQuestion, copy.updateArticlePath, copy.troubleshootingArticlePath,
                     copy.outcomeWindowTitle, copy.projectFolderPrompt}),
        ElementsAre("Diagnosis", "Here's what the system check found",
                    "Nothing changes on your Mac without your okay.", "homebrew", "Verifying Homebrew…",
                    "Homebrew is installed", "Homebrew is set up",
                    "Want to keep going and set up the rest of your developer environment? You can add a "
                    "better editor, AI coding tools, and programming languages.",
                    "Done", "Your Mac is ready", "All tools are verified as working",
                    "Some tools could not be verified. You can re-run the setup, or continue and try again.",
                    "In a terminal, run: brew doctor", "Did this pretty much complete what you came to do?",
                    "homebrew/update", "homebrew", "One last question", "Choose a folder to work in"));
}
