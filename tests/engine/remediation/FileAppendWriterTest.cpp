// The file append writer on real files in a sandbox: the separator and marker rules, the presence
// tests, backups, and every way a write can fail leaving the user's file byte for byte as it was.

#include "remediation/FileAppendWriter.h"

#include "platform/ExtendedAttributes.h"
#include "platform/LiveFileSystem.h"
#include "remediation/AgentEnvDoc.h"
#include "remediation/FileEditLock.h"
#include "remediation/MCPConfigWriter.h"

#include "FaultyFileSystem.h"
#include "support/CurrentEdition.h"
#include "support/FileMode.h"
#include "support/FileSizeLimit.h"
#include "support/OtherUser.h"
#include "support/Sandbox.h"
#include "support/SandboxFileSystem.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gmock/gmock.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

using namespace qlan;
using qlan::test::CurrentEdition;
using qlan::test::FaultyFileSystem;
using qlan::test::FileSizeLimit;
using qlan::test::modeOf;
using qlan::test::Sandbox;

namespace {

const QString zprofile = QStringLiteral("/Users/tester/.zprofile");
const QString uvLine = QStringLiteral("export PATH=\"$HOME/.local/bin:$PATH\"");
const QByteArray uvBlock = "# Quillane — uv PATH\nexport PATH=\"$HOME/.local/bin:$PATH\"\n";

FileAppendWriter writerIn(const Sandbox& sandbox, std::shared_ptr<FileSystemOperating> fs = {}) {
    return FileAppendWriter(sandbox.home() + "/.zprofile", fs ? fs : sandbox.services().fs);
}

// Every writer of the engine that keeps a backup beside the file it edits.
struct BackedUpWriter {
    const char* name;
    QString target;                          // the backup is target + ".bak"
    std::function<bool(const Sandbox&)> run; // true when it reports success
};

const QList<BackedUpWriter> backedUpWriters{
    {"~/.zprofile", zprofile,
     [](const Sandbox& sandbox) {
         try {
             writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);
             return true;
         } catch (const PlatformError&) {
             return false;
         }
     }},
    {"Codex config", "/Users/tester/.codex/config.toml",
     [](const Sandbox& sandbox) {
         return MCPConfigWriter(sandbox.services().fs)
             .addToCodex("notion", "https://mcp.example.test/")
             .succeeded;
     }},
    {"CLAUDE.md", "/Users/tester/.claude/CLAUDE.md",
     [](const Sandbox& sandbox) { return AgentEnvDoc(sandbox.services().fs).document().succeeded; }},
};

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
        {QByteArray("\xEF\xBB\xBF"
                    "abc\n"),
         "\xEF\xBB\xBF"
         "abc\n\n" +
             uvBlock}, // the byte-order mark stays
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
        {"\xEF\xBB\xBF# eval \"$(/opt/homebrew/bin/brew shellenv)\"\n", true, false},
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

