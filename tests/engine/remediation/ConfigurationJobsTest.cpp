// The configuration jobs through the remediation runner: projects and bundled skills from the
// application's resources as a Mac application bundle lays them out, a fetched skill, MCP servers, the Git
// identity, the GitHub sign-in and gh, with stub git, gh, claude and brew behind a real zsh login shell.

#include "platform/LiveProcessRunner.h"
#include "platform/PlatformError.h"
#include "platform/ShellQuoting.h"
#include "remediation/RemediationJobs.h"

#include "BrewFixture.h"
#include "FolderTree.h"
#include "RunnerEvents.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gmock/gmock.h>

using namespace qlan;
using namespace qlan::test;
using Event = StreamEvent;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const QString appBundle = QStringLiteral("/Applications/Quillane.app");
const QString appProgramFolder = appBundle + "/Contents/MacOS";
const QString appResources = appBundle + "/Contents/Resources";

// A runner whose resources are looked up beside a program in a bundle-shaped folder, whose
// Contents/Resources holds a copy of the ones the build put beside the test program. An empty installed
// tree's folder beside it ("<program folder>/../share/quillane") is passed over: the bundle's comes first.
SetupRemediationRunner runnerIn(Sandbox& sandbox, bool withResources = true) {
    SetupRemediationRunner runner = SetupRemediationRunner::fromServices(sandbox.services());
    sandbox.makeDirectory(appProgramFolder);
    sandbox.makeDirectory(appBundle + "/Contents/share/quillane");
    sandbox.makeDirectory(appResources);
    if (withResources) copyRealTree(ApplicationResources::installed().root, sandbox.map(appResources));
    runner.resources = ApplicationResources::besideProgram(sandbox.map(appProgramFolder));
    return runner;
}

std::vector<Event> runJob(Sandbox& sandbox, const SetupRemediation& remediation) {
    auto stream = runnerIn(sandbox).run(remediation, "Quillane");
    return drain(stream);
}

Sandbox& withShell(Sandbox& sandbox) {
    sandbox.linkSystemProgram("/bin/zsh");
    return sandbox;
}

AgentSkill bundledSkill() {
    return AgentSkill::builtIn().first();
} // avoid-ai-writing

AgentSkill fetchedSkill(const QString& subpath, const QString& pin) {
    return {"skill-creator",
            "Skill creator",
            "",
            AgentSkill::Fetch{"anthropics/skills", subpath, pin},
            false,
            true};
}

const MCPServer& server(const QString& slug) {
    for (const MCPServer& s : MCPServer::builtIn())
        if (s.slug == slug) return s;
    throw std::logic_error("no such server");
}

QStringList tempClones(const Sandbox& sandbox) {
    return QDir(sandbox.map("/private/tmp")).entryList({"qlan-skill-*"}, QDir::AllEntries | QDir::Hidden);
}

} // namespace

