// The file append writer on real files in a sandbox: the separator and marker rules, the presence
// tests, backups, and every way a write can fail leaving the user's file byte for byte as it was.

#include "remediation/FileAppendWriter.h"

#include "FaultyFileSystem.h"
#include "support/FileMode.h"
#include "support/CurrentEdition.h"
#include "support/Sandbox.h"

#include <QFileInfo>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::CurrentEdition;
using qlan::test::FaultyFileSystem;
using qlan::test::modeOf;
using qlan::test::Sandbox;

namespace {

const QString zprofile = QStringLiteral("/Users/tester/.zprofile");
const QString uvLine = QStringLiteral("export PATH=\"$HOME/.local/bin:$PATH\"");
const QByteArray uvBlock = "# Quillane — uv PATH\nexport PATH=\"$HOME/.local/bin:$PATH\"\n";

FileAppendWriter writerIn(const Sandbox& sandbox, std::shared_ptr<FileSystemOperating> fs = {}) {
    return FileAppendWriter(sandbox.home() + "/.zprofile", fs ? fs : sandbox.services().fs);
}

} // namespace

TEST(FileAppendWriter, SeparatorAndMarkerGoldenFiles) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    struct Case {
        std::optional<QByteArray> original; // absent: no file
        QByteArray expected;
    };
    const QList<Case> cases{
        {std::nullopt, uvBlock},
        {QByteArray(""), uvBlock},
        {QByteArray("abc"), "abc\n\n" + uvBlock},
        {QByteArray("abc\n"), "abc\n\n" + uvBlock},
        {QByteArray("abc\n\n"), "abc\n\n" + uvBlock},
        {QByteArray("abc\n\n\n"), "abc\n\n\n" + uvBlock},
        {QByteArray("\n"), "\n\n" + uvBlock},
        {QByteArray("é — ünïcode"), "é — ünïcode\n\n" + uvBlock},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.original ? c.original->toStdString() : "<missing>");
        Sandbox sandbox;
        if (c.original) sandbox.writeFile(zprofile, *c.original);
        const FileAppendWriter::DiffPreview preview =
            writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);
        EXPECT_EQ(sandbox.readFile(zprofile), c.expected);
        EXPECT_EQ(preview.proposedContents.toUtf8(), c.expected);
        EXPECT_EQ(preview.linesAdded, QStringList({"# Quillane — uv PATH", uvLine}));
        EXPECT_EQ(preview.wasCreated, !c.original.has_value());
        EXPECT_FALSE(preview.alreadySet);
        EXPECT_EQ(preview.path, sandbox.home() + "/.zprofile");
        EXPECT_EQ(preview.backupPath, sandbox.home() + "/.zprofile.bak");
        // A created file gets an empty backup; any other its text at preview time.
        EXPECT_TRUE(sandbox.exists(zprofile + ".bak"));
        EXPECT_EQ(sandbox.readFile(zprofile + ".bak"), c.original.value_or(QByteArray()));
    }
}

TEST(FileAppendWriter, MarkerLineFollowsTheEditionAndTheLocalDay) {
    const QDateTime date(QDate(2026, 5, 17), QTime(23, 30));
    EXPECT_EQ(FileAppendWriter::markerLine("Homebrew shellenv", date, ProductConfig::homebrewEdition()),
              "# Quillane — Homebrew shellenv");
    EXPECT_EQ(FileAppendWriter::markerLine("Java configuration", date, ProductConfig::javaEdition()),
              "# 2026-05-17 Vorrel — Java configuration");

    // The writer takes the current edition and its clock when it previews.
    CurrentEdition edition(ProductConfig::javaEdition());
    Sandbox sandbox;
    FileAppendWriter writer = writerIn(sandbox);
    writer.clock = [] { return QDateTime(QDate(2026, 1, 2), QTime(0, 5)); };
    const auto preview = writer.makePreview({"x"}, "Java configuration", {});
    EXPECT_EQ(preview.linesAdded.first(), "# 2026-01-02 Vorrel — Java configuration");
}

TEST(FileAppendWriter, PresenceTestsDecideAlreadySetAndAlreadySetTouchesNothing) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    struct Case {
        QByteArray text;
        bool activeLinesOnly;
        bool alreadySet;
    };
    const QList<Case> cases{
        {"# eval \"$(/opt/homebrew/bin/brew shellenv)\"\n", true, false},
        {"# eval \"$(/opt/homebrew/bin/brew shellenv)\"\n", false, true},
        {"if true; then\n\t  eval \"$(/opt/homebrew/bin/brew shellenv)\"\nfi\n", true, true},
        {"export PATH=/x\n", true, false},
        {"export PATH=/x\n", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Sandbox sandbox;
        sandbox.writeFile(zprofile, c.text, 0640);
        sandbox.writeFile(zprofile + ".bak", "an earlier backup\n");
        const auto preview =
            writerIn(sandbox).append("eval \"$(/opt/homebrew/bin/brew shellenv)\"", "Homebrew shellenv",
                                     "brew shellenv", c.activeLinesOnly);
        EXPECT_EQ(preview.alreadySet, c.alreadySet);
        if (c.alreadySet) {
            EXPECT_TRUE(preview.linesAdded.isEmpty());
            EXPECT_EQ(preview.proposedContents, preview.originalContents);
            EXPECT_EQ(sandbox.readFile(zprofile), c.text);
            EXPECT_EQ(sandbox.readFile(zprofile + ".bak"), "an earlier backup\n") << "not even the backup";
        } else {
            EXPECT_EQ(sandbox.readFile(zprofile + ".bak"), c.text) << "the earlier backup is replaced";
            EXPECT_EQ(modeOf(sandbox.map(zprofile + ".bak")), 0640) << "and takes the file's permission bits";
            EXPECT_EQ(modeOf(sandbox.map(zprofile)), 0640);
        }
    }
}

