// The Homebrew edition on a bare Mac, from the consent screen to the end of the guided setup.

#include "JourneyFixture.h"

#include "remediation/ApplicationResources.h"
#include "setup/SetupActionBatch.h"
#include "support/FileMode.h"
#include "support/ProcessChecks.h"
#include "support/RealShell.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/setup/SetupWorkflowView.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include <gmock/gmock.h>

#include <toml++/toml.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class HomebrewJourney : public JourneyTest {
protected:
    explicit HomebrewJourney(const QString& homeName = QStringLiteral("tester"))
        : JourneyTest(ProductConfig::homebrewEdition(), homeName) {
        journeyName_ = QStringLiteral("homebrew");
        sandbox_.writeStub(QStringLiteral("/usr/bin/uname"), StubSpec().withStdOut("arm64\n"));
        // xcode-select answers from the sandbox's folder, so that it tells the truth after the install.
        const QString clt = sandbox_.map(QStringLiteral("/Library/Developer/CommandLineTools"));
        sandbox_.writeStub(
            QStringLiteral("/usr/bin/xcode-select"),
            StubSpec().withScript(QStringLiteral("[ -d '%1' ] || { echo 'xcode-select: error: unable to "
                                                 "get active developer directory' >&2; exit 2; }\n"
                                                 "echo /Library/Developer/CommandLineTools\n")
                                      .arg(clt)));
        // sudo plays the privileged Command Line Tools install: the folder and its clang appear.
        sandbox_.writeStub(
            QStringLiteral("/usr/bin/sudo"),
            StubSpec()
                .withStdOut("Software Update Tool\nInstalling Command Line Tools for Xcode\n")
                .withScript(
                    QStringLiteral("/bin/mkdir -p '%1/usr/bin' && /usr/bin/touch '%1/usr/bin/clang'\n")
                        .arg(clt)));
        sandbox_.linkSystemProgram(QStringLiteral("/bin/zsh"));
        sandbox_.linkSystemProgram(QStringLiteral("/usr/bin/which"));
        // The real bash runs the install commands; curl fetches every https address from the loopback
        // server instead (https://host/path -> http://127.0.0.1:port/host/path).
        sandbox_.linkSystemProgram(QStringLiteral("/bin/bash"));
        sandbox_.writeStub(
            QStringLiteral("/usr/bin/curl"),
            StubSpec().withScript(
                QStringLiteral(
                    "args=()\nfor a in \"$@\"; do case \"$a\" in https://*) a=\"%1/${a#https://}\";; esac; "
                    "args+=(\"$a\"); done\nexec /usr/bin/curl \"${args[@]}\"\n")
                    .arg(QStringLiteral("http://127.0.0.1:%1").arg(web_.port()))));
        // Homebrew's install script puts the brew program of this Mac in place.
        sandbox_.writeStub(QStringLiteral("/.journey/brew"), brewSpec());
        sandbox_.linkSystemProgram(QStringLiteral("/usr/bin/git"));
        web_.route(
            QStringLiteral("/astral.sh/uv/install.sh"),
            LoopbackResponse{
                200,
                {},
                QStringLiteral("echo 'installing to $HOME/.local/bin'\n"
                               "/bin/mkdir -p \"$HOME/.local/bin\" && /bin/cp '%1' \"$HOME/.local/bin/uv\"\n")
                    .arg(sandbox_.map(QStringLiteral("/.journey/uv")))
                    .toUtf8()});
        web_.route(QStringLiteral("/raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"),
                   homebrewScript());
    }
    // Homebrew's install script: it puts the brew program of this Mac in place.
    LoopbackResponse homebrewScript() const {
        return LoopbackResponse{200,
                                {},
                                QStringLiteral("echo '==> Downloading and installing Homebrew...'\n"
                                               "/bin/mkdir -p '%1' && /bin/cp '%2' '%1/brew'\n"
                                               "echo '==> Installation successful!'\n")
                                    .arg(sandbox_.map(QStringLiteral("/opt/homebrew/bin")),
                                         sandbox_.map(QStringLiteral("/.journey/brew")))
                                    .toUtf8()};
    }
    // brew: its version and shell environment; an install puts the program or application where a Mac
    // has it (and, for the two coding agents, the settings folder their first start makes).
    StubSpec brewSpec() {
        const QString bin = sandbox_.map(QStringLiteral("/opt/homebrew/bin"));
        const QString apps = sandbox_.map(QStringLiteral("/Applications"));
        for (const char* tool : {"claude", "codex", "gh", "uv"})
            sandbox_.writeStub(QStringLiteral("/.journey/") + QLatin1String(tool), toolSpec(tool));
        const QString staged = sandbox_.map(QStringLiteral("/.journey"));
        return StubSpec().withScript(
            QStringLiteral(
                "case \"$1\" in\n"
                "  --version) echo 'Homebrew 4.4.0';;\n"
                "  --prefix) echo /opt/homebrew;;\n"
                "  shellenv) echo 'export PATH=\"%1:$PATH\"';;\n"
                "  install) echo \"==> Installing ${@: -1}\"\n"
                "    case \"${@: -1}\" in\n"
                "      claude-code*) /bin/cp '%3/claude' '%1/claude'; /bin/mkdir -p \"$HOME/.claude\";;\n"
                "      codex) /bin/cp '%3/codex' '%1/codex'; /bin/mkdir -p \"$HOME/.codex\";;\n"
                "      gh) /bin/cp '%3/gh' '%1/gh';;\n"
                "      warp) [ -e '%3/slow' ] && { /bin/sleep 30 & echo \"pids $$ $!\"; wait; }\n"
                "        /bin/mkdir -p '%2/Warp.app';;\n"
                "      zed) /bin/mkdir -p '%2/Zed.app';;\n"
                "      claude) /bin/mkdir -p '%2/Claude.app';;\n"
                "    esac;;\n"
                "esac\n")
                .arg(bin, apps, staged));
    }
    // The tools brew and the install scripts put in place. gh signs in with a one-time code.
    StubSpec toolSpec(const char* tool) {
        if (QLatin1String(tool) != QLatin1String("gh"))
            return StubSpec().withStdOut(QStringLiteral("%1 1.0.0\n").arg(QLatin1String(tool)));
        const QString signedIn = sandbox_.map(QStringLiteral("/.journey/gh-signed-in"));
        return StubSpec().withScript(
            QStringLiteral(
                "case \"$1 $2\" in\n"
                "  'auth login') echo '! First copy your one-time code: 4F2A-9C1D'\n"
                "    echo 'Open this URL to continue in your web browser: https://github.com/login/device'\n"
                "    /usr/bin/touch '%1'; echo '✓ Logged in as tester';;\n"
                "  'auth status') [ -e '%1' ] || exit 1;;\n"
                "esac\n")
                .arg(signedIn));
    }
    SetupWorkflowView* setup() const { return root_->findChild<SetupWorkflowView*>(); }
    QString step() const {
        return setup() && setup()->currentPage() ? setup()->currentPage()->objectName() : QString();
    }
    ::testing::AssertionResult waitForStep(const QString& page, int timeoutMs = patienceMs) const {
        if (waitUntil([&] { return step() == page; }, timeoutMs)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "showing " << step().toStdString() << " instead of " << page.toStdString()
               << "; buttons: " << visibleButtons().join(QStringLiteral(", ")).toStdString();
    }
    // The stage's page is on screen with its controls.
    ::testing::AssertionResult atStage(const QString& id) {
        const bool reached = waitUntil(
            [&] { return setup()->model()->step().domainID == id && button(QStringLiteral("stage-skip")); });
        capture(id);
        if (reached) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << id.toStdString() << " not reached; at " << setup()->model()->step().domainID.toStdString();
    }
    // The sheet ran to its end: its lines, then the way on.
    QStringList finishSheet(const QString& name) {
        EXPECT_TRUE(waitForSheetEnd());
        const QStringList lines = sheetBatch() ? sheetBatch()->lines() : QStringList();
        capture(name);
        click(QStringLiteral("setup-action-continue"));
        return lines;
    }
    int modeAt(const QString& macPath) const { return modeOf(sandbox_.map(macPath)); }

    // Consent, welcome, "Check my setup", the summary and the readiness checks.
    void openSetup() {
        openApp();
        capture(QStringLiteral("consent"));
        click(QStringLiteral("consent-continue"));
        ASSERT_TRUE(waitForShown(QStringLiteral("welcome-diagnose-button")));
        capture(QStringLiteral("welcome"));
        click(QStringLiteral("welcome-diagnose-button"));
        ASSERT_NE(setup(), nullptr);
        setup()->model()->volumeCapacity = [](const QString&) {
            return std::optional<qint64>(500'000'000'000);
        };
        ASSERT_TRUE(waitForStep(QStringLiteral("setup-diagnosis-summary")));
        capture(QStringLiteral("summary"));
        click(QStringLiteral("diagnosis-continue"));
        ASSERT_TRUE(atStage(QStringLiteral("clt")));
    }

    // The whole guided setup on the bare Mac, every stage taken, to the welcome screen again; `shell` gets
    // the lines of the shell stage's sheet.
    void walkBareMac(QStringList& shell) {
        ASSERT_NO_FATAL_FAILURE(openSetup());
        EXPECT_THAT(visibleTexts(), ::testing::Contains(QStringLiteral("Install the Command Line Tools")));

        // The primary stages: the Command Line Tools, Homebrew with its PATH line, a terminal.
        clickIn(QStringLiteral("clt"));
        EXPECT_THAT(finishSheet(QStringLiteral("clt-installed")),
                    ::testing::Contains(QStringLiteral("Command Line Tools installed.")));
        ASSERT_TRUE(atStage(QStringLiteral("homebrew")));
        clickIn(QStringLiteral("homebrew"));
        const QStringList homebrew = finishSheet(QStringLiteral("homebrew-installed"));
        EXPECT_THAT(homebrew, ::testing::Contains(QStringLiteral("==> Installation successful!")));
        EXPECT_THAT(
            homebrew,
            ::testing::Contains(QStringLiteral(
                "Appending brew shellenv to ~/.zprofile (so brew is fully integrated in new shells).")));
        ASSERT_TRUE(atStage(QStringLiteral("warp")));
        clickIn(QStringLiteral("brew:warp"));
        finishSheet(QStringLiteral("terminal-installed"));

        // Verifying in a fresh login shell, then on to the rest.
        ASSERT_TRUE(waitForStep(QStringLiteral("setup-keep-going")));
        EXPECT_THAT(visibleTexts(), ::testing::Contains(QStringLiteral("Homebrew is set up")));
        capture(QStringLiteral("verified"));
        click(QStringLiteral("keep-going"));

        // Claude Code, Codex, a project, a skill, an MCP server with its key, an editor, the shell files, a
        // language, Git and the GitHub sign-in.
        ASSERT_TRUE(atStage(QStringLiteral("ai-claude")));
        click(QStringLiteral("ai-claude"));
        finishSheet(QStringLiteral("claude-installed"));
        ASSERT_TRUE(atStage(QStringLiteral("codex")));
        check(QStringLiteral("install-codex-app"), false);
        check(QStringLiteral("install-codex-cli"));
        click(QStringLiteral("codex"));
        finishSheet(QStringLiteral("codex-installed"));
        ASSERT_TRUE(atStage(QStringLiteral("project")));
        click(QStringLiteral("create-project"));
        EXPECT_THAT(
            finishSheet(QStringLiteral("project-created")),
            ::testing::Contains(QStringLiteral("Created your project at ~/Documents/AI-Coding-Project.")));
        ASSERT_TRUE(atStage(QStringLiteral("skills")));
        check(QStringLiteral("skill-avoid-ai-writing"));
        click(QStringLiteral("add-skills"));
        EXPECT_THAT(finishSheet(QStringLiteral("skills-added")),
                    ::testing::Contains(QStringLiteral("Installed avoid-ai-writing for Claude, Codex.")));
        ASSERT_TRUE(atStage(QStringLiteral("mcp")));
        check(QStringLiteral("mcp-firecrawl"));
        QLineEdit* key = nullptr;
        ASSERT_TRUE(waitUntil(
            [&] { return (key = root_->findChild<QLineEdit*>(QStringLiteral("mcp-key-firecrawl"))); }));
        QTest::keyClicks(key, QStringLiteral("fc-journey-key"));
        click(QStringLiteral("add-mcp"));
        EXPECT_THAT(finishSheet(QStringLiteral("mcp-added")),
                    ::testing::Contains(QStringLiteral("Added firecrawl to your Codex config.")));
        ASSERT_TRUE(atStage(QStringLiteral("editor")));
        clickIn(QStringLiteral("brew:zed"));
        finishSheet(QStringLiteral("editor-installed"));
        ASSERT_TRUE(atStage(QStringLiteral("shell-config")));
        clickIn(QStringLiteral("shell-config"));
        shell = finishSheet(QStringLiteral("shell-configured"));
        ASSERT_TRUE(atStage(QStringLiteral("languages")));
        check(QStringLiteral("lang-python"));
        click(QStringLiteral("install-languages"));
        finishSheet(QStringLiteral("languages-installed"));
        ASSERT_TRUE(atStage(QStringLiteral("git")));
        QTest::keyClicks(root_->findChild<QLineEdit*>(QStringLiteral("git-name")),
                         QStringLiteral("Ada Tester"));
        QTest::keyClicks(root_->findChild<QLineEdit*>(QStringLiteral("git-email")),
                         QStringLiteral("ada@example.com"));
        click(QStringLiteral("setup-git"));
        const QStringList git = finishSheet(QStringLiteral("git-signed-in"));
        EXPECT_THAT(
            git, ::testing::Contains(QStringLiteral("Opened your browser. Your one-time code is 4F2A-9C1D "
                                                    "(copied to the clipboard) — paste it and authorize.")));
        EXPECT_THAT(git, ::testing::Contains(QStringLiteral(
                             "Signed in to GitHub. Git is ready — pushes won't ask for a password.")));

        // The outcome, the feedback question, home.
        ASSERT_TRUE(waitForStep(QStringLiteral("setup-outcome")));
        EXPECT_THAT(visibleTexts(),
                    ::testing::IsSupersetOf({QStringLiteral("Your Mac is ready"),
                                             QStringLiteral("Homebrew installed — version 4.4.0")}));
        capture(QStringLiteral("outcome"));
        click(QStringLiteral("outcome-resolved"));
        ASSERT_TRUE(waitForStep(QStringLiteral("setup-nps")));
        click(QStringLiteral("nps-score-9"));
        capture(QStringLiteral("feedback"));
        click(QStringLiteral("nps-submit"));
        capture(QStringLiteral("feedback-sent"));
        click(QStringLiteral("nps-done"));
        ASSERT_TRUE(waitUntil([&] {
            return root_->navigation()->path().isEmpty() && button(QStringLiteral("welcome-diagnose-button"));
        })) << visibleButtons().join(", ").toStdString();
        capture(QStringLiteral("home"));
    }
};

} // namespace

