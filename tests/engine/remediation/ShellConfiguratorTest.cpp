// Whether the shell setup is already in place: the active-line test over ~/.zprofile and ~/.zshrc, and
// ~/.env, on real files in a sandboxed home folder.

#include "remediation/ShellConfigurator.h"
#include "remediation/FileAppendWriter.h"

#include "support/Sandbox.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;

namespace {

const QByteArray zshrcBlock = "if type brew >/dev/null 2>&1; then\n"
                              "  FPATH=\"$(brew --prefix)/share/zsh/site-functions:$FPATH\"\n"
                              "fi\n"
                              "autoload -Uz compinit && compinit\n"
                              "[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a\n";

bool status(const Sandbox& sandbox) {
    return ShellConfigurator(sandbox.services().fs).status();
}

// Every file under the home folder with its contents.
QMap<QString, QByteArray> snapshot(const Sandbox& sandbox) {
    QMap<QString, QByteArray> files;
    QDirIterator it(sandbox.home(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) files.insert(path, file.readAll());
    }
    return files;
}

} // namespace

TEST(FileAppendWriter, ActiveLineSkipsCommentsAndSplitsAtEveryLineBreak) {
    const QString needle = QStringLiteral("typeset -U path PATH");
    EXPECT_TRUE(FileAppendWriter::hasActiveLine(QStringLiteral("typeset -U path PATH\n"), needle));
    EXPECT_TRUE(FileAppendWriter::hasActiveLine(QStringLiteral("\t  typeset -U path PATH  \n"), needle));
    EXPECT_TRUE(
        FileAppendWriter::hasActiveLine(QStringLiteral("export A=1; typeset -U path PATH # keep"), needle));
    EXPECT_FALSE(FileAppendWriter::hasActiveLine(QStringLiteral("# typeset -U path PATH\n"), needle));
    EXPECT_FALSE(FileAppendWriter::hasActiveLine(QStringLiteral("   \t# typeset -U path PATH\n"), needle));
    EXPECT_FALSE(FileAppendWriter::hasActiveLine(QStringLiteral("typeset -U PATH path\n"), needle));
    EXPECT_FALSE(FileAppendWriter::hasActiveLine(QString(), needle));

    // A comment ends at any line break, so the needle on the next "line" is active.
    for (const char16_t separator : {u'\n', u'\r', u'\v', u'\f', u'\u0085', u'\u2028', u'\u2029'})
        EXPECT_TRUE(
            FileAppendWriter::hasActiveLine(QStringLiteral("# comment") + QChar(separator) + needle, needle))
            << int(separator);
    EXPECT_TRUE(FileAppendWriter::hasActiveLine(
        QStringLiteral("# comment\r\n") + needle + QStringLiteral("\r\n"), needle));
    // A non-breaking space is not trimmed: the line does not begin with "#".
    EXPECT_TRUE(FileAppendWriter::hasActiveLine(QStringLiteral("\u00A0# typeset -U path PATH"), needle));

    // Several needles: any one on an active line is enough; matching is case-sensitive.
    EXPECT_TRUE(FileAppendWriter::hasActiveLine(QStringLiteral("# a\nb\n"), QStringList{"a", "b"}));
    EXPECT_FALSE(FileAppendWriter::hasActiveLine(QStringLiteral("# a\nB\n"), QStringList{"a", "b"}));

    EXPECT_TRUE(FileAppendWriter::containsText(QStringLiteral("# typeset -U path PATH"), needle));
}

TEST(ShellConfigurator, StatusNeedsBothActiveLinesAndTheEnvFile) {
    Sandbox sandbox;
    EXPECT_FALSE(status(sandbox)) << "no files at all";

    sandbox.writeFile("/Users/tester/.zprofile", "# ~/.zprofile header\n\n# Quillane — shell environment\n"
                                                 "typeset -U path PATH\n");
    sandbox.writeFile("/Users/tester/.zshrc", zshrcBlock);
    EXPECT_FALSE(status(sandbox)) << "~/.env missing";

    // An empty ~/.env counts: only its existence is asked.
    sandbox.writeFile("/Users/tester/.env", "");
    EXPECT_TRUE(status(sandbox));

    // The ~/.zprofile line only in a comment (even indented) does not count.
    sandbox.writeFile("/Users/tester/.zprofile", "  # typeset -U path PATH\n");
    EXPECT_FALSE(status(sandbox));
    sandbox.writeFile("/Users/tester/.zprofile", "if true; then\n    typeset -U path PATH\nfi\n");
    EXPECT_TRUE(status(sandbox)) << "an indented active line counts";

    // The same for ~/.zshrc: the `source "$HOME/.env"` line commented out.
    sandbox.writeFile("/Users/tester/.zshrc", "# [ -f \"$HOME/.env\" ] && source \"$HOME/.env\"\n");
    EXPECT_FALSE(status(sandbox));
    sandbox.writeFile("/Users/tester/.zshrc", "source \"$HOME/.env\"\r\n");
    EXPECT_TRUE(status(sandbox));
    // Without the quotes it is a different line.
    sandbox.writeFile("/Users/tester/.zshrc", "source $HOME/.env\n");
    EXPECT_FALSE(status(sandbox));
    sandbox.writeFile("/Users/tester/.zshrc", zshrcBlock);

    // A missing ~/.zshrc, or one that is not UTF-8 text, or a folder in its place: false.
    const QMap<QString, QByteArray> before = snapshot(sandbox);
    QFile::remove(sandbox.map("/Users/tester/.zshrc"));
    EXPECT_FALSE(status(sandbox));
    sandbox.writeFile("/Users/tester/.zshrc", zshrcBlock + "\xff\xfe broken\n");
    EXPECT_FALSE(status(sandbox));
    QFile::remove(sandbox.map("/Users/tester/.zshrc"));
    sandbox.makeDirectory("/Users/tester/.zshrc");
    EXPECT_FALSE(status(sandbox));
    QDir(sandbox.map("/Users/tester/.zshrc")).removeRecursively();
    sandbox.writeFile("/Users/tester/.zshrc", zshrcBlock);

    // A ~/.zprofile that is not UTF-8 text: false. And the check never writes anything.
    sandbox.writeFile("/Users/tester/.zprofile", "typeset -U path PATH\n\xc3\x28\n");
    EXPECT_FALSE(status(sandbox));
    sandbox.writeFile("/Users/tester/.zprofile", "if true; then\n    typeset -U path PATH\nfi\n");
    EXPECT_TRUE(status(sandbox));
    EXPECT_EQ(snapshot(sandbox), before);
}