TEST(FileAppendWriter, AnEditedFileKeepsItsModeOwnerGroupAndExtendedAttributes) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    sandbox.writeFile(zprofile, "export A=1\n", 0640);
    const QByteArray file = QFile::encodeName(sandbox.map(zprofile));
    try {
        extendedAttributes::set(file, "user.test.tag", QByteArray("Red\0Blue", 8));
    } catch (const PlatformError& error) {
        if (error.code() == ENOTSUP || error.code() == EOPNOTSUPP) {
            GTEST_SKIP() << "the file system of the test folder keeps no user extended attributes";
        }
        throw;
    }
    // An owner and group other than the writer's: another user's where this process may give a file
    // away, else another group of the user's, when there is one.
    std::optional<std::pair<uid_t, gid_t>> owner;
    if (::geteuid() == 0) {
        owner = {4242, 4343};
    } else {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        for (int i = 0; i < count && !owner; ++i)
            if (groups[i] != ::getegid()) owner = {::geteuid(), groups[i]};
    }
    if (owner) {
        ASSERT_EQ(::chown(file.constData(), owner->first, owner->second), 0);
    }

    writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);

    EXPECT_EQ(sandbox.readFile(zprofile), "export A=1\n\n" + uvBlock);
    EXPECT_EQ(modeOf(sandbox.map(zprofile)), 0640);
    EXPECT_EQ(extendedAttributes::value(file, "user.test.tag"), QByteArray("Red\0Blue", 8));
    if (owner) {
        struct stat st {};
        ASSERT_EQ(::stat(file.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, owner->first);
        EXPECT_EQ(st.st_gid, owner->second);
    }
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
        std::function<void(Sandbox&)> whileBackingUp; // another program saves the file meanwhile
    };
    const auto inHome = [](const QString& path) { return path.contains("/Users/tester/"); };
    const QList<Case> cases{
        {"unwritable folder",
         inHome,
         {},
         original,
         "Couldn't write backup file: ",
         "Permission denied",
         earlierBackup,
         {}},
        {"failing backup",
         [](const QString& p) { return p.endsWith(".bak"); },
         {},
         original,
         "Couldn't write backup file: ",
         ".zprofile.bak",
         earlierBackup,
         {}},
        {"failing rename",
         [](const QString& p) { return p.endsWith("/.zprofile"); },
         {},
         original,
         "Couldn't write file: ",
         ".zprofile",
         original,
         {}},
        {"changed after the preview",
         {},
         [&](Sandbox& s) { s.writeFile(zprofile, original + "alias ll='ls -l'\n"); },
         original + "alias ll='ls -l'\n",
         "Couldn't write file: ",
         "changed since the preview",
         earlierBackup,
         {}},
        {"created after the preview",
         {},
         [&](Sandbox& s) { s.writeFile(zprofile, "new\n"); },
         "new\n",
         "Couldn't write file: ",
         "changed since the preview",
         earlierBackup,
         {}},
        {"saved while the backup was written",
         {},
         {},
         original + "alias ll='ls -l'\n",
         "Couldn't write file: ",
         "changed since the preview",
         original,
         [&](Sandbox& s) { s.writeFile(zprofile, original + "alias ll='ls -l'\n"); }},
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
        faulty->failWrite = [&](const QString& path) {
            if (c.whileBackingUp && path.endsWith(".bak")) c.whileBackingUp(sandbox);
            return c.failWrite && c.failWrite(path);
        };
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

TEST(FileAppendWriter, OddTargetsStayWhatTheyAre) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QString dotfile = "/Users/tester/dotfiles/zprofile";
    struct Case {
        const char* name;
        std::function<void(Sandbox&)> make;
        QString refusal; // empty: written
    };
    const QList<Case> cases{
        {"dangling link",
         [&](Sandbox& s) { s.makeDirectory("/Users/tester/dotfiles"), s.makeSymlink(zprofile, dotfile); },
         {}},
        {"named pipe",
         [](Sandbox& s) { ASSERT_EQ(::mkfifo(QFile::encodeName(s.map(zprofile)).constData(), 0644), 0); },
         "it is a named pipe, not a regular file"},
        {"folder", [](Sandbox& s) { s.makeDirectory(zprofile); }, "it is a folder, not a regular file"},
        {"device", [](Sandbox& s) { ASSERT_TRUE(QFile::link("/dev/null", s.map(zprofile))); },
         "it is a device, not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        c.make(sandbox);
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(sandbox.map(zprofile)).constData(), &before), 0);
        try {
            writerIn(sandbox).append(uvLine, "uv PATH", "HOME/.local/bin", false);
            EXPECT_TRUE(c.refusal.isEmpty()) << "not refused";
        } catch (const PlatformError& error) {
            EXPECT_TRUE(error.localizedDescription().contains(".zprofile”: " + c.refusal))
                << error.localizedDescription().toStdString();
        }
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(sandbox.map(zprofile)).constData(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "still what it was";
        EXPECT_EQ(sandbox.exists(zprofile + ".bak"), c.refusal.isEmpty());
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(sandbox.readFile(dotfile), uvBlock);
        }
    }
}