TEST_F(HomebrewJourney, BareMacThroughEveryStage) {
    QStringList shell;
    ASSERT_NO_FATAL_FAILURE(walkBareMac(shell));

    // What a person finds afterwards. The login profile holds exactly the announced blocks.
    EXPECT_EQ(sandbox_.readFile(home(".zprofile")), "# Quillane — Homebrew shellenv\n"
                                                    "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n\n"
                                                    "# Quillane — Claude Code auto-update\n"
                                                    "export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n\n"
                                                    "# Quillane — shell environment\n"
                                                    "typeset -U path PATH\n\n"
                                                    "# Quillane — uv PATH\n"
                                                    "export PATH=\"$HOME/.local/bin:$PATH\"\n");
    EXPECT_TRUE(sandbox_.readFile(home(".zshrc"))
                    .contains("[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a"));
    EXPECT_EQ(modeAt(home(".env")), 0600);
    // Every backup the screens announced exists, with its original's mode.
    for (const QString& file : {QStringLiteral(".zprofile"), QStringLiteral(".zshrc")}) {
        SCOPED_TRACE(file.toStdString());
        ASSERT_TRUE(sandbox_.exists(home(file + QStringLiteral(".bak"))));
        EXPECT_EQ(modeAt(home(file + QStringLiteral(".bak"))), modeAt(home(file)));
    }
    EXPECT_THAT(
        shell,
        ::testing::Contains(
            QStringLiteral("Configured ~/.zshrc (backup at %1.bak).").arg(sandbox_.map(home(".zshrc")))));
    // The real zsh reads both files without an error: a login shell, and a new Terminal window, whose
    // ~/.zshrc also loads a key put into ~/.env.
    sandbox_.writeFile(home(".env"), sandbox_.readFile(home(".env")) + "QLAN_JOURNEY_KEY=from-env\n", 0600);
    for (const ZshStart start : {ZshStart::Login, ZshStart::Terminal}) {
        SCOPED_TRACE(start == ZshStart::Login ? "zsh -l" : "zsh -l -i");
        const ShellStartup started = startZsh(sandbox_, start);
        EXPECT_EQ(started.exitCode, 0);
        EXPECT_EQ(started.stdErr, QString());
        EXPECT_EQ(started.path, (QStringList{"/Users/tester/.local/bin", "/opt/homebrew/bin", "/usr/bin",
                                             "/bin", "/usr/sbin", "/sbin"}));
        EXPECT_EQ(started.environment.value(QStringLiteral("CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE")), "1");
        EXPECT_EQ(started.environment.value(QStringLiteral("QLAN_JOURNEY_KEY")),
                  start == ZshStart::Terminal ? QStringLiteral("from-env") : QString());
    }

    // Codex's settings, read back as TOML: the server with the key in its address.
    const QByteArray config = sandbox_.readFile(home(".codex/config.toml"));
    const toml::table table = toml::parse(std::string_view(config.constData(), size_t(config.size())));
    EXPECT_EQ(table["mcp_servers"]["firecrawl"]["url"].value_or(std::string()),
              "https://mcp.firecrawl.dev/fc-journey-key/v2/mcp");
    // The skill in both agents' folders, byte for byte the bundled one.
    const QString bundled =
        ApplicationResources::installed().root + QStringLiteral("/skills/avoid-ai-writing/SKILL.md");
    for (const char* agent : {".claude", ".codex"})
        EXPECT_EQ(sandbox_.readFile(
                      home(QString::fromLatin1(agent) + QStringLiteral("/skills/avoid-ai-writing/SKILL.md"))),
                  sandbox_.readFile(bundled))
            << agent;
    EXPECT_TRUE(sandbox_.exists(home("Documents/AI-Coding-Project/CLAUDE.md")));
    const QByteArray gitconfig = sandbox_.readFile(home(".gitconfig"));
    EXPECT_TRUE(gitconfig.contains("name = Ada Tester") && gitconfig.contains("email = ada@example.com"))
        << gitconfig.toStdString();
    EXPECT_TRUE(sandbox_.exists(QStringLiteral("/opt/homebrew/bin/brew")));
    EXPECT_TRUE(sandbox_.exists(home(".local/bin/uv")));
    EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{QUrl(QStringLiteral("https://github.com/login/device"))});
    EXPECT_EQ(desktop_->pasteboardWrites, QStringList{QStringLiteral("4F2A-9C1D")});

    // The events, as they reached the records endpoint.
    ASSERT_TRUE(waitUntil([&] { return records_.eventNames().contains(QStringLiteral("nps_submitted")); }))
        << records_.eventNames().join(' ').toStdString();
    const QStringList events = records_.eventNames();
    EXPECT_THAT(events,
                ::testing::IsSupersetOf({QStringLiteral("consent_given"), QStringLiteral("app_launched"),
                                         QStringLiteral("diagnosis_reached"), QStringLiteral("network_check"),
                                         QStringLiteral("disk_space_check"), QStringLiteral("verify_passed"),
                                         QStringLiteral("claude_cli_installed")}));
    EXPECT_EQ(events.count(QStringLiteral("remediation_applied")),
              events.count(QStringLiteral("remediation_completed")));
    EXPECT_LT(events.indexOf(QStringLiteral("diagnosis_reached")),
              events.indexOf(QStringLiteral("verify_passed")));
}