TEST(ConfigurationJobs, ProjectsAndBundledSkillsComeFromTheApplicationsResources) {
    Sandbox sandbox;
    EXPECT_THAT(runJob(sandbox, SetupRemediation::createProject(ProjectTemplate::coding)),
                ElementsAre(Event::output("Created your project at ~/Documents/AI-Coding-Project."),
                            Event::completed(0)));
    const QMap<QString, QString> project = treeOf(sandbox.home() + "/Documents/AI-Coding-Project");
    EXPECT_TRUE(project.value(".gitignore").startsWith("644 ")) << "dot.gitignore arrives as .gitignore";
    EXPECT_TRUE(project.value("scripts/check.sh").startsWith("755 #!/bin/sh"))
        << "the script stays executable";
    EXPECT_TRUE(project.contains("CLAUDE.md") && project.contains("AGENTS.md"));

    sandbox.writeFile("/Users/tester/Work/CLAUDE.md", "mine\n");
    EXPECT_THAT(
        runJob(sandbox, SetupRemediation::createProject(ProjectTemplate::simple, sandbox.home() + "/Work")),
        ElementsAre(
            Event::output("Added the example files to ~/Work."),
            Event::output("You already had CLAUDE.md — wrote CLAUDE-example.md instead (your files are "
                          "untouched)."),
            Event::completed(0)));
    EXPECT_EQ(sandbox.readFile("/Users/tester/Work/CLAUDE.md"), "mine\n");
    EXPECT_EQ(sandbox.readFile("/Users/tester/Work/CLAUDE-example.md"),
              sandbox.readFile(appResources + "/example-projects/AI-Simple-Project/CLAUDE.md"));

    sandbox.makeDirectory("/Users/tester/.claude");
    sandbox.makeDirectory("/Users/tester/.agents");
    EXPECT_THAT(
        runJob(sandbox, SetupRemediation::installSkill(bundledSkill())),
        ElementsAre(Event::output("Installed avoid-ai-writing for Claude, Zed."), Event::completed(0)));
    EXPECT_EQ(sandbox.readFile("/Users/tester/.agents/skills/avoid-ai-writing/SKILL.md"),
              sandbox.readFile(appResources + "/skills/avoid-ai-writing/SKILL.md"));
    for (const AgentSkill& skill : AgentSkill::builtIn())
        if (const auto* bundle = std::get_if<AgentSkill::Bundle>(&skill.source)) {
            EXPECT_TRUE(sandbox.exists(appResources + "/skills/" + bundle->name + "/SKILL.md"))
                << bundle->name.toStdString();
        }

    // A build without its resources says so.
    Sandbox bare;
    auto stream =
        runnerIn(bare, false).run(SetupRemediation::createProject(ProjectTemplate::coding), "Quillane");
    EXPECT_THAT(
        drain(stream),
        ElementsAre(Event::output("Couldn't find the bundled AI-Coding-Project template in the app — this "
                                  "build may be missing its project resources."),
                    Event::completed(1)));
    stream = runnerIn(bare, false).run(SetupRemediation::installSkill(bundledSkill()), "Quillane");
    EXPECT_THAT(
        drain(stream),
        ElementsAre(Event::output("Couldn't find the bundled avoid-ai-writing skill in the app — this build "
                                  "may be missing its skill resources."),
                    Event::completed(1)));
}

