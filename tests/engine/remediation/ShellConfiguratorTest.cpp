// The shell setup on real files in a sandboxed home folder: whether it is in place (the active-line test
// over ~/.zprofile and ~/.zshrc, and ~/.env), the "shell-config" job that puts it there, and the PATH
// and activation lines of the tool installs.

#include "remediation/ShellConfigurator.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/SetupRemediationRunner.h"

#include "FaultyFileSystem.h"
#include "RunnerEvents.h"
#include "support/CurrentEdition.h"
#include "support/FileMode.h"
#include "support/Sandbox.h"

#include <gmock/gmock.h>

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::CurrentEdition;
using qlan::test::Sandbox;
using Event = StreamEvent;

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

namespace {

const QByteArray zprofileHeader = "# ~/.zprofile — PATH + environment, loaded once per login shell\n";
const QByteArray zshrcHeader = "# ~/.zshrc — aliases, completions, prompt (interactive shells)\n";
const QString closing = "Shell configuration complete. Open a new terminal for the changes to take effect.";

// Runs the "shell-config" job; the stream must already be over when `run` returns.
std::vector<Event> runConfigureShell(const Sandbox& sandbox) {
    return test::runToEnd(SetupRemediationRunner::fromServices(sandbox.services()),
                          SetupRemediation::configureShell());
}

std::vector<Event> outputs(const QStringList& lines, int exitCode) {
    std::vector<Event> events;
    for (const QString& line : lines)
        events.push_back(Event::output(line));
    events.push_back(Event::completed(exitCode));
    return events;
}

} // namespace

TEST(ShellConfigurator, ConfigureOnAnEmptyHomeThenAgainChangesNothing) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const QString home = sandbox.home();

    EXPECT_EQ(
        runConfigureShell(sandbox),
        outputs({"Configured ~/.zprofile (backup at " + home + "/.zprofile.bak).",
                 "Configured ~/.zshrc (backup at " + home + "/.zshrc.bak).",
                 "Created ~/.env (permissions 600) with commented placeholders — add your API keys there.",
                 closing},
                0));
    const QMap<QString, QByteArray> files = snapshot(sandbox);
    EXPECT_EQ(files.keys(), QStringList({home + "/.env", home + "/.zprofile", home + "/.zprofile.bak",
                                         home + "/.zshrc", home + "/.zshrc.bak"}));
    EXPECT_EQ(files[home + "/.zprofile"],
              zprofileHeader + "\n# Quillane — shell environment\ntypeset -U path PATH\n");
    EXPECT_EQ(files[home + "/.zshrc"], zshrcHeader + "\n# Quillane — interactive shell\n" + zshrcBlock);
    EXPECT_EQ(files[home + "/.zprofile.bak"], zprofileHeader);
    EXPECT_EQ(files[home + "/.zshrc.bak"], zshrcHeader);
    EXPECT_EQ(files[home + "/.env"].size(), 277);
    EXPECT_TRUE(files[home + "/.env"].startsWith("# ~/.env — API keys for MCP servers and CLIs"));
    EXPECT_EQ(test::modeOf(home + "/.env"), 0600);
    EXPECT_TRUE(status(sandbox));

    EXPECT_EQ(runConfigureShell(sandbox),
              outputs({"~/.zprofile is already configured — nothing to do.",
                       "~/.zshrc is already configured — nothing to do.",
                       "~/.env already exists — leaving it untouched (add keys there yourself).", closing},
                      0));
    EXPECT_EQ(snapshot(sandbox), files) << "not a byte changed, backups included";
}

