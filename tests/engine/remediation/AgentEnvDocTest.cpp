// The managed section of the agents' instruction files on real files in a sandbox: what counts as an
// agent or a tool, whether a file still lacks the section, the section's text and the "env-doc" job.

#include "remediation/AgentEnvDoc.h"
#include "remediation/SetupRemediationRunner.h"

#include "FaultyFileSystem.h"
#include "RunnerEvents.h"
#include "support/FileMode.h"
#include "support/Sandbox.h"

#include <gmock/gmock.h>

#include <QDir>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using Event = StreamEvent;

namespace {

const QByteArray section =
    "<!-- Quillane — development environment (managed; you can edit the lines below) -->\n"
    "## Development environment (Quillane)\n";

AgentEnvDoc doc(const Sandbox& sandbox) {
    return AgentEnvDoc(sandbox.services().fs);
}

void removeAll(const Sandbox& sandbox, const QString& macPath) {
    const QString real = sandbox.map(macPath);
    if (QFileInfo(real).isDir())
        QDir(real).removeRecursively();
    else
        QFile::remove(real);
}

} // namespace

TEST(AgentEnvDoc, EveryWayOfFindingClaudeAsksForItsFile) {
    // Each detection place alone makes Claude count; its file is missing, so the note is needed.
    const QList<std::pair<QString, bool>> places{
        {"/opt/homebrew/bin/claude", false},        {"/usr/local/bin/claude", false},
        {"/Users/tester/.local/bin/claude", false}, {"/Users/tester/.claude", true},
        {"/Applications/Claude.app", true},
    };
    for (const auto& [place, folder] : places) {
        Sandbox sandbox;
        EXPECT_FALSE(doc(sandbox).readDocs()) << "nothing detected yet";
        if (folder)
            sandbox.makeDirectory(place);
        else
            sandbox.writeStub(place);
        EXPECT_TRUE(doc(sandbox).detectTools().claude) << place.toStdString();
        EXPECT_FALSE(doc(sandbox).detectTools().codex) << place.toStdString();
        EXPECT_TRUE(doc(sandbox).readDocs()) << place.toStdString();
    }
}

TEST(AgentEnvDoc, TheMarkerWithItsEmDashIsWhatCounts) {
    Sandbox sandbox;
    sandbox.makeDirectory("/Applications/Claude.app");

    sandbox.writeFile("/Users/tester/.claude/CLAUDE.md", "# My notes\n\n" + section);
    EXPECT_FALSE(doc(sandbox).readDocs());
    // The marker alone, with the rest of the section removed, still counts.
    sandbox.writeFile("/Users/tester/.claude/CLAUDE.md", "notes Quillane — development environment notes");
    EXPECT_FALSE(doc(sandbox).readDocs());
    // A hyphen or an en dash in place of the em dash, or another case, does not.
    for (const QByteArray& lookalike :
         {QByteArray("Quillane - development environment"), QByteArray("Quillane – development environment"),
          QByteArray("Quillane — Development environment")}) {
        sandbox.writeFile("/Users/tester/.claude/CLAUDE.md", lookalike + "\n");
        EXPECT_TRUE(doc(sandbox).readDocs()) << lookalike.toStdString();
    }
    // A file that is not UTF-8 text counts as lacking it, even with the marker inside.
    sandbox.writeFile("/Users/tester/.claude/CLAUDE.md", section + "\xff\n");
    EXPECT_TRUE(doc(sandbox).readDocs());
    // So does a folder in the file's place.
    removeAll(sandbox, "/Users/tester/.claude/CLAUDE.md");
    sandbox.makeDirectory("/Users/tester/.claude/CLAUDE.md");
    EXPECT_TRUE(doc(sandbox).readDocs());
    EXPECT_TRUE(QFileInfo(sandbox.map("/Users/tester/.claude/CLAUDE.md")).isDir()) << "nothing is changed";
}

TEST(AgentEnvDoc, CodexIsAskedOnlyWhenDetectedAndEitherAgentCanNeedTheNote) {
    Sandbox sandbox;
    // ~/.local/bin/codex is not a Codex detection place: nothing is needed.
    sandbox.writeStub("/Users/tester/.local/bin/codex");
    EXPECT_FALSE(doc(sandbox).detectTools().codex);
    EXPECT_FALSE(doc(sandbox).readDocs());

    for (const QString& place :
         {QStringLiteral("/opt/homebrew/bin/codex"), QStringLiteral("/usr/local/bin/codex"),
          QStringLiteral("/Users/tester/.codex"), QStringLiteral("/Applications/Codex.app")}) {
        Sandbox codex;
        codex.makeDirectory(place);
        EXPECT_TRUE(doc(codex).detectTools().codex) << place.toStdString();
        EXPECT_TRUE(doc(codex).readDocs()) << place.toStdString();
        codex.writeFile("/Users/tester/.codex/AGENTS.md", section);
        EXPECT_FALSE(doc(codex).readDocs()) << place.toStdString();
    }

    // Both agents: Claude's file is done, Codex's is not -> needed; both done -> not needed.
    Sandbox both;
    both.writeStub("/opt/homebrew/bin/claude");
    both.makeDirectory("/Users/tester/.codex");
    both.writeFile("/Users/tester/.claude/CLAUDE.md", section);
    EXPECT_TRUE(doc(both).readDocs());
    both.writeFile("/Users/tester/.codex/AGENTS.md", "intro\n" + section);
    EXPECT_FALSE(doc(both).readDocs());
    // Claude's file loses the section while Codex's keeps it -> needed again.
    both.writeFile("/Users/tester/.claude/CLAUDE.md", "rewritten\n");
    EXPECT_TRUE(doc(both).readDocs());
}