TEST(ConfigurationJobs, AFetchedSkillIsClonedAtItsPinInstalledAndItsCloneRemoved) {
    const QString pin = "ab'c $(touch /tmp/owned)";
    StubSpec git;
    git.script =
        "if [ \"$1\" = clone ]; then d=\"${@: -1}\"; /bin/mkdir -p \"$d/skills/skill-creator\";\n"
        "printf 'inner\\n' >\"$d/skills/skill-creator/SKILL.md\"; printf 'root\\n' >\"$d/SKILL.md\";\n"
        "echo \"Cloning into the folder\"; fi\n";
    for (const QString& subpath : {QString("skills/skill-creator"), QString(".")}) {
        SCOPED_TRACE(subpath.toStdString());
        Sandbox sandbox;
        withShell(sandbox).writeStub("/opt/homebrew/bin/git", git);
        sandbox.makeDirectory("/Users/tester/.codex");
        EXPECT_THAT(runJob(sandbox, SetupRemediation::installSkill(fetchedSkill(subpath, pin))),
                    ElementsAre(Event::output("Fetching the Skill creator skill from anthropics/skills…"),
                                Event::output("Cloning into the folder"),
                                Event::output("Installed skill-creator for Codex."), Event::completed(0)));
        EXPECT_EQ(sandbox.readFile("/Users/tester/.codex/skills/skill-creator/SKILL.md"),
                  subpath == "." ? "root\n" : "inner\n");
        const auto calls = sandbox.calls("/opt/homebrew/bin/git");
        ASSERT_EQ(calls.size(), 2);
        const QString temp = calls[0].arguments.value(4);
        EXPECT_TRUE(
            QRegularExpression(
                "^" + QRegularExpression::escape(sandbox.map("/private/tmp")) +
                "/qlan-skill-skill-creator-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                .match(temp)
                .hasMatch())
            << temp.toStdString();
        EXPECT_EQ(calls[0].arguments, QStringList({"clone", "--filter=blob:none", "--no-checkout",
                                                   "https://github.com/anthropics/skills", temp}));
        EXPECT_EQ(calls[1].arguments, QStringList({"-C", temp, "checkout", pin}));
        EXPECT_TRUE(tempClones(sandbox).isEmpty());
        EXPECT_FALSE(sandbox.exists("/tmp/owned"));
    }

    Sandbox failing;
    withShell(failing).writeStub("/opt/homebrew/bin/git",
                                 StubSpec().withStdErr("fatal: repository not found\n").withExitCode(128));
    failing.makeDirectory("/Users/tester/.codex");
    EXPECT_THAT(runJob(failing, SetupRemediation::installSkill(fetchedSkill(".", "abc"))),
                ElementsAre(Event::output("Fetching the Skill creator skill from anthropics/skills…"),
                            Event::output("fatal: repository not found"),
                            Event::output("Couldn't fetch skill-creator from anthropics/skills."),
                            Event::completed(1)));
    EXPECT_TRUE(tempClones(failing).isEmpty());
    EXPECT_FALSE(failing.exists("/Users/tester/.codex/skills"));
}

TEST(ConfigurationJobs, AnMCPServerGoesToEveryAgentThereWithTheRightClosingLines) {
    const Event added = Event::output("Added notion to your Codex config.");
    const Event signIn =
        Event::output("Sign in to Notion inside Claude or Codex, then restart it to finish.");
    struct Case {
        const char* what;
        std::optional<int> claudeExit; // the claude program, when there
        QStringList folders;           // Mac paths made before the run
        std::vector<Event> events;
    };
    const QList<Case> cases{
        {"claude and codex",
         0,
         {"/Users/tester/.codex"},
         {Event::output("Adding Notion to Claude Code…"), added, signIn, Event::completed(0)}},
        {"claude fails",
         1,
         {"/Users/tester/.codex"},
         {Event::output("Adding Notion to Claude Code…"), Event::output("claude said no"), added,
          Event::completed(1)}},
        {"only Claude Desktop",
         std::nullopt,
         {"/Users/tester/Library/Application Support/Claude"},
         {Event::output("For Claude Desktop’s Chat, add Notion under Settings → Connectors — the Code tab "
                        "already has it."),
          Event::completed(0)}},
        {"~/.claude without its program",
         std::nullopt,
         {"/Users/tester/.claude", "/Users/tester/.codex"},
         {Event::output("Claude Code CLI isn't on your PATH — skipping it for Notion."), added, signIn,
          Event::completed(0)}},
        {"no agent",
         std::nullopt,
         {},
         {Event::output("No AI agent is set up yet — nothing to configure Notion for."),
          Event::completed(0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        withShell(sandbox);
        if (c.claudeExit)
            sandbox.writeStub(
                "/opt/homebrew/bin/claude",
                StubSpec().withStdOut(*c.claudeExit ? "claude said no\n" : "").withExitCode(*c.claudeExit));
        for (const QString& folder : c.folders)
            sandbox.makeDirectory(folder);
        EXPECT_THAT(runJob(sandbox, SetupRemediation::addMCPServer(server("notion"))),
                    ElementsAreArray(c.events));
        if (c.claudeExit) {
            EXPECT_EQ(sandbox.calls("/opt/homebrew/bin/claude").value(0).arguments,
                      QStringList({"mcp", "add", "--transport", "http", "notion",
                                   "https://mcp.notion.com/mcp", "-s", "user"}));
        }
    }

    // Claude Code known to the login shell only as an alias of ~/.zprofile: found, and the alias is what
    // the job runs; also where ~/.zprofile silences the shell, since the lookup's exit status alone
    // decides here.
    for (const QByteArray& silence : {QByteArray(), QByteArray("exec >/dev/null\n")}) {
        SCOPED_TRACE(silence.toStdString());
        Sandbox aliased;
        withShell(aliased).writeStub("/Users/tester/tools/claude-cli");
        aliased.makeDirectory("/Users/tester/.claude");
        aliased.writeFile(
            "/Users/tester/.zprofile",
            "alias claude=" + shellQuoted(aliased.map("/Users/tester/tools/claude-cli")).toUtf8() + "\n" +
                silence);
        EXPECT_THAT(runJob(aliased, SetupRemediation::addMCPServer(server("notion"))),
                    ElementsAre(Event::output("Adding Notion to Claude Code…"), signIn, Event::completed(0)));
        EXPECT_EQ(aliased.calls("/Users/tester/tools/claude-cli").value(0).arguments.value(1), "add");
    }

    // A key (trimmed) goes into the address percent-encoded and reaches both agents as one value; an empty
    // key leaves the plain address.
    for (const auto& [key, address] :
         {std::pair<QString, QString>{" a/b c'd\"# ", "https://mcp.firecrawl.dev/a%2Fb%20c%27d%22%23/v2/mcp"},
          std::pair<QString, QString>{"", "https://mcp.firecrawl.dev/v2/mcp"}}) {
        Sandbox sandbox;
        withShell(sandbox).writeStub("/usr/local/bin/claude");
        sandbox.makeDirectory("/Users/tester/.codex");
        EXPECT_THAT(runJob(sandbox, SetupRemediation::addMCPServer(server("firecrawl"), key)),
                    ElementsAre(Event::output("Adding Firecrawl to Claude Code…"),
                                Event::output("Added firecrawl to your Codex config."), Event::completed(0)));
        EXPECT_EQ(sandbox.calls("/usr/local/bin/claude").value(0).arguments.value(5), address);
        EXPECT_EQ(sandbox.readFile("/Users/tester/.codex/config.toml"),
                  "[mcp_servers.firecrawl]\nurl = \"" + address.toUtf8() + "\"\n");
    }
}

TEST(ConfigurationJobs, TheGitIdentityIsStoredLiterally) {
    const QString name = "O'Brien $(rm -rf ~)";
    Sandbox sandbox;
    withShell(sandbox).writeStub("/opt/homebrew/bin/git");
    EXPECT_THAT(runJob(sandbox, SetupRemediation::configureGit(name, "ob@example.com")),
                ElementsAre(Event::output("Saving your Git name and email…"),
                            Event::output("Saved to ~/.gitconfig."), Event::completed(0)));
    const auto calls = sandbox.calls("/opt/homebrew/bin/git");
    ASSERT_EQ(calls.size(), 4);
    EXPECT_EQ(calls[0].arguments, QStringList({"config", "--global", "user.name", name}));
    EXPECT_EQ(calls[1].arguments, QStringList({"config", "--global", "user.email", "ob@example.com"}));
    EXPECT_EQ(calls[2].arguments, QStringList({"config", "--global", "init.defaultBranch", "main"}));
    EXPECT_EQ(calls[3].arguments, QStringList({"config", "--global", "push.autoSetupRemote", "true"}));

    // A name or an email that is not valid Unicode (a lone surrogate) is refused, never saved altered.
    for (const auto& [badName, badEmail, field] :
         {std::tuple{QString("Ren") + QChar(0xD800), QString("r@example.com"), QString("name")},
          std::tuple{QString("Ren"), QString("r") + QChar(0xDC00) + "@example.com", QString("email")}}) {
        Sandbox refused;
        withShell(refused).writeStub("/opt/homebrew/bin/git");
        EXPECT_THAT(runJob(refused, SetupRemediation::configureGit(badName, badEmail)),
                    ElementsAre(Event::output("Couldn't save your Git " + field +
                                              ": it holds a character that isn't valid Unicode text. Type it "
                                              "again without that character."),
                                Event::completed(1)));
        EXPECT_TRUE(refused.calls("/opt/homebrew/bin/git").isEmpty());
    }

    Sandbox failing;
    withShell(failing).writeStub("/opt/homebrew/bin/git", StubSpec().withExitCode(5));
    EXPECT_THAT(runJob(failing, SetupRemediation::configureGit("Ada", "ada@example.com")),
                ElementsAre(Event::output("Saving your Git name and email…"), Event::completed(5)));
    EXPECT_EQ(failing.calls("/opt/homebrew/bin/git").size(), 1);
}

TEST(ConfigurationJobs, GitHubSignInOpensTheBrowserOnceWithTheOneTimeCode) {
    const QString device = "https://github.com/login/device";
    const QString codeLine = "! First copy your one-time code: ABCD-1234";
    const QString openLine = "Open this URL to continue in your web browser: " + device;
    struct Case {
        const char* what;
        QStringList loginLines;
        int statusExit;
        std::optional<QString> code;
    };
    const QList<Case> cases{
        {"code first", {codeLine, openLine}, 0, "ABCD-1234"},
        {"address first", {openLine, codeLine}, 0, std::nullopt},
        {"code and address on one line", {codeLine + " then " + device + " and " + device}, 0, "ABCD-1234"},
        {"a code-shaped text without the word", {"Token WXYZ-9876 ready", openLine}, 0, std::nullopt},
        {"sign-in abandoned", {codeLine, openLine}, 1, "ABCD-1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        StubSpec gh;
        gh.script = QString("if [ \"$2\" = login ]; then printf '%s\\n' %1; exit 1; fi\n"
                            "if [ \"$2\" = status ]; then exit %2; fi\n")
                        .arg(shellQuoted(c.loginLines.join('\n')))
                        .arg(c.statusExit);
        withShell(sandbox).writeStub("/opt/homebrew/bin/gh", gh);
        const std::vector<Event> events = runJob(sandbox, SetupRemediation::githubAuth());

        std::vector<Event> expected{Event::output("Starting GitHub sign-in…")};
        for (const QString& line : c.loginLines) {
            expected.push_back(Event::output(line));
            if (line.contains(device) && std::none_of(expected.begin(), expected.end(), [](const Event& e) {
                    return e.kind == Event::Kind::openBrowser;
                }))
                expected.push_back(Event::openBrowser(device, c.code));
        }
        if (c.statusExit == 0) {
            expected.push_back(
                Event::output("Signed in to GitHub. Git is ready — pushes won't ask for a password."));
            expected.push_back(Event::completed(0));
        } else {
            expected.push_back(
                Event::output("GitHub sign-in not completed. You can finish anytime by running `gh auth "
                              "login` in your terminal."));
            expected.push_back(Event::completed(1));
        }
        EXPECT_THAT(events, ElementsAreArray(expected));

        const auto calls = sandbox.calls("/opt/homebrew/bin/gh");
        ASSERT_EQ(calls.size(), c.statusExit == 0 ? 3 : 2);
        EXPECT_EQ(calls[0].arguments, QStringList({"auth", "login", "--web", "--git-protocol", "https",
                                                   "--hostname", "github.com", "--skip-ssh-key"}));
        EXPECT_EQ(calls[1].arguments, QStringList({"auth", "status"}));
        if (c.statusExit == 0) {
            EXPECT_EQ(calls[2].arguments, QStringList({"auth", "setup-git"}));
        }
    }
}

TEST(ConfigurationJobs, GhComesFromItsFormula) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Pouring gh\n", 0}});
    EXPECT_THAT(runJob(sandbox, SetupRemediation::installGh()),
                ElementsAre(Event::output("==> Pouring gh"), Event::completed(0)));
    EXPECT_EQ(sandbox.calls(brewPath).value(0).arguments, QStringList({"install", "gh"}));

    Sandbox noBrew;
    EXPECT_THAT(runJob(noBrew, SetupRemediation::installGh()),
                ElementsAre(Event::output(SetupRemediationRunner::homebrewMissingLine.toString()),
                            Event::completed(-1)));
}

TEST(ConfigurationJobs, ACancelledJobStartsNothingAndEditsNothingAfterwards) {
    Sandbox sandbox;
    withShell(sandbox).writeStub("/opt/homebrew/bin/claude", StubSpec().withSleep(20000));
    sandbox.writeStub("/opt/homebrew/bin/gh", StubSpec().withStdOut("waiting\n").withSleepAfter(20000));
    sandbox.makeDirectory("/Users/tester/.codex");
    const SetupRemediationRunner runner = runnerIn(sandbox);

    auto mcp = runner.run(SetupRemediation::addMCPServer(server("notion")), "Quillane");
    EXPECT_EQ(nextWithin(mcp), Event::output("Adding Notion to Claude Code…"));
    ASSERT_TRUE(waitUntil([&] { return !sandbox.calls("/opt/homebrew/bin/claude").isEmpty(); }));
    mcp.cancel();

    auto auth = runner.run(SetupRemediation::githubAuth(), "Quillane");
    EXPECT_EQ(nextWithin(auth), Event::output("Starting GitHub sign-in…"));
    EXPECT_EQ(nextWithin(auth), Event::output("waiting"));
    auth.cancel();

    QThread::msleep(1500); // time for the jobs to go on, were they to
    EXPECT_FALSE(sandbox.exists("/Users/tester/.codex/config.toml"));
    EXPECT_EQ(sandbox.calls("/opt/homebrew/bin/gh").size(), 1) << "no `gh auth status` after the cancel";
}

namespace {

// The application as started in `folder` with `path` as its PATH, its HOME the sandbox home and no
// ZDOTDIR; everything as it was again at the end of the scope.
class StartedIn {
public:
    StartedIn(const QString& folder, const QString& path, const QString& home)
        : folder_(QDir::currentPath()) {
        for (const char* name : {"PATH", "HOME", "ZDOTDIR"})
            if (qEnvironmentVariableIsSet(name)) saved_.insert(name, qgetenv(name));
        QDir::setCurrent(folder);
        qputenv("PATH", path.toUtf8());
        qputenv("HOME", home.toUtf8());
        qunsetenv("ZDOTDIR");
    }
    ~StartedIn() {
        QDir::setCurrent(folder_);
        for (const char* name : {"PATH", "HOME", "ZDOTDIR"})
            if (saved_.contains(name))
                qputenv(name, saved_.value(name));
            else
                qunsetenv(name);
    }
    StartedIn(const StartedIn&) = delete;
    StartedIn& operator=(const StartedIn&) = delete;

private:
    QString folder_;
    QMap<QByteArray, QByteArray> saved_;
};

} // namespace

// The application started in a folder holding a `git` and a `claude` (and a bin/ holding both), with a
// PATH whose empty, relative or "." entry names that folder, and a ~/.zprofile that puts "." first. Neither
// ever runs: not from a child of the
// process runner, with its environment inherited or given, nor as the `git` of the Git job, nor as the
// `claude` that the MCP job looks up and would run with the server's key.
TEST(ConfigurationJobs, ProgramsInTheWorkingFolderNeverRunWhateverPATHHolds) {
    Sandbox sandbox;
    const QString tools = "/Users/tester/tools"; // not a Homebrew folder: the MCP job asks the shell
    sandbox.writeStub(tools + "/git");
    QTemporaryDir start;
    ASSERT_TRUE(start.isValid());
    const QString ran = start.filePath("ran");
    ASSERT_TRUE(QDir(start.path()).mkdir("bin"));
    for (const char* fake : {"git", "claude", "bin/git", "bin/claude"}) {
        QFile file(start.filePath(fake));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\necho \"$0 $*\" >> " + shellQuoted(ran) + "\n").toUtf8());
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    const QString absolute = sandbox.map(tools) + ":/usr/bin:/bin";
    LiveProcessRunner children;
    const SetupRemediationRunner jobs(std::nullopt, std::make_shared<LiveProcessRunner>(),
                                      sandbox.services().fs, sandbox.services().http);
    const QStringList script{"-c", "claude; printf %s \"$PATH\""};
    // The user's own startup file puts "." first: it names the folder the shell starts in, never the
    // one the application was started in.
    sandbox.writeFile("/Users/tester/.zprofile", "export PATH=\".:$PATH\"\n");
    for (const QString& path :
         {":" + absolute, "bin:" + absolute, absolute + ":", ".:" + absolute, absolute + ":.:bin"}) {
        SCOPED_TRACE(path.toStdString());
        const StartedIn startedIn(start.path(), path, sandbox.home());
        EXPECT_EQ(children.run("/bin/sh", script).stdOut, absolute);
        EXPECT_EQ(children.run("/bin/sh", script, Environment{{"PATH", path}}).stdOut, absolute);
        EXPECT_THROW(children.run("claude", {}), PlatformError);
        EXPECT_EQ(children.run("/bin/sh", {"-c", "pwd"}).stdOut, "/\n");

        const auto before = sandbox.calls(tools + "/git").size();
        auto git = jobs.run(SetupRemediation::configureGit("Ada", "ada@example.com"), "Quillane");
        EXPECT_THAT(drain(git), ElementsAre(Event::output("Saving your Git name and email…"),
                                            Event::output("Saved to ~/.gitconfig."), Event::completed(0)));
        EXPECT_EQ(sandbox.calls(tools + "/git").size(), before + 4);

        auto mcp = jobs.run(SetupRemediation::addMCPServer(server("firecrawl"), "key-1"), "Quillane");
        EXPECT_THAT(
            drain(mcp),
            ElementsAre(Event::output("No AI agent is set up yet — nothing to configure Firecrawl for."),
                        Event::completed(0)));
        QFile record(ran);
        EXPECT_FALSE(record.exists())
            << (record.open(QIODevice::ReadOnly) ? record.readAll() : "").toStdString();
    }
}