TEST(ShellConfigurator, ACommentedOutLineIsNotTheSetupSoConfigureAddsIt) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    // Only a comment mentions the line; ~/.zshrc holds only blanks and gets its header first.
    sandbox.writeFile("/Users/tester/.zprofile", "# typeset -U path PATH\n");
    sandbox.writeFile("/Users/tester/.zshrc", "  \n\t\n");
    sandbox.writeFile("/Users/tester/.env", "");
    EXPECT_FALSE(status(sandbox));

    const auto result = ShellConfigurator(sandbox.services().fs).configure();
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.messages.first().startsWith("Configured ~/.zprofile"))
        << result.messages.first().toStdString();
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"),
              "# typeset -U path PATH\n\n# Quillane — shell environment\ntypeset -U path PATH\n");
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zshrc"),
              zshrcHeader + "\n# Quillane — interactive shell\n" + zshrcBlock);
    EXPECT_EQ(sandbox.readFile("/Users/tester/.env"), "") << "an existing ~/.env is never touched";
    EXPECT_TRUE(status(sandbox)) << "the fix that reported success is not offered again";
}

TEST(ShellConfigurator, AFailingStepDoesNotStopTheOthersAndTheJobFails) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const QByteArray notText = "alias x='\xff'\n";
    sandbox.writeFile("/Users/tester/.zshrc", notText);
    const std::vector<Event> events = runConfigureShell(sandbox);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_TRUE(events[0].text.startsWith("Configured ~/.zprofile"));
    EXPECT_TRUE(events[1].text.startsWith("Couldn't update ~/.zshrc: ")) << events[1].text.toStdString();
    EXPECT_TRUE(events[1].text.contains(".zshrc”")) << "the error names the file";
    EXPECT_TRUE(events[2].text.startsWith("Created ~/.env"));
    EXPECT_EQ(events[3], Event::completed(1)) << "no closing message";
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zshrc"), notText);
    EXPECT_FALSE(sandbox.exists("/Users/tester/.zshrc.bak"));

    // ~/.env that cannot be written: its own message, and the other files are still done.
    Sandbox envFails;
    auto faulty = std::make_shared<test::FaultyFileSystem>(envFails.services().fs);
    faulty->failWrite = [](const QString& path) { return path.endsWith("/.env"); };
    const auto result = ShellConfigurator(faulty).configure();
    EXPECT_FALSE(result.succeeded);
    ASSERT_EQ(result.messages.size(), 3);
    EXPECT_TRUE(result.messages[2].startsWith("Couldn't create ~/.env: "))
        << result.messages[2].toStdString();
    EXPECT_TRUE(envFails.exists("/Users/tester/.zshrc"));
}

TEST(ShellConfigurator, ToolLinesAreAddedOnceEach) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const ShellConfigurator shell(sandbox.services().fs);
    sandbox.writeFile("/Users/tester/.zprofile",
                      "command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh --shims)\"\n");
    EXPECT_EQ(shell.addMiseActivation(),
              QStringList({"mise shims (~/.zprofile) is already set — nothing to do.",
                           "Configured mise activate (~/.zshrc)."}));
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zshrc"), "# Quillane — mise (interactive)\ncommand -v mise "
                                                        ">/dev/null 2>&1 && eval \"$(mise activate zsh)\"\n");

    EXPECT_EQ(shell.addCargoPath(), QStringList{"Configured Rust (cargo) on PATH (~/.zprofile)."});
    EXPECT_EQ(shell.addCargoPath(),
              QStringList{"Rust (cargo) on PATH (~/.zprofile) is already set — nothing to do."});
    EXPECT_EQ(shell.addUvPath(), QStringList{"Configured uv on PATH (~/.zprofile)."});
    EXPECT_TRUE(sandbox.readFile("/Users/tester/.zprofile")
                    .endsWith("\n\n# Quillane — rustup PATH\nexport PATH=\"$HOME/.cargo/bin:$PATH\"\n\n"
                              "# Quillane — uv PATH\nexport PATH=\"$HOME/.local/bin:$PATH\"\n"));

    auto faulty = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    faulty->failWrite = [](const QString&) { return true; };
    sandbox.writeFile("/Users/tester/.zprofile", "");
    const QStringList failed = ShellConfigurator(faulty).addUvPath();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(
        failed[0].startsWith("Couldn't configure uv on PATH (~/.zprofile): Couldn't write backup file: "))
        << failed[0].toStdString();
}