TEST(FileAppendWriter, EveryBackupReplacesALinkAtItsPathInsteadOfWritingThroughIt) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QByteArray original = "a = \"1\"\n";
    for (const BackedUpWriter& writer : backedUpWriters) {
        SCOPED_TRACE(writer.name);
        Sandbox sandbox;
        sandbox.writeFile(writer.target, original);
        sandbox.writeFile("/Users/tester/precious", "precious\n");
        sandbox.makeSymlink(writer.target + ".bak", "/Users/tester/precious");
        EXPECT_TRUE(writer.run(sandbox));
        EXPECT_EQ(sandbox.readFile("/Users/tester/precious"), "precious\n");
        EXPECT_FALSE(QFileInfo(sandbox.map(writer.target + ".bak")).isSymLink());
        EXPECT_EQ(sandbox.readFile(writer.target + ".bak"), original);
    }
}

TEST(FileAppendWriter, AnEarlierBackupIsReplacedOnlyByAWholeNewOneOnAFullDisk) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QByteArray original = "a = \"1\"\n";
    const QByteArray earlierBackup = "an earlier backup\n";
    for (const BackedUpWriter& writer : backedUpWriters) {
        for (const bool hadBackup : {true, false}) {
            SCOPED_TRACE(std::string(writer.name) + (hadBackup ? " with" : " without") +
                         " an earlier backup");
            Sandbox sandbox;
            sandbox.writeFile(writer.target, original);
            if (hadBackup) sandbox.writeFile(writer.target + ".bak", earlierBackup);
            const QStringList before = QDir(QFileInfo(sandbox.map(writer.target)).path())
                                           .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            bool succeeded = true;
            {
                FileSizeLimit full(4); // no file grows past 4 bytes
                succeeded = writer.run(sandbox);
            }
            EXPECT_FALSE(succeeded);
            EXPECT_EQ(sandbox.readFile(writer.target), original);
            if (hadBackup) {
                EXPECT_EQ(sandbox.readFile(writer.target + ".bak"), earlierBackup);
            } else {
                EXPECT_FALSE(sandbox.exists(writer.target + ".bak")) << "no empty backup left";
            }
            EXPECT_EQ(QDir(QFileInfo(sandbox.map(writer.target)).path())
                          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      before)
                << "no temporary file left";
        }
    }
}

namespace {

// Appends `blocks` blocks named after `who` through the engine's writer and returns the lines it reports
// written.
QStringList appendBlocks(const FileAppendWriter& writer, const QString& who, int blocks) {
    QStringList reported;
    for (int i = 0; i < blocks; ++i) {
        const QString line = QStringLiteral("export %1_%2=1").arg(who).arg(i);
        try {
            writer.append(line, "block", line, false);
            reported.append(line);
        } catch (const PlatformError&) {
        }
    }
    return reported;
}

// Blocks per writer: the programs' race is the one that took blocks, the threads' one is cheaper to show.
const int appendedBlocks = 400;
const int appendedBlocksPerThread = 150;

// This test program run as the child program below, in the sandbox, as `who`.
std::unique_ptr<QProcess> startChildProgram(const Sandbox& sandbox, const QString& who) {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QLAN_APPEND_CHILD_ROOT", sandbox.root());
    environment.insert("QLAN_APPEND_CHILD_NAME", who);
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::MergedChannels);
    child->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=FileAppendWriterChildProgram.AppendBlocks"});
    return child;
}

} // namespace

// Run as a child program by the test below: appends to ~/.zprofile of the sandbox it is given and
// writes the lines it reports written to a file; as "holder", holds the file's lock until it is killed.
TEST(FileAppendWriterChildProgram, AppendBlocks) {
    const QString root = qEnvironmentVariable("QLAN_APPEND_CHILD_ROOT");
    if (root.isEmpty()) GTEST_SKIP() << "runs only as a child program";
    const QString who = qEnvironmentVariable("QLAN_APPEND_CHILD_NAME");
    const auto fs = std::make_shared<qlan::test::SandboxFileSystem>(
        qlan::test::SandboxLayout{root, root + "/Users/tester"});
    const QString target = fs->homeDirectory() + "/.zprofile";
    if (who == "holder") {
        const FileEditLock lock(*fs, target);
        fs->writeData({}, root + "/holding");
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return;
    }
    const QStringList reported = appendBlocks(FileAppendWriter(target, fs), who, appendedBlocks);
    fs->writeData(reported.join('\n').toUtf8(), root + "/reported-" + who);
}

