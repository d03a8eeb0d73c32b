// The ~/.zshrc activation proposal: which lines mise and jEnv still need, the block and its separator,
// apply with backup, skip, and the files it must not rewrite.

#include "progress/ZshrcActivationPreview.h"

#include "ProgressTestSupport.h"
#include "engine/remediation/FaultyFileSystem.h"
#include "platform/LiveFileEditHold.h"
#include "remediation/FileEditLock.h"
#include "support/CurrentEdition.h"
#include "support/EditLockHolder.h"
#include "support/Sandbox.h"
#include "support/Wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

const QString kZshrc = QStringLiteral("/Users/tester/.zshrc");
const QString kBackup = QStringLiteral("/Users/tester/.zshrc.bak");
const QString kMiseLine = QStringLiteral("eval \"$(mise activate zsh)\"");
const QString kJenvPath = QStringLiteral("export PATH=\"$HOME/.jenv/bin:$PATH\"");
const QString kJenvInit = QStringLiteral("eval \"$(jenv init -)\"");

QStringList appended(const QSignalSpy& spy) {
    QStringList lines;
    for (const QList<QVariant>& call : spy)
        lines << call[0].toString();
    return lines;
}

// Apply, which writes off this thread, to its end.
void applyToEnd(ZshrcActivationPreview& preview) {
    preview.apply();
    EXPECT_TRUE(waitUntil([&] { return !preview.isApplying(); }));
}

} // namespace

TEST(ZshrcActivationPreview, ActivationLinesFollowTheActiveLines) {
    using M = ShellActivationManager;
    struct Case {
        M manager;
        QString text;
        QStringList lines;
    };
    const QList<Case> cases{
        {M::mise, QString(), {kMiseLine}},
        {M::mise, QStringLiteral("  # eval \"$(mise activate zsh)\"\n"), {kMiseLine}},
        {M::mise, QStringLiteral("\t command -v mise && eval \"$(mise activate zsh)\""), {}},
        {M::jenv, QString(), {kJenvPath, kJenvInit}},
        {M::jenv, QStringLiteral("export PATH=\"$HOME/.jenv/bin:$PATH\"\n"), {kJenvInit}},
        {M::jenv, QStringLiteral("eval \"$(jenv init -)\"\n# export PATH=~/.jenv/bin\n"), {kJenvPath}},
        {M::jenv, QStringLiteral("path+=~/.jenv/bin\neval \"$(jenv init - zsh)\"\n"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ZshrcActivationPreview::activationLines(c.manager, c.text), c.lines);
    }
}

TEST(ZshrcActivationPreview, TheBlockFollowsTheTextWithItsSeparator) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QString marker = QStringLiteral("# Quillane — jEnv init");
    const QString block = marker + QLatin1Char('\n') + kJenvInit + QLatin1Char('\n');
    struct Case {
        std::optional<QByteArray> original;
        QString separator;
    };
    const QList<Case> cases{
        {std::nullopt, QString()},
        {QByteArray("export PATH=\"$HOME/.jenv/bin:$PATH\""), QStringLiteral("\n\n")},
        {QByteArray("export PATH=\"$HOME/.jenv/bin:$PATH\"\n"), QStringLiteral("\n")},
        {QByteArray("export PATH=\"$HOME/.jenv/bin:$PATH\"\n\n"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.original ? c.original->toStdString() : "<missing>");
        Sandbox sandbox;
        if (c.original) sandbox.writeFile(kZshrc, *c.original);
        ZshrcActivationPreview preview(sandbox.services().fs);
        preview.prepare(c.original ? QStringList{kJenvInit} : QStringList{kJenvPath, kJenvInit},
                        QStringLiteral("jEnv init"));
        ASSERT_TRUE(preview.isPending());
        const FileAppendWriter::DiffPreview& p = *preview.preview();
        EXPECT_EQ(p.path, sandbox.home() + QStringLiteral("/.zshrc"));
        EXPECT_EQ(p.backupPath, sandbox.home() + QStringLiteral("/.zshrc.bak"));
        EXPECT_EQ(p.wasCreated, !c.original);
        EXPECT_FALSE(p.alreadySet);
        EXPECT_EQ(p.linesAdded.first(), marker);
        if (c.original) {
            EXPECT_EQ(p.proposedContents, QString::fromUtf8(*c.original) + c.separator + block);
        } else {
            EXPECT_EQ(p.proposedContents, marker + QLatin1Char('\n') + kJenvPath + QLatin1Char('\n') +
                                              kJenvInit + QLatin1Char('\n'));
        }
    }
}

TEST(ZshrcActivationPreview, ApplyWritesWithABackupAndSkipDropsTheProposal) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    ZshrcActivationPreview preview(sandbox.services().fs);
    QSignalSpy lines(&preview, &ZshrcActivationPreview::lineAppended);
    preview.prepare(ShellActivationManager::mise);
    EXPECT_EQ(preview.rows(), (QList<DiffRow>{{QStringLiteral("+ # Quillane — Mise activation"), true},
                                              {QStringLiteral("+ ") + kMiseLine, true}}));
    applyToEnd(preview);
    EXPECT_TRUE(preview.applied());
    EXPECT_FALSE(preview.isPending());
    EXPECT_EQ(sandbox.readFile(kZshrc), ("# Quillane — Mise activation\n" + kMiseLine + "\n").toUtf8());
    EXPECT_EQ(sandbox.readFile(kBackup), QByteArray());
    const QString home = sandbox.home();
    EXPECT_EQ(appended(lines),
              QStringList{QStringLiteral("Updated %1/.zshrc. Backup at %1/.zshrc.bak.").arg(home)});

    // Now active: a second run proposes nothing and writes nothing.
    ZshrcActivationPreview again(sandbox.services().fs);
    again.prepare(ShellActivationManager::mise);
    EXPECT_FALSE(again.preview().has_value());
    EXPECT_FALSE(again.error().has_value());

    // A failed write keeps the proposal; skip then drops it with its line.
    auto fs = std::make_shared<FaultyFileSystem>(sandbox.services().fs);
    fs->failWrite = [](const QString& path) { return path.endsWith(QStringLiteral(".zshrc")); };
    ZshrcActivationPreview failing(fs);
    QSignalSpy failingLines(&failing, &ZshrcActivationPreview::lineAppended);
    failing.prepare(ShellActivationManager::jenv);
    applyToEnd(failing);
    EXPECT_EQ(failing.error(),
              QStringLiteral("Couldn't write file: Couldn't write “%1/.zshrc”: Permission denied")
                  .arg(sandbox.home()));
    EXPECT_TRUE(failing.isPending());
    EXPECT_TRUE(failingLines.isEmpty());
    failing.skip();
    EXPECT_FALSE(failing.isPending());
    EXPECT_FALSE(failing.error().has_value()); // the reason goes with the proposal
    EXPECT_EQ(
        appended(failingLines),
        QStringList{QStringLiteral("Skipped ~/.zshrc edit. JAVA_HOME may stay unset in fresh shells until "
                                   "you add the line manually.")});
    EXPECT_EQ(sandbox.readFile(kZshrc), ("# Quillane — Mise activation\n" + kMiseLine + "\n").toUtf8());
}