namespace {

// The pids of the line "pids <shell> <sleeper>" that a slow stub prints, once the sheet shows it.
std::pair<pid_t, pid_t> announcedPids(const QStringList& lines) {
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("pids "))) {
            pid_t shell = 0, sleeper = 0;
            if (readChildAndGrandchild(line.mid(5), &shell, &sleeper)) return {shell, sleeper};
        }
    return {0, 0};
}

} // namespace

TEST_F(HomebrewJourney, CancelInTheMiddleOfTheHomebrewAndACaskInstall) {
    journeyName_ = QStringLiteral("cancel");
    // A Homebrew install that takes its time, and would add a line to ~/.zprofile if it ever finished.
    web_.route(QStringLiteral("/raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"),
               LoopbackResponse{200,
                                {},
                                "echo '==> Downloading and installing Homebrew...'\n"
                                "/bin/sleep 30 & echo \"pids $$ $!\"; wait\n"
                                "echo late >> \"$HOME/.zprofile\"\n"});
    sandbox_.writeFile(home(".zprofile"), "# mine\n", 0640);
    ASSERT_NO_FATAL_FAILURE(openSetup());
    clickIn(QStringLiteral("clt"));
    finishSheet(QStringLiteral("clt-installed"));
    ASSERT_TRUE(atStage(QStringLiteral("homebrew")));

    const auto cancelMidway = [&](const QString& name) {
        std::pair<pid_t, pid_t> pids;
        ASSERT_TRUE(waitUntil([&] {
            return sheetBatch() && (pids = announcedPids(sheetBatch()->lines())).first;
        })) << (sheetBatch() ? sheetBatch()->lines().join('\n').toStdString() : std::string("no sheet"));
        capture(name); // Return pressed there, wherever the focus is, stops nothing
        ASSERT_TRUE(sheetBatch() && !sheetBatch()->hasEnded());
        const QMap<QString, QByteArray> before = homeFiles();
        click(QStringLiteral("setup-action-cancel"));
        // The sheet closes, and nothing it started lives on.
        EXPECT_TRUE(waitUntil([&] { return sheetBatch() == nullptr; }));
        EXPECT_TRUE(waitUntil([&] { return dead(pids.first) && dead(pids.second); }))
            << pids.first << " " << pids.second;
        waitUntil([] { return false; }, 300);
        EXPECT_EQ(changedFiles(before, homeFiles()), QStringList());
        capture(name + QStringLiteral("-canceled"));
    };

    clickIn(QStringLiteral("homebrew"));
    ASSERT_NO_FATAL_FAILURE(cancelMidway(QStringLiteral("homebrew-installing")));
    // The stage is offered again.
    EXPECT_EQ(setup()->model()->step().domainID, QStringLiteral("homebrew"));
    EXPECT_NE(button(QStringLiteral("stage-skip")), nullptr);
    EXPECT_EQ(sandbox_.readFile(home(".zprofile")), "# mine\n");
    EXPECT_EQ(modeAt(home(".zprofile")), 0640);
    EXPECT_FALSE(sandbox_.exists(QStringLiteral("/opt/homebrew/bin/brew")));

    // Again, with the ordinary script: Homebrew is installed, then a cask install is canceled.
    web_.route(QStringLiteral("/raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"),
               homebrewScript());
    clickIn(QStringLiteral("homebrew"));
    finishSheet(QStringLiteral("homebrew-installed"));
    ASSERT_TRUE(atStage(QStringLiteral("warp")));
    sandbox_.writeFile(QStringLiteral("/.journey/slow"), "");
    clickIn(QStringLiteral("brew:warp"));
    ASSERT_NO_FATAL_FAILURE(cancelMidway(QStringLiteral("cask-installing")));
    EXPECT_EQ(setup()->model()->step().domainID, QStringLiteral("warp"));
    EXPECT_NE(button(QStringLiteral("stage-skip")), nullptr);
    EXPECT_FALSE(sandbox_.exists(QStringLiteral("/Applications/Warp.app")));
}

