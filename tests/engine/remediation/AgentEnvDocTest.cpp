// Whether an agent's instruction file still lacks the managed section, and what counts as an agent or a
// tool on the Mac, on real files in a sandbox.

#include "remediation/AgentEnvDoc.h"

#include "support/Sandbox.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;

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