TEST(ZshrcActivationPreview, AFileThatIsNotUtf8IsNeverRewritten) {
    Sandbox sandbox;
    const QByteArray original("alias x='\xc3\x28'\n");
    sandbox.writeFile(kZshrc, original);
    ZshrcActivationPreview preview(sandbox.services().fs);
    QSignalSpy lines(&preview, &ZshrcActivationPreview::lineAppended);
    preview.prepare(ShellActivationManager::jenv);
    EXPECT_FALSE(preview.preview().has_value());
    ASSERT_TRUE(preview.error().has_value());
    EXPECT_TRUE(preview.error()->startsWith(QStringLiteral("Couldn't read ~/.zshrc: ")));
    applyToEnd(preview);
    preview.skip();
    EXPECT_EQ(appended(lines), QStringList{*preview.error()}); // told in the output: there is no card
    EXPECT_EQ(sandbox.readFile(kZshrc), original);
    EXPECT_FALSE(sandbox.exists(kBackup));
}

TEST(ZshrcActivationPreview, AnEditMadeAfterThePreviewIsCheckedAgainBeforeWriting) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    sandbox.writeFile(kZshrc, "alias ll='ls -l'\n");
    ZshrcActivationPreview preview(sandbox.services().fs);
    preview.prepare(ShellActivationManager::jenv);
    sandbox.writeFile(kZshrc, "alias ll='ls -l'\nexport PATH=\"$HOME/.jenv/bin:$PATH\"\n");
    applyToEnd(preview);
    EXPECT_FALSE(preview.applied());
    EXPECT_TRUE(preview.error().has_value());
    EXPECT_FALSE(sandbox.exists(kBackup));
    EXPECT_EQ(preview.preview()->linesAdded,
              (QStringList{QStringLiteral("# Quillane — jEnv init"), kJenvInit}));
    applyToEnd(preview);
    EXPECT_EQ(sandbox.readFile(kZshrc), ("alias ll='ls -l'\nexport PATH=\"$HOME/.jenv/bin:$PATH\"\n\n"
                                         "# Quillane — jEnv init\n" +
                                         kJenvInit + "\n")
                                            .toUtf8());

    // The program that apply waits for adds a line before it lets go: the proposal is checked against it.
    Sandbox held;
    held.writeFile(kZshrc, "alias ll='ls -l'\n");
    ZshrcActivationPreview waiting(held.services().fs);
    waiting.prepare(ShellActivationManager::jenv);
    EditLockHolder holder(held.home() + "/.zshrc",
                          LiveFileEditHold::lockFolder(held.services().fs->temporaryDirectory()));
    if (!holder.held()) GTEST_SKIP() << "flock(1) is not installed";
    QSignalSpy lines(&waiting, &ZshrcActivationPreview::lineAppended);
    waiting.apply();
    ASSERT_TRUE(waitUntil([&] { return !lines.isEmpty(); }));
    EXPECT_EQ(appended(lines), QStringList{FileEditLock::waitingLine("~/.zshrc")});
    held.writeFile(kZshrc, "alias ll='ls -l'\neval \"$(jenv init -)\"\n");
    holder.release();
    ASSERT_TRUE(waitUntil([&] { return !waiting.isApplying(); }));
    EXPECT_FALSE(waiting.applied());
    EXPECT_TRUE(waiting.error().value_or("").startsWith("~/.zshrc changed since this preview was made"));
    EXPECT_EQ(waiting.preview()->linesAdded,
              (QStringList{QStringLiteral("# Quillane — jEnv init"), kJenvPath}));
    EXPECT_FALSE(held.exists(kBackup));
}