TEST(FileAppendWriter, ALinkedDotfileStaysALinkAndPrivateBitsStayPrivate) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    sandbox.writeFile("/Users/tester/dotfiles/zprofile", "export A=1\n", 0600);
    sandbox.makeSymlink(zprofile, "/Users/tester/dotfiles/zprofile");
    sandbox.writeFile(zprofile + ".bak", "old\n", 0644);

    writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);

    EXPECT_TRUE(QFileInfo(sandbox.map(zprofile)).isSymLink());
    EXPECT_EQ(sandbox.readFile("/Users/tester/dotfiles/zprofile"), "export A=1\n\n" + uvBlock);
    EXPECT_EQ(modeOf(sandbox.map("/Users/tester/dotfiles/zprofile")), 0600);
    EXPECT_EQ(sandbox.readFile(zprofile + ".bak"), "export A=1\n");
    EXPECT_EQ(modeOf(sandbox.map(zprofile + ".bak")), 0600)
        << "a backup is never more open than a private file";
}

TEST(FileAppendWriter, EveryFailureLeavesTheFileByteForByteAndSaysWhatToDo) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QByteArray original = "export EDITOR=vim\n";
    const QByteArray earlierBackup = "an earlier backup\n";
    struct Case {
        const char* name;
        std::function<bool(const QString&)> failWrite;
        std::function<void(Sandbox&)> betweenPreviewAndApply;
        QByteArray contents; // of the file
        QString errorStart;
        QString errorContains;
        QByteArray backupAfter;
    };
    const auto inHome = [](const QString& path) { return path.contains("/Users/tester/"); };
    const QList<Case> cases{
        {"unwritable folder",
         inHome,
         {},
         original,
         "Couldn't write backup file: ",
         "Permission denied",
         earlierBackup},
        {"failing backup",
         [](const QString& p) { return p.endsWith(".bak"); },
         {},
         original,
         "Couldn't write backup file: ",
         ".zprofile.bak",
         earlierBackup},
        {"failing rename",
         [](const QString& p) { return p.endsWith("/.zprofile"); },
         {},
         original,
         "Couldn't write file: ",
         ".zprofile",
         original},
        {"changed after the preview",
         {},
         [&](Sandbox& s) { s.writeFile(zprofile, original + "alias ll='ls -l'\n"); },
         original + "alias ll='ls -l'\n",
         "Couldn't write file: ",
         "changed since the preview",
         earlierBackup},
        {"created after the preview",
         {},
         [&](Sandbox& s) { s.writeFile(zprofile, "new\n"); },
         "new\n",
         "Couldn't write file: ",
         "changed since the preview",
         earlierBackup},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        if (std::string(c.name) != "created after the preview") sandbox.writeFile(zprofile, original);
        sandbox.writeFile(zprofile + ".bak", earlierBackup);
        auto faulty = std::make_shared<FaultyFileSystem>(sandbox.services().fs);
        const FileAppendWriter writer = writerIn(sandbox, faulty);
        const auto preview = writer.makePreview({uvLine}, "uv PATH", [](const QString&) { return false; });
        if (c.betweenPreviewAndApply) c.betweenPreviewAndApply(sandbox);
        faulty->failWrite = c.failWrite;
        try {
            writer.apply(preview);
            ADD_FAILURE() << "apply succeeded";
        } catch (const FileAppendWriter::WriteError& error) {
            EXPECT_TRUE(error.localizedDescription().startsWith(c.errorStart))
                << error.localizedDescription().toStdString();
            EXPECT_TRUE(error.localizedDescription().contains(c.errorContains))
                << error.localizedDescription().toStdString();
        }
        EXPECT_EQ(sandbox.readFile(zprofile), c.contents);
        EXPECT_EQ(sandbox.readFile(zprofile + ".bak"), c.backupAfter);
        EXPECT_EQ(QDir(sandbox.home()).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << "no temporary file left";
    }
}

TEST(FileAppendWriter, AFileThatIsNotUtf8IsNeverRewritten) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const QByteArray latin1 = "export NAME=Ren\xe9\n";
    sandbox.writeFile(zprofile, latin1);
    try {
        writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);
        ADD_FAILURE() << "append succeeded";
    } catch (const PlatformError& error) {
        EXPECT_TRUE(error.localizedDescription().contains(".zprofile"))
            << error.localizedDescription().toStdString();
    }
    EXPECT_EQ(sandbox.readFile(zprofile), latin1);
    EXPECT_FALSE(sandbox.exists(zprofile + ".bak"));
}