TEST(AgentEnvDoc, DetectedToolsFromFixedPlacesAndTheLoginProfile) {
    Sandbox sandbox;
    EXPECT_EQ(doc(sandbox).detectTools(), AgentEnvDoc::DetectedTools{});

    sandbox.writeStub("/usr/local/bin/brew");
    sandbox.writeStub("/Users/tester/.local/bin/uv");
    sandbox.writeStub("/opt/homebrew/bin/mise");
    // Rust and Java are read from ~/.zprofile, comment lines included.
    sandbox.writeFile("/Users/tester/.zprofile", "# export PATH=\"$HOME/.cargo/bin:$PATH\"\n"
                                                 "# export JAVA_HOME=$(/usr/libexec/java_home)\n");
    AgentEnvDoc::DetectedTools expected;
    expected.homebrew = expected.uv = expected.mise = expected.rust = expected.java = true;
    EXPECT_EQ(doc(sandbox).detectTools(), expected);
    EXPECT_FALSE(doc(sandbox).readDocs()) << "tools without an agent need no note";

    // Cargo itself also counts for Rust; an unreadable ~/.zprofile counts as containing nothing.
    Sandbox cargo;
    cargo.writeStub("/Users/tester/.cargo/bin/cargo");
    cargo.writeFile("/Users/tester/.zprofile", "JAVA_HOME=x\xff\n");
    EXPECT_TRUE(doc(cargo).detectTools().rust);
    EXPECT_FALSE(doc(cargo).detectTools().java);
    EXPECT_FALSE(doc(cargo).isInHomebrewBin("cargo")) << "only the two Homebrew bin folders are asked";
}

namespace {

const QString claudeLabel = QStringLiteral("Claude (~/.claude/CLAUDE.md)");
const QString codexLabel = QStringLiteral("Codex (~/.codex/AGENTS.md)");

const QByteArray intro =
    "<!-- Quillane — development environment (managed; you can edit the lines below) -->\n"
    "## Development environment (Quillane)\n"
    "\n"
    "This Mac's developer toolchain was configured by Quillane. One owner per language (no conflicting "
    "version managers on PATH). When working in a project, drive per-project versions with the manager that "
    "owns the language:\n"
    "\n";
const QByteArray closingLines =
    "\n"
    "PATH and tool activation live in `~/.zprofile` (login shells, including this agent's own subshells) and "
    "`~/.zshrc` (interactive mise activation). API keys go in `~/.env` (sourced by `~/.zshrc`); never "
    "hardcode a key.\n";

std::vector<Event> runDocumentEnvironment(const SetupRemediationRunner& runner) {
    return test::runToEnd(runner, SetupRemediation::documentEnvironment());
}

} // namespace

TEST(AgentEnvDoc, RenderGoldenFiles) {
    AgentEnvDoc::DetectedTools all;
    all.homebrew = all.uv = all.mise = all.rust = all.java = all.claude = all.codex = true;
    EXPECT_EQ(
        AgentEnvDoc::render(all).toUtf8(),
        intro +
            "- Homebrew is the base package manager (`brew`).\n"
            "- Python: uv owns Python. `uv python install <version>`, `uv venv` / `.venv`, `uv run`; pin per "
            "project with `uv python pin <version>`. Do not use a Homebrew or system `python` for projects.\n"
            "- Node / Ruby: mise manages versions. `mise use node@<version>` / `mise use ruby@<version>` per "
            "project (writes `mise.toml`); `mise use -g <tool>@<version>` sets the global default.\n"
            "- Rust: rustup owns toolchains. `rustup default <toolchain>`, `rustup toolchain install`, "
            "`cargo`.\n"
            "- Java: Temurin JDK via Homebrew; `JAVA_HOME` is set with `/usr/libexec/java_home` (use `-v "
            "<N>` to select a version).\n" +
            closingLines);
    AgentEnvDoc::DetectedTools brewAndUv;
    brewAndUv.homebrew = brewAndUv.uv = true;
    const QString twoBullets = AgentEnvDoc::render(brewAndUv);
    EXPECT_EQ(twoBullets.count("\n- "), 2);
    EXPECT_TRUE(twoBullets.contains("\n- Homebrew") && twoBullets.contains("\n- Python"));
    // No tool at all: two empty lines between the introduction and the PATH line.
    AgentEnvDoc::DetectedTools agentsOnly;
    agentsOnly.claude = agentsOnly.codex = true;
    EXPECT_EQ(AgentEnvDoc::render(agentsOnly).toUtf8(), intro + closingLines);
}