namespace {

// A home folder whose name holds a space, a quote and a command substitution.
const QString kHostileHome = QStringLiteral("it's $(touch qlanmarker) home");

class HostileHomebrewJourney : public HomebrewJourney {
protected:
    HostileHomebrewJourney()
        : HomebrewJourney(kHostileHome) {}

    // Whether a file named "qlanmarker" exists anywhere in the sandbox or in this program's folder.
    bool markerAppeared() const {
        for (const QString& folder : {sandbox_.root(), QDir::currentPath()}) {
            QDirIterator it(folder, {QStringLiteral("qlanmarker")}, QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            if (it.hasNext()) return true;
        }
        return false;
    }
};

} // namespace

TEST_F(HostileHomebrewJourney, NothingRunsThatWasNotMeantToAndOddFilesStayAsTheyAre) {
    journeyName_ = QStringLiteral("hostile");
    // ~/.zprofile is a link (to a file of mode 0600) and ~/.zshrc, a sound zsh file, is not valid UTF-8.
    sandbox_.writeFile(home("dotfiles/zprofile"), "# kept in my dotfiles\n", 0600);
    ASSERT_TRUE(QFile::link(QStringLiteral("dotfiles/zprofile"), home(".zprofile")));
    const QByteArray invalid("# mine\nalias ll='ls -l \xff\xfe\xc3\x28'\n");
    sandbox_.writeFile(home(".zshrc"), invalid, 0644);

    ASSERT_NO_FATAL_FAILURE(openSetup());
    clickIn(QStringLiteral("clt"));
    finishSheet(QStringLiteral("clt-installed"));
    ASSERT_TRUE(atStage(QStringLiteral("homebrew")));
    clickIn(QStringLiteral("homebrew"));
    finishSheet(QStringLiteral("homebrew-installed"));
    ASSERT_TRUE(atStage(QStringLiteral("warp")));
    click(QStringLiteral("stage-skip"));
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-keep-going")));
    click(QStringLiteral("keep-going"));
    for (const char* stage : {"ai-claude", "codex", "project", "skills", "mcp", "editor"}) {
        ASSERT_TRUE(atStage(QString::fromLatin1(stage)));
        click(QStringLiteral("stage-skip"));
    }
    ASSERT_TRUE(atStage(QStringLiteral("shell-config")));
    clickIn(QStringLiteral("shell-config"));
    const QStringList shell = finishSheet(QStringLiteral("shell-configured"));

    // The link is still a link; its file got the PATH line and kept its mode.
    const QFileInfo link(home(".zprofile"));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_TRUE(sandbox_.readFile(home("dotfiles/zprofile")).startsWith("# kept in my dotfiles\n"));
    EXPECT_TRUE(sandbox_.readFile(home("dotfiles/zprofile")).contains("brew shellenv"));
    EXPECT_EQ(modeAt(home("dotfiles/zprofile")), 0600);
    // The file that is not UTF-8 is untouched, byte for byte.
    EXPECT_EQ(sandbox_.readFile(home(".zshrc")), invalid) << shell.join('\n').toStdString();
    EXPECT_EQ(modeAt(home(".zshrc")), 0644);
    // The real zsh reads the profile through its link, and the user's own ~/.zshrc, without an error.
    for (const ZshStart start : {ZshStart::Login, ZshStart::Terminal}) {
        const ShellStartup started = startZsh(sandbox_, start);
        EXPECT_EQ(started.exitCode, 0);
        EXPECT_EQ(started.stdErr, QString());
        EXPECT_EQ(started.path, (QStringList{"/opt/homebrew/bin", "/usr/bin", "/bin", "/usr/sbin", "/sbin"}));
    }
    // No command hidden in the home folder's name ran.
    EXPECT_FALSE(markerAppeared()) << shell.join('\n').toStdString();
}

// Failures a person meets: each ends on a screen that says what happened and offers the way on, and
// none reports success.
TEST_F(HomebrewJourney, FailuresSayWhatHappenedAndOfferTheWayOn) {
    journeyName_ = QStringLiteral("failures");
    // The network is down during the readiness check: every sample is refused.
    ProductConfig offline = ProductConfig::current();
    QList<QUrl> refused;
    for (qsizetype i = 0; i < offline.spinePolicy.networkReadiness->endpoints.size(); ++i)
        refused << QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackHttpServer::refusedPort()));
    offline.spinePolicy.networkReadiness->endpoints = refused;
    CurrentEdition scoped(offline);
    // sudo cannot show its password dialog.
    sandbox_.writeStub(QStringLiteral("/usr/bin/sudo"),
                       StubSpec()
                           .withStdErr("sudo: no askpass program specified, try setting SUDO_ASKPASS\n")
                           .withExitCode(1));
    // The install script cannot be downloaded.
    web_.route(QStringLiteral("/raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"),
               LoopbackResponse{404, {}, "not found"});

    openApp();
    click(QStringLiteral("consent-continue"));
    click(QStringLiteral("welcome-diagnose-button"));
    setup()->model()->volumeCapacity = [](const QString&) { return std::optional<qint64>(500'000'000'000); };
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-diagnosis-summary")));
    click(QStringLiteral("diagnosis-continue"));
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-readiness-warning")));
    capture(QStringLiteral("network-down"));
    EXPECT_THAT(visibleTexts(),
                ::testing::Contains(QStringLiteral("We can't reach the servers needed to install")));
    EXPECT_NE(button(QStringLiteral("readiness-stop")), nullptr);
    click(QStringLiteral("readiness-continue"));

    // The Command Line Tools: sudo fails; the sheet says so and the stage is offered again.
    ASSERT_TRUE(atStage(QStringLiteral("clt")));
    clickIn(QStringLiteral("clt"));
    ASSERT_TRUE(waitForSheetEnd());
    EXPECT_NE(sheetBatch()->exitCode().value_or(0), 0);
    EXPECT_THAT(sheetBatch()->lines(),
                ::testing::Contains(
                    QStringLiteral("The Command Line Tools install did not complete. You can retry.")));
    capture(QStringLiteral("sudo-failed"));
    click(QStringLiteral("setup-action-continue"));
    ASSERT_TRUE(atStage(QStringLiteral("clt")));
    EXPECT_FALSE(sandbox_.exists(QStringLiteral("/Library/Developer/CommandLineTools")));
    click(QStringLiteral("stage-skip"));

    // Homebrew: the install script is not there (404).
    ASSERT_TRUE(atStage(QStringLiteral("homebrew")));
    clickIn(QStringLiteral("homebrew"));
    ASSERT_TRUE(waitForSheetEnd());
    EXPECT_NE(sheetBatch()->exitCode().value_or(0), 0);
    EXPECT_THAT(sheetBatch()->lines(),
                ::testing::Contains(QStringLiteral(
                    "The Homebrew install script could not be downloaded, so nothing was installed.")));
    capture(QStringLiteral("download-failed"));
    click(QStringLiteral("setup-action-continue"));
    ASSERT_TRUE(atStage(QStringLiteral("homebrew")));
    EXPECT_FALSE(sandbox_.exists(QStringLiteral("/opt/homebrew/bin/brew")));
    EXPECT_FALSE(sandbox_.exists(home(".zprofile")));
    // Nothing reported success.
    EXPECT_FALSE(records_.eventNames().contains(QStringLiteral("verify_passed")));
}

TEST_F(HomebrewJourney, TheSameMacAgainReadsReadyAndChangesNoFile) {
    journeyName_ = QStringLiteral("again");
    QStringList shell;
    ASSERT_NO_FATAL_FAILURE(walkBareMac(shell));
    const QMap<QString, QByteArray> before = homeFiles();
    // The application again, on the same Mac, which now has every application the outcome offers: its
    // row of buttons wraps at the window's narrowest rather than cut a title.
    for (const char* app : {"Claude.app", "Codex.app", "Visual Studio Code.app"})
        sandbox_.makeDirectory(QStringLiteral("/Applications/") + QLatin1String(app));
    root_.reset();
    shot_ = 100;
    openApp();
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_NE(setup(), nullptr);
    setup()->model()->volumeCapacity = [](const QString&) { return std::optional<qint64>(500'000'000'000); };
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-diagnosis-summary")));
    capture(QStringLiteral("summary-again"));
    EXPECT_THAT(visibleTexts(), ::testing::IsSupersetOf({QStringLiteral("Command Line Tools: installed"),
                                                         QStringLiteral("Homebrew: installed")}));
    QStringList shown;
    QObject listening; // the view outlives the test's body: the connection ends with it
    QObject::connect(setup()->model(), &SetupFlowModel::stepChanged, &listening, [&] {
        if (setup()->model()->step().isStage()) shown << setup()->model()->step().domainID;
    });
    // Every primary stage reads as ready: straight to the question whether to keep going.
    click(QStringLiteral("diagnosis-continue"));
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-keep-going")));
    capture(QStringLiteral("verified-again"));
    click(QStringLiteral("keep-going"));
    // The installed tools' stages skip themselves; the stages this edition always offers (a project, more
    // skills and servers, the shell files, languages, Git) are passed by.
    while (waitUntil([&] { return step() == "setup-outcome" || button(QStringLiteral("stage-skip")); }) &&
           step() != "setup-outcome")
        click(QStringLiteral("stage-skip"));
    ASSERT_TRUE(waitForStep(QStringLiteral("setup-outcome")));
    capture(QStringLiteral("outcome-again"));
    for (const char* ready : {"clt", "homebrew", "warp", "ai-claude", "codex", "editor"})
        EXPECT_FALSE(shown.contains(QLatin1String(ready))) << ready << " was offered again";
    // Nothing changed by a byte.
    EXPECT_EQ(changedFiles(before, homeFiles()), QStringList());
}
