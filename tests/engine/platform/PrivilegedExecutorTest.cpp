#include "platform/PrivilegedExecutor.h"
#include "platform/PlatformError.h"
#include "support/ForwardingFileSystem.h"
#include "support/Sandbox.h"
#include "support/ScopedVariable.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <optional>

using namespace qlan;
using qlan::test::Sandbox;
using qlan::test::ScopedVariable;

namespace {

// The double-quoted AppleScript string literals of a script, unescaped as AppleScript reads them.
QStringList appleScriptStrings(const QString& script) {
    QStringList strings;
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script.at(i) != QLatin1Char('"')) continue;
        QString value;
        for (++i; i < script.size() && script.at(i) != QLatin1Char('"'); ++i) {
            if (script.at(i) == QLatin1Char('\\') && i + 1 < script.size()) ++i;
            value.append(script.at(i));
        }
        strings.append(value);
    }
    return strings;
}

// Fails the n-th write of a script.
class FailingFileSystem : public test::ForwardingFileSystem {
public:
    FailingFileSystem(std::shared_ptr<FileSystemOperating> inner, int failingWrite)
        : ForwardingFileSystem(std::move(inner))
        , failingWrite_(failingWrite) {}
    void writeString(const QString& text, const QString& path, bool atomically) override {
        if (++writes_ == failingWrite_) throw PlatformError("disk full", 28);
        inner_->writeString(text, path, atomically);
    }

private:
    int failingWrite_;
    int writes_ = 0;
};

QStringList privateFolders(const FileSystemOperating& fs) {
    return fs.contentsOfDirectory(fs.temporaryDirectory()).filter(QRegularExpression("^vrl-priv-"));
}

int modeOf(const FileSystemOperating& fs, const QString& path) {
    return fs.attributesOfItem(path).posixPermissions.value_or(-1);
}

} // namespace