TEST(AgentEnvDoc, DocumentWritesEachDetectedAgentsFileOnce) {
    // No agent: one line, exit 0, nothing written.
    Sandbox none;
    const auto runner = [](const Sandbox& s) { return SetupRemediationRunner::fromServices(s.services()); };
    EXPECT_THAT(runDocumentEnvironment(runner(none)),
                testing::ElementsAre(
                    Event::output("No AI agent (Claude or Codex) detected — skipping the agent setup note."),
                    Event::completed(0)));
    EXPECT_FALSE(none.exists("/Users/tester/.claude"));

    // Claude only as the application: the folder is made, no backup of a file that did not exist.
    Sandbox app;
    app.makeDirectory("/Applications/Claude.app");
    app.writeFile("/Users/tester/.zprofile", "# export JAVA_HOME=$(/usr/libexec/java_home)\n");
    EXPECT_THAT(runDocumentEnvironment(runner(app)),
                testing::ElementsAre(Event::output("Documented your setup for " + claudeLabel + "."),
                                     Event::completed(0)));
    const QByteArray written = app.readFile("/Users/tester/.claude/CLAUDE.md");
    EXPECT_TRUE(written.contains("- Java: Temurin")) << "a commented JAVA_HOME still counts";
    EXPECT_TRUE(written.endsWith(closingLines + "\n"));
    EXPECT_FALSE(app.exists("/Users/tester/.claude/CLAUDE.md.bak"));
    EXPECT_FALSE(doc(app).readDocs());
    // Again: nothing to do, not a byte changed.
    EXPECT_THAT(
        runDocumentEnvironment(runner(app)),
        testing::ElementsAre(Event::output(claudeLabel + " already documents the setup — nothing to do."),
                             Event::completed(0)));
    EXPECT_EQ(app.readFile("/Users/tester/.claude/CLAUDE.md"), written);

    // Codex's file without a final line feed: backed up (keeping its bits), two line feeds before the
    // section.
    Sandbox codex;
    codex.writeFile("/Users/tester/.codex/AGENTS.md", "Be brief.", 0600);
    EXPECT_THAT(runDocumentEnvironment(runner(codex)),
                testing::ElementsAre(Event::output("Documented your setup for " + codexLabel + "."),
                                     Event::completed(0)));
    EXPECT_EQ(codex.readFile("/Users/tester/.codex/AGENTS.md.bak"), "Be brief.");
    EXPECT_EQ(test::modeOf(codex.map("/Users/tester/.codex/AGENTS.md.bak")), 0600);
    EXPECT_TRUE(codex.readFile("/Users/tester/.codex/AGENTS.md").startsWith("Be brief.\n\n<!-- Quillane"));
}

TEST(AgentEnvDoc, OneUnwritableFileFailsTheJobWhileTheOtherIsWritten) {
    Sandbox sandbox;
    sandbox.writeStub("/opt/homebrew/bin/claude");
    sandbox.makeDirectory("/Users/tester/.codex");
    auto faulty = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    faulty->failWrite = [](const QString& path) { return path.contains("/.claude"); };
    const SetupRemediationRunner runner(std::nullopt, sandbox.services().processRunner, faulty,
                                        sandbox.services().http);
    const std::vector<Event> events = runDocumentEnvironment(runner);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].text.startsWith("Couldn't write " + claudeLabel + ": "))
        << events[0].text.toStdString();
    EXPECT_EQ(events[1], Event::output("Documented your setup for " + codexLabel + "."));
    EXPECT_EQ(events[2], Event::completed(1));
    EXPECT_FALSE(sandbox.exists("/Users/tester/.claude/CLAUDE.md"));
    EXPECT_TRUE(sandbox.readFile("/Users/tester/.codex/AGENTS.md").startsWith("<!-- Quillane"));

    // A file that is not UTF-8 text is left exactly as it is and named in the failure.
    Sandbox latin;
    latin.makeDirectory("/Users/tester/.claude");
    latin.writeFile("/Users/tester/.claude/CLAUDE.md", "Caf\xe9\n");
    const auto result = doc(latin).document();
    EXPECT_FALSE(result.succeeded);
    ASSERT_EQ(result.messages.size(), 1);
    EXPECT_TRUE(result.messages[0].contains("CLAUDE.md”")) << result.messages[0].toStdString();
    EXPECT_EQ(latin.readFile("/Users/tester/.claude/CLAUDE.md"), "Caf\xe9\n");
    EXPECT_FALSE(latin.exists("/Users/tester/.claude/CLAUDE.md.bak"));
}