// Two threads of one program, and two programs (the editions are programs of their own), append to one
// file at once: every block reported written is in the file once. A program killed while it holds the
// file leaves nothing that stops the next edit, and the user's folder gets no lock file.
TEST(FileAppendWriter, TwoWritersAppendingToOneFileLoseNoBlock) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    for (const bool programs : {false, true}) {
        SCOPED_TRACE(programs ? "two programs" : "two threads");
        Sandbox sandbox;
        QStringList reported;
        if (programs) {
            const std::unique_ptr<QProcess> children[] = {startChildProgram(sandbox, "P0"),
                                                          startChildProgram(sandbox, "P1")};
            for (const QString who : {"P0", "P1"}) {
                QProcess& child = *children[who == "P1"];
                ASSERT_TRUE(child.waitForFinished(120000));
                ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
                reported += QString::fromUtf8(sandbox.readFile("/reported-" + who)).split('\n');
            }
        } else {
            QStringList fromThread[2];
            std::thread first(
                [&] { fromThread[0] = appendBlocks(writerIn(sandbox), "T0", appendedBlocksPerThread); });
            std::thread second(
                [&] { fromThread[1] = appendBlocks(writerIn(sandbox), "T1", appendedBlocksPerThread); });
            first.join();
            second.join();
            reported = fromThread[0] + fromThread[1];
        }
        const QStringList lines = QString::fromUtf8(sandbox.readFile(zprofile)).split('\n');
        QStringList lost;
        for (const QString& line : reported)
            if (lines.count(line) != 1) lost.append(line);
        EXPECT_TRUE(lost.isEmpty()) << lost.size() << " reported written but not in the file once, e.g. "
                                    << lost.value(0).toStdString();
        EXPECT_EQ(reported.size(), 2 * (programs ? appendedBlocks : appendedBlocksPerThread))
            << "the engine's writers wait for each other";

        if (!programs) continue;
        const std::unique_ptr<QProcess> holder = startChildProgram(sandbox, "holder");
        ASSERT_TRUE(qlan::test::waitUntil([&] { return sandbox.exists("/holding"); }));
        holder->kill();
        ASSERT_TRUE(holder->waitForFinished(qlan::test::patienceMs));
        EXPECT_EQ(appendBlocks(writerIn(sandbox), "after", 1), QStringList{"export after_0=1"});
        EXPECT_THAT(QDir(sandbox.home()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                    ::testing::UnorderedElementsAre(".zprofile", ".zprofile.bak"))
            << "no lock file beside the user's file";
    }
}

// Run by the test below as another user: appends the uv block to the file it is given and prints how
// that went.
TEST(FileAppendWriterChildProgram, AppendAsAnotherUser) {
    const QString target = qEnvironmentVariable("QLAN_EDIT_CHILD_TARGET");
    if (target.isEmpty()) GTEST_SKIP() << "runs only as a child program";
    CurrentEdition edition(ProductConfig::homebrewEdition());
    try {
        FileAppendWriter(target, std::make_shared<LiveFileSystem>())
            .append(uvLine, "uv PATH", "HOME/.local/bin", false);
        std::printf("edit: written\n");
    } catch (const PlatformError& error) {
        std::printf("edit: %s\n", error.what());
    }
}

// An access list that keeps one named user out of a 0640 file, as Linux stores it: user::rw-,
// user:4242:---, group::r--, mask::r--, other::---.
const QByteArray accessListKeepingOut4242 = QByteArray::fromHex("02000000"
                                                                "01000600ffffffff"
                                                                "0200000092100000"
                                                                "04000400ffffffff"
                                                                "10000400ffffffff"
                                                                "20000000ffffffff");