TEST(PrivilegedExecutor, TheDialogReceivesPromptAndTitleExactlyAsWritten) {
    Sandbox sandbox;
    const auto fs = sandbox.services().fs;
    const QString titleMarker = sandbox.root() + "/title-ran";
    const QString title = QString(R"(Quill "ane" \ $(touch %1) `id` 'it''s')").arg(titleMarker);

    // Lines that would end a here-document or run as commands, quotes of every kind.
    const QString marker = sandbox.root() + "/prompt-ran";
    const QString prompt = QString("Enter \"your\" password \\\nEOF\n$(touch %1)\n`touch %1`\nEOF\ntouch %1\n"
                                   "$HOME \\n '\\'' 'EOF' \"EOF\"\n")
                               .arg(marker);
    const PrivilegedEnvironment result = PrivilegedExecutor{fs, title}.makeEnvironment(prompt);

    const QString askpass = result.environment.value("SUDO_ASKPASS");
    const QString folder = QFileInfo(askpass).absolutePath();
    EXPECT_EQ(result.environment.keys(), (QStringList{"PATH", "SUDO_ASKPASS"}));
    EXPECT_EQ(QFileInfo(folder).absolutePath(), QDir::cleanPath(fs->temporaryDirectory()));
    EXPECT_TRUE(QRegularExpression("^vrl-priv-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(QFileInfo(folder).fileName())
                    .hasMatch())
        << folder.toStdString();
    EXPECT_EQ(QFileInfo(askpass).fileName(), "askpass.sh");
    EXPECT_EQ(result.environment.value("PATH"), folder + ":" + qEnvironmentVariable("PATH"));

    // Owner-only folder and scripts.
    EXPECT_EQ(modeOf(*fs, folder), 0700);
    EXPECT_EQ(modeOf(*fs, askpass), 0700);
    EXPECT_EQ(modeOf(*fs, folder + "/sudo"), 0700);
    EXPECT_EQ(fs->readString(folder + "/sudo"), "#!/bin/bash\nexec /usr/bin/sudo -A \"$@\"");

    // Run by the real bash against a stub dialog: it receives the three lines of AppleScript, both
    // texts verbatim inside them, and prints the answer; nothing of the texts ran.
    test::StubSpec dialog;
    dialog.stdOut = "hunter2\n";
    sandbox.writeStub("/usr/bin/osascript", dialog);
    const ProcessResult run = sandbox.services().processRunner->run(askpass, {});
    EXPECT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    EXPECT_EQ(run.stdOut, "hunter2\n");
    const auto calls = sandbox.calls("/usr/bin/osascript");
    ASSERT_EQ(calls.size(), 1);
    const QStringList arguments = calls.first().arguments;
    ASSERT_EQ(arguments.size(), 6) << arguments.join(" | ").toStdString();
    EXPECT_EQ(arguments.at(1), "activate");
    EXPECT_EQ(arguments.at(5), "return text returned of result");
    EXPECT_EQ((QStringList{arguments.at(0), arguments.at(2), arguments.at(4)}),
              (QStringList{"-e", "-e", "-e"}));
    EXPECT_EQ(appleScriptStrings(arguments.at(3)), (QStringList{prompt, "", title, "Cancel", "OK", "OK"}));
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_FALSE(QFileInfo::exists(titleMarker));

    result.cleanup();
    EXPECT_FALSE(fs->fileExists(folder));
}

TEST(PrivilegedExecutor, EachCallHasItsOwnFolderAndCleanupIsHarmlessTwice) {
    Sandbox sandbox;
    const auto fs = sandbox.services().fs;
    const PrivilegedExecutor executor{fs, "Quillane"};
    const auto first = executor.makeEnvironment("Enter Mac password to install Homebrew.");
    const auto second = executor.makeEnvironment("Enter Mac password to install Homebrew.");
    const QString firstFolder = QFileInfo(first.environment.value("SUDO_ASKPASS")).absolutePath();
    const QString secondFolder = QFileInfo(second.environment.value("SUDO_ASKPASS")).absolutePath();
    EXPECT_NE(firstFolder, secondFolder);
    EXPECT_EQ(privateFolders(*fs).size(), 2);

    first.cleanup();
    EXPECT_FALSE(fs->fileExists(firstFolder));
    EXPECT_TRUE(fs->fileExists(secondFolder + "/askpass.sh"));
    first.cleanup();
    second.cleanup();
    second.cleanup();
    EXPECT_TRUE(privateFolders(*fs).isEmpty());
}

TEST(PrivilegedExecutor, TheAbsoluteEntriesOfPathOrTheStandardSearchPathFollow) {
    Sandbox sandbox;
    for (const auto& [path, following] :
         {std::pair<std::optional<QByteArray>, QString>{std::nullopt, "/usr/bin:/bin:/usr/sbin:/sbin"},
          {"bin:.:", "/usr/bin:/bin:/usr/sbin:/sbin"},
          {":/opt/tools:bin:/usr/bin:", "/opt/tools:/usr/bin"}}) {
        const auto result = [&, &value = path] {
            const ScopedVariable searched("PATH", value);
            return PrivilegedExecutor{sandbox.services().fs, "Quillane"}.makeEnvironment("p");
        }();
        const QString folder = QFileInfo(result.environment.value("SUDO_ASKPASS")).absolutePath();
        EXPECT_EQ(result.environment.value("PATH"), folder + ":" + following);
        result.cleanup();
    }
}

TEST(PrivilegedExecutor, AFailureHalfwayReportsTheErrorAndLeavesNoFolder) {
    Sandbox sandbox;
    for (int failingWrite : {1, 2}) {
        auto fs = std::make_shared<FailingFileSystem>(sandbox.services().fs, failingWrite);
        try {
            PrivilegedExecutor{fs, "Quillane"}.makeEnvironment("p");
            ADD_FAILURE() << "no error reported";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.localizedDescription(), "disk full");
        }
        EXPECT_TRUE(privateFolders(*sandbox.services().fs).isEmpty()) << failingWrite;
    }
}