// Sets or clears the immutable flag of a file (the super-user's to set); false where it cannot be set.
bool setImmutable(const QByteArray& file, bool immutable) {
#if defined(__linux__)
    const int fd = ::open(file.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool set = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    set = set && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return set;
#elif defined(__APPLE__)
    return ::chflags(file.constData(), immutable ? SF_IMMUTABLE : 0) == 0;
#endif
}

// An edit keeps who may read and write the file, and its backup takes the same. Only another user meets
// permissions (the super-user passes them all), so the edit runs in a child that is `nobody`.
TEST(FileAppendWriter, AnEditKeepsWhoMayReadAndWriteTheFileAndItsBackup) {
    using qlan::test::nobody;
    if (const std::optional<QString> why = qlan::test::whyNoOtherUser()) GTEST_SKIP() << why->toStdString();
    struct Case {
        const char* name;
        uid_t owner;
        gid_t group;
        int mode;
        int editedMode; // of the file and its backup; -1: refused, the file left as it was
        gid_t editedGroup;
    };
    QList<Case> cases{
        {"another user's file, in a folder the user may write", 0, 0, 0644, -1, 0},
        {"another user's file that the user may write", 0, 0, 0666, -1, 0},
        {"a read-only file of the user's own", nobody, nobody, 0444, 0444, nobody},
        {"an immutable file of the user's own (where one can be made)", nobody, nobody, 0644, -1, nobody},
        {"a group the user is not in", nobody, 2345, 0640, 0600, nobody},
        {"set-ID bits", nobody, nobody, 06755, 0755, nobody}};
#if defined(__linux__) // Linux's own list (a Mac keeps its lists apart from the attributes)
    cases.append({"an access list (last: skipped where none is kept)", nobody, nobody, 0640, 0640, nobody});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/home";
        const QString file = folder + "/.zprofile";
        const QByteArray native = QFile::encodeName(file);
        ASSERT_TRUE(QDir().mkdir(folder));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);
        QFile original(file);
        ASSERT_TRUE(original.open(QIODevice::WriteOnly) && original.write("export A=1\n") == 11);
        original.close();
        ASSERT_EQ(::chown(native.constData(), c.owner, c.group), 0); // before chmod: chown clears set-ID
        ASSERT_EQ(::chmod(native.constData(), static_cast<mode_t>(c.mode)), 0);
        const bool accessList = QByteArray(c.name).startsWith("an access list");
        const bool immutable = QByteArray(c.name).startsWith("an immutable");
        if (immutable && !setImmutable(native, true)) continue;
        try {
            if (accessList) {
                extendedAttributes::set(native, "system.posix_acl_access", accessListKeepingOut4242);
            }
        } catch (const PlatformError& error) {
            GTEST_SKIP() << "no access lists here: " << error.localizedDescription().toStdString();
        }

        const qlan::test::ChildRun child = qlan::test::runTestAsNobody(
            "FileAppendWriterChildProgram.AppendAsAnotherUser",
            {{"QLAN_EDIT_CHILD_TARGET", file}, {"TMPDIR", folder}, {"HOME", folder}});
        if (immutable) setImmutable(native, false);
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
        if (c.editedMode < 0) {
            EXPECT_TRUE(child.output.contains("edit: Couldn't write file: Couldn't write “" + native +
                                              "”: you don't have permission to change it"))
                << child.output.toStdString();
            EXPECT_EQ(QFileInfo(file).size(), 11);
            EXPECT_EQ(QFileInfo(file).ownerId(), c.owner) << "still the other user's";
            EXPECT_FALSE(QFileInfo::exists(file + ".bak")) << "no backup of an edit that was refused";
            continue;
        }
        EXPECT_TRUE(child.output.contains("edit: written")) << child.output.toStdString();
        for (const QString& edited : {file, file + ".bak"}) {
            SCOPED_TRACE(edited.toStdString());
            EXPECT_EQ(modeOf(edited), c.editedMode);
            EXPECT_EQ(QFileInfo(edited).groupId(), c.editedGroup);
            if (accessList) {
                EXPECT_EQ(extendedAttributes::value(QFile::encodeName(edited), "system.posix_acl_access"),
                          accessListKeepingOut4242);
            }
        }
    }
}
