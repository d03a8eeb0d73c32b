// The file system of this machine, exercised in a temporary folder (never the real home).

#include "platform/LiveFileSystem.h"
#include "platform/AtomicFileWriter.h"
#include "platform/FileDescriptor.h"
#include "platform/LiveFileEditHold.h"
#include "platform/PlatformError.h"
#include "platform/UserTemporaryFolder.h"

#include "support/EditLockHolder.h"
#include "support/FileSizeLimit.h"
#include "support/OtherUser.h"
#include "support/ProcessChecks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#if defined(__linux__)
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#elif defined(__APPLE__)
#include <sys/acl.h>
#endif

using namespace qlan;
using qlan::test::FileSizeLimit;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

class LiveFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& relative) const { return dir_.path() + '/' + relative; }

    void write(const QString& relative, const QByteArray& contents, int mode = 0644) const {
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(contents), contents.size());
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path(relative)).constData(), static_cast<mode_t>(mode)), 0);
    }

    void link(const QString& target, const QString& relative) const {
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(relative)).constData()),
            0);
    }

    QByteArray read(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static int modeOf(const QString& absolute) {
        struct stat st {};
        return ::lstat(QFile::encodeName(absolute).constData(), &st) == 0
                   ? static_cast<int>(st.st_mode & 07777)
                   : -1;
    }

    QStringList entries(const QString& relative = ".") const {
        return QDir(path(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
    LiveFileSystem fs_;
};

#if defined(__linux__)
// Has every fsync of this thread (and of the threads it starts) fail with `error`, as a drive whose cache
// flush fails makes it; false where the system does not take the filter.
bool failEverySync(int error) {
    sock_filter filter[] = {
        {BPF_LD | BPF_W | BPF_ABS, 0, 0, offsetof(seccomp_data, nr)},
        {BPF_JMP | BPF_JEQ | BPF_K, 0, 1, __NR_fsync},
        {BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)},
        {BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ALLOW},
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}
#endif

FileAttributes permissions(int mode) {
    FileAttributes attributes;
    attributes.posixPermissions = mode;
    return attributes;
}

} // namespace

TEST_F(LiveFileSystemTest, ExistenceFollowsLinksAndNeverFails) {
    write("file", "x", 0644);
    write("tool", "#!/bin/sh\n", 0755);
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    link(path("file"), "link-to-file");
    link("folder", "link-to-folder"); // relative target
    link(path("missing"), "dangling");
    link(path("loop-b"), "loop-a");
    link(path("loop-a"), "loop-b");

    bool isDirectory = true;
    EXPECT_TRUE(fs_.fileExists(path("file")));
    EXPECT_TRUE(fs_.fileExists(path("file"), &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_TRUE(fs_.fileExists(path("folder"), &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_TRUE(fs_.fileExists(path("link-to-file"), &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_TRUE(fs_.fileExists(path("link-to-folder"), &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_TRUE(fs_.fileExists(path("folder"), nullptr));

    for (const QString& absent :
         {path("dangling"), path("loop-a"), path("missing"), path("file/child"), QString()}) {
        isDirectory = true;
        EXPECT_FALSE(fs_.fileExists(absent)) << absent.toStdString();
        EXPECT_FALSE(fs_.fileExists(absent, &isDirectory)) << absent.toStdString();
        EXPECT_FALSE(isDirectory) << absent.toStdString();
        EXPECT_FALSE(fs_.isExecutableFile(absent)) << absent.toStdString();
    }

    EXPECT_TRUE(fs_.isExecutableFile(path("tool")));
    EXPECT_FALSE(fs_.isExecutableFile(path("file")));
}

TEST_F(LiveFileSystemTest, ListsFolderEntriesByName) {
    ASSERT_TRUE(QDir().mkpath(path("folder/sub")));
    write("folder/a.txt", "a");
    write("folder/.hidden", "h");
    link(path("nowhere"), "folder/dangling");
    EXPECT_THAT(fs_.contentsOfDirectory(path("folder")),
                UnorderedElementsAre("a.txt", ".hidden", "sub", "dangling"));
    EXPECT_THAT(fs_.contentsOfDirectory(path("folder/sub")), IsEmpty());
    EXPECT_THROW(fs_.contentsOfDirectory(path("missing")), PlatformError);
    EXPECT_THROW(fs_.contentsOfDirectory(path("folder/a.txt")), PlatformError);
}

TEST_F(LiveFileSystemTest, CreatesFoldersWithAndWithoutIntermediates) {
    fs_.createDirectory(path("a/b/c"), true);
    EXPECT_TRUE(QFileInfo(path("a/b/c")).isDir());

    // An existing folder with intermediates: success, nothing changed.
    write("a/b/c/keep", "kept");
    fs_.createDirectory(path("a/b/c"), true);
    fs_.createDirectory(path("a/b/c/"), true);
    EXPECT_EQ(read("a/b/c/keep"), "kept");
    EXPECT_EQ(entries("a/b/c"), QStringList{"keep"});

    // Without intermediates: the folder must not exist and its parent must.
    try {
        fs_.createDirectory(path("a/b/c"), false);
        ADD_FAILURE() << "an existing folder without intermediates must throw";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), EEXIST);
        EXPECT_FALSE(error.localizedDescription().isEmpty());
    }
    EXPECT_EQ(read("a/b/c/keep"), "kept");
    EXPECT_THROW(fs_.createDirectory(path("x/y"), false), PlatformError);
    EXPECT_FALSE(QFileInfo::exists(path("x")));
    fs_.createDirectory(path("a/d"), false);
    EXPECT_TRUE(QFileInfo(path("a/d")).isDir());

    // Through a linked folder.
    link(path("a"), "link-to-a");
    fs_.createDirectory(path("link-to-a/e/f"), true);
    EXPECT_TRUE(QFileInfo(path("a/e/f")).isDir());

    // Something that is not a folder is in the way: never reported as success.
    write("file", "x");
    EXPECT_THROW(fs_.createDirectory(path("file"), true), PlatformError);
    EXPECT_THROW(fs_.createDirectory(path("file/sub"), true), PlatformError);
    link(path("nowhere"), "dangling");
    EXPECT_THROW(fs_.createDirectory(path("dangling"), true), PlatformError);
    EXPECT_FALSE(QFileInfo(path("dangling")).isDir());
    EXPECT_FALSE(QFileInfo::exists(path("nowhere")));
}

TEST_F(LiveFileSystemTest, RemovesTreesWithoutFollowingLinks) {
    ASSERT_TRUE(QDir().mkpath(path("tree/deep/deeper")));
    write("tree/file", "f");
    write("tree/deep/deeper/.hidden", "h", 0400);
    ASSERT_TRUE(QDir().mkpath(path("outside")));
    write("outside/precious", "p");
    link(path("outside"), "tree/deep/link-to-outside");
    link(path("outside/precious"), "tree/link-to-precious");

    fs_.removeItem(path("tree"));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_EQ(read("outside/precious"), "p");

    link(path("outside"), "link");
    fs_.removeItem(path("link"));
    EXPECT_FALSE(QFileInfo(path("link")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("outside")).isDir());

    fs_.removeItem(path("outside/precious"));
    EXPECT_FALSE(QFileInfo::exists(path("outside/precious")));

    try {
        fs_.removeItem(path("missing"));
        ADD_FAILURE() << "removing nothing must throw";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), ENOENT);
    }
}

TEST_F(LiveFileSystemTest, MovesButNeverOverwrites) {
    write("source", "new");
    write("destination", "old");
    EXPECT_THROW(fs_.moveItem(path("source"), path("destination")), PlatformError);
    EXPECT_EQ(read("source"), "new");
    EXPECT_EQ(read("destination"), "old");

    link(path("nowhere"), "dangling");
    EXPECT_THROW(fs_.moveItem(path("source"), path("dangling")), PlatformError);
    EXPECT_TRUE(QFileInfo(path("dangling")).isSymLink());
    EXPECT_EQ(read("source"), "new");

    ASSERT_TRUE(QDir().mkpath(path("folder/inner")));
    EXPECT_THROW(fs_.moveItem(path("source"), path("folder")), PlatformError);

    fs_.moveItem(path("source"), path("folder/inner/renamed"));
    EXPECT_FALSE(QFileInfo::exists(path("source")));
    EXPECT_EQ(read("folder/inner/renamed"), "new");
    fs_.moveItem(path("folder"), path("moved-folder"));
    EXPECT_EQ(read("moved-folder/inner/renamed"), "new");

    EXPECT_THROW(fs_.moveItem(path("missing"), path("anywhere")), PlatformError);
    EXPECT_FALSE(QFileInfo::exists(path("anywhere")));
}

TEST_F(LiveFileSystemTest, MovesAcrossFileSystems) {
    // A download lands in the temporary folder and is moved to the user's folders, which may be on
    // another file system.
    QTemporaryDir other(QStringLiteral("/dev/shm/qlan-fs-XXXXXX"));
    struct stat here {
    }, there{};
    if (!other.isValid() || ::stat(QFile::encodeName(dir_.path()).constData(), &here) != 0 ||
        ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";

    write("download.bin", QByteArray(100000, 'd'), 0640);
    const QString movedFile = other.path() + "/download.bin";
    fs_.moveItem(path("download.bin"), movedFile);
    EXPECT_FALSE(QFileInfo::exists(path("download.bin")));
    QFile moved(movedFile);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), QByteArray(100000, 'd'));
    EXPECT_EQ(modeOf(movedFile), 0640);

    ASSERT_TRUE(QDir().mkpath(path("jdk/bin")));
    write("jdk/bin/java", "#!/bin/sh\n", 0755);
    link("bin/java", "jdk/java-link");
    const QString movedFolder = other.path() + "/jdk";
    fs_.moveItem(path("jdk"), movedFolder);
    EXPECT_FALSE(QFileInfo::exists(path("jdk")));
    EXPECT_EQ(modeOf(movedFolder + "/bin/java"), 0755);
    EXPECT_EQ(QFileInfo(movedFolder + "/java-link").symLinkTarget(), movedFolder + "/bin/java");

    // Still never over an existing item, and the source stays.
    write("again", "a");
    EXPECT_THROW(fs_.moveItem(path("again"), movedFile), PlatformError);
    EXPECT_EQ(read("again"), "a");
}

TEST_F(LiveFileSystemTest, ReadsAndSetsAttributes) {
    write("script.sh", "#!/bin/sh\necho hi\n", 0644);
    FileAttributes attributes = fs_.attributesOfItem(path("script.sh"));
    EXPECT_EQ(attributes.size, 18);
    EXPECT_EQ(attributes.posixPermissions, 0644);
    EXPECT_EQ(attributes.isDirectory, false);
    EXPECT_EQ(attributes.isSymbolicLink, false);
    ASSERT_TRUE(attributes.modificationDate.has_value());
    EXPECT_LE(std::abs(attributes.modificationDate->secsTo(QDateTime::currentDateTime())), 60);

    fs_.setAttributes(permissions(0700), path("script.sh"));
    EXPECT_EQ(modeOf(path("script.sh")), 0700);
    EXPECT_EQ(fs_.attributesOfItem(path("script.sh")).posixPermissions, 0700);
    EXPECT_TRUE(fs_.isExecutableFile(path("script.sh")));
    fs_.setAttributes(permissions(0600), path("script.sh"));
    EXPECT_EQ(modeOf(path("script.sh")), 0600);
    fs_.setAttributes({}, path("script.sh")); // nothing to apply
    EXPECT_EQ(modeOf(path("script.sh")), 0600);

    ASSERT_TRUE(QDir().mkdir(path("folder")));
    EXPECT_EQ(fs_.attributesOfItem(path("folder")).isDirectory, true);
    link(path("folder"), "link");
    EXPECT_EQ(fs_.attributesOfItem(path("link")).isSymbolicLink, true);

    EXPECT_THROW(fs_.attributesOfItem(path("missing")), PlatformError);
    EXPECT_THROW(fs_.setAttributes(permissions(0700), path("missing")), PlatformError);
}

TEST_F(LiveFileSystemTest, ReadsBytesAndStrictUtf8Text) {
    write("text", "caf\xC3\xA9 \xE2\x9C\x93\n");
    EXPECT_EQ(fs_.readString(path("text")), QString::fromUtf8("café ✓\n"));
    EXPECT_EQ(fs_.readData(path("text")), "caf\xC3\xA9 \xE2\x9C\x93\n");
    write("empty", "");
    EXPECT_EQ(fs_.readString(path("empty")), QString());
    EXPECT_TRUE(fs_.readData(path("empty")).isEmpty());
    const QByteArray big(3 * 1024 * 1024 + 17, 'z');
    write("big", big);
    EXPECT_EQ(fs_.readData(path("big")).size(), big.size());

    const QList<QByteArray> invalid{
        "latin1 caf\xE9",         // a lone continuation-less byte
        "cut short \xE2\x9C",     // a sequence cut at the end
        "overlong \xC0\xAF",      // an overlong encoding of "/"
        "surrogate \xED\xA0\x80", // an encoded UTF-16 surrogate
        "beyond \xF4\x90\x80\x80" // beyond U+10FFFF
    };
    for (const QByteArray& bytes : invalid) {
        write("invalid", bytes);
        try {
            (void)fs_.readString(path("invalid"));
            ADD_FAILURE() << "accepted invalid UTF-8: " << bytes.toHex().toStdString();
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), EILSEQ);
        }
        EXPECT_EQ(fs_.readData(path("invalid")), bytes);
    }

    // A byte-order mark is part of the text, so the text written back is the same bytes.
    write("bom", "\xEF\xBB\xBF"
                 "export A=1\n");
    EXPECT_EQ(fs_.readString(path("bom")), QChar(0xFEFF) + QStringLiteral("export A=1\n"));
    fs_.writeString(fs_.readString(path("bom")), path("bom"), true);
    EXPECT_EQ(read("bom"), "\xEF\xBB\xBF"
                           "export A=1\n");

    EXPECT_THROW(fs_.readData(path("missing")), PlatformError);
    EXPECT_THROW(fs_.readString(path("missing")), PlatformError);
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    EXPECT_THROW(fs_.readData(path("folder")), PlatformError);
}

TEST_F(LiveFileSystemTest, WritesTextInPlaceOrAtomically) {
    fs_.writeString(QString::fromUtf8("first ✓"), path("plain"), false);
    EXPECT_EQ(read("plain"), "first \xE2\x9C\x93");
    fs_.writeString("2", path("plain"), false);
    EXPECT_EQ(read("plain"), "2");

    const mode_t savedMask = ::umask(027);
    fs_.writeString("new", path("fresh"), true);
    fs_.writeData("bytes", path("fresh-data"));
    ::umask(savedMask);
    EXPECT_EQ(read("fresh"), "new");
    EXPECT_EQ(modeOf(path("fresh")), 0640) << "a new file gets the mode the umask allows";
    EXPECT_EQ(modeOf(path("fresh-data")), 0640);

    write("private", "old", 0600);
    fs_.writeString("replaced", path("private"), true);
    EXPECT_EQ(read("private"), "replaced");
    EXPECT_EQ(modeOf(path("private")), 0600);

    EXPECT_THROW(fs_.writeString("x", path("missing-folder/file"), true), PlatformError);
    EXPECT_THROW(fs_.writeString("x", path("missing-folder/file"), false), PlatformError);
    EXPECT_THROW(fs_.writeData("x", path("missing-folder/file")), PlatformError);
    EXPECT_FALSE(QFileInfo::exists(path("missing-folder")));
    // A lone surrogate would be saved as another character: nothing is saved.
    for (bool atomically : {true, false}) {
        try {
            fs_.writeString(QStringLiteral("Ren") + QChar(0xD800), path("plain"), atomically);
            ADD_FAILURE() << "saved an altered text";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), EILSEQ);
        }
    }
    EXPECT_EQ(read("plain"), "2");
    EXPECT_THAT(entries(), UnorderedElementsAre("plain", "fresh", "fresh-data", "private"));
}

TEST_F(LiveFileSystemTest, AtomicWriteKeepsALinkAndTheTargetsMode) {
    ASSERT_TRUE(QDir().mkpath(path("dotfiles")));
    ASSERT_TRUE(QDir().mkpath(path("home")));
    write("dotfiles/zshrc", "old\n", 0600);
    link("../dotfiles/zshrc", "home/.zshrc");

    fs_.writeString("new contents\n", path("home/.zshrc"), true);
    EXPECT_TRUE(QFileInfo(path("home/.zshrc")).isSymLink());
    EXPECT_EQ(QFileInfo(path("home/.zshrc")).symLinkTarget(),
              QFileInfo(path("dotfiles/zshrc")).absoluteFilePath());
    EXPECT_EQ(read("dotfiles/zshrc"), "new contents\n");
    EXPECT_EQ(modeOf(path("dotfiles/zshrc")), 0600);

    fs_.writeData("data\n", path("home/.zshrc"));
    EXPECT_TRUE(QFileInfo(path("home/.zshrc")).isSymLink());
    EXPECT_EQ(read("dotfiles/zshrc"), "data\n");
    EXPECT_EQ(modeOf(path("dotfiles/zshrc")), 0600);
    EXPECT_EQ(entries("home"), QStringList{".zshrc"});
    EXPECT_EQ(entries("dotfiles"), QStringList{"zshrc"});
}

TEST_F(LiveFileSystemTest, FailedAtomicWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    write("config", "old contents\n", 0600);

    // The disk "fills up" in the middle of the write.
    {
        FileSizeLimit limit(4096);
        try {
            fs_.writeString(QString(64 * 1024, QLatin1Char('n')), path("config"), true);
            ADD_FAILURE() << "a write cut short must throw";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), EFBIG);
        }
        EXPECT_THROW(fs_.writeData(QByteArray(64 * 1024, 'n'), path("config")), PlatformError);
    }
    // A full device says so, in the system's words.
    if (const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC); full >= 0) {
        try {
            fileio::writeAll(full, "x", "/dev/full");
            ADD_FAILURE() << "a write to a full device must throw";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.localizedDescription(), "Couldn't write “/dev/full”: No space left on device");
        }
        ::close(full);
    }
    EXPECT_EQ(read("config"), "old contents\n");
    EXPECT_EQ(modeOf(path("config")), 0600);
    EXPECT_EQ(entries(), QStringList{"config"});

    // A folder the user may not write to (the superuser may write anywhere: nothing to show then).
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir().mkdir(path("locked")));
        write("locked/config", "old\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path("locked")).constData(), 0555), 0);
        EXPECT_THROW(fs_.writeString("new\n", path("locked/config"), true), PlatformError);
        ASSERT_EQ(::chmod(QFile::encodeName(path("locked")).constData(), 0755), 0);
        EXPECT_EQ(read("locked/config"), "old\n");
        EXPECT_EQ(entries("locked"), QStringList{"config"});
    }
}

// Another program reorganises the folders while files are written in them (a dotfiles manager, a sync
// tool): a folder moved to another name and back, a link to a folder retargeted. A write lands whole in
// the one folder it opened, or fails before it makes anything; no temporary file is left anywhere.
TEST_F(LiveFileSystemTest, AnAtomicWriteStaysInTheFolderItOpenedWhileFoldersMove) {
    for (const char* folder : {"moved/x", "linked/a", "linked/b"})
        ASSERT_TRUE(QDir().mkpath(path(folder)));
    link("a", "linked/dotfiles");
    const QByteArray x = QFile::encodeName(path("moved/x"));
    const QByteArray y = QFile::encodeName(path("moved/y"));
    const QByteArray dotfiles = QFile::encodeName(path("linked/dotfiles"));
    const QByteArray next = dotfiles + ".next";
    struct Churn {
        const char* what;
        QString written;                // the path every write names
        QStringList folders;            // where the file may land, by the names they have at the start
        std::function<void(bool)> move; // one step of the other program: there, or back
        bool mayBeAway;                 // a write may find its folder gone for the moment
    };
    const QList<Churn> churns{
        {"a folder moved",
         path("moved/x/file"),
         {"moved/x"},
         [&](bool there) {
             ::rename(there ? x.constData() : y.constData(), there ? y.constData() : x.constData());
         },
         true},
        {"a linked folder retargeted",
         path("linked/dotfiles/file"),
         {"linked/a", "linked/b"},
         [&](bool there) {
             ::symlink(there ? "b" : "a", next.constData());
             ::rename(next.constData(), dotfiles.constData());
         },
         false},
    };
    // What the file of an open folder holds.
    const auto contentsIn = [](const FileDescriptor& folder) {
        const FileDescriptor file(::openat(folder.get(), "file", O_RDONLY | O_CLOEXEC));
        QByteArray bytes(64, '\0');
        const ssize_t n =
            file.get() < 0 ? -1 : ::read(file.get(), bytes.data(), static_cast<size_t>(bytes.size()));
        return n < 0 ? QByteArray("<none>") : bytes.left(n);
    };
    for (const Churn& churn : churns) {
        SCOPED_TRACE(churn.what);
        std::deque<FileDescriptor> folders;
        for (const QString& folder : churn.folders) {
            folders.emplace_back(
                ::open(QFile::encodeName(path(folder)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            ASSERT_GE(folders.back().get(), 0);
        }
        const auto snapshot = [&] {
            QByteArrayList held;
            for (const FileDescriptor& folder : folders)
                held << contentsIn(folder);
            return held;
        };
        std::atomic<bool> done{false};
        std::thread other([&] {
            for (bool there = true; !done; there = !there)
                churn.move(there);
        });
        int written = 0;
        QStringList wrong;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(450);
        for (int i = 0; i < 400 && (i < 30 || std::chrono::steady_clock::now() < deadline); ++i) {
            const QByteArray contents = "write " + QByteArray::number(i) + "\n";
            const QByteArrayList before = snapshot();
            try {
                fs_.writeData(contents, churn.written);
                ++written;
                if (snapshot().count(contents) != 1) wrong << QStringLiteral("%1: not in one folder").arg(i);
            } catch (const PlatformError& error) {
                if (!churn.mayBeAway || error.code() != ENOENT)
                    wrong << QStringLiteral("%1: %2").arg(i).arg(error.localizedDescription());
                else if (snapshot() != before)
                    wrong << QStringLiteral("%1: failed, yet a folder changed").arg(i);
            }
        }
        done = true;
        other.join();
        EXPECT_THAT(wrong, IsEmpty());
        EXPECT_GT(written, 0);
        // No temporary file, neither where a folder was nor where it went.
        QStringList leftovers;
        for (QDirIterator it(path(churn.folders.first().section('/', 0, 0)),
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString entry = it.next();
            if (entry.contains(QLatin1String(".tmp-"))) leftovers << entry;
        }
        EXPECT_THAT(leftovers, IsEmpty());
    }
}

// What a sync does after each failure of its calls: an interruption is tried again, a full sync that the
// volume cannot take falls back to fsync, and anything else fails the write, never covered by an fsync
// that finds nothing left to write.
TEST(SyncToDisk, EachFailureHasItsStep) {
    using S = fileio::SyncStep;
    struct Row {
        int error;
        S afterFullSync;
        S afterFsync;
    };
    const QList<Row> rows{
        {EINTR, S::retry, S::retry},
        {ENOTSUP, S::fallBackToFsync, S::fail},
        {EOPNOTSUPP, S::fallBackToFsync, S::fail},
        {ENOTTY, S::fallBackToFsync, S::fail},
        {EINVAL, S::fallBackToFsync, S::fail},
        {EIO, S::fail, S::fail},
        {ENOSPC, S::fail, S::fail},
        {EDQUOT, S::fail, S::fail},
        {EBADF, S::fail, S::fail},
        {EROFS, S::fail, S::fail},
        {ETIMEDOUT, S::fail, S::fail},
        {EAGAIN, S::fail, S::fail},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::strerror(row.error));
        EXPECT_EQ(fileio::afterSyncFailure(row.error, true), row.afterFullSync);
        EXPECT_EQ(fileio::afterSyncFailure(row.error, false), row.afterFsync);
    }
    // Every other answer fails both.
    for (int error = 1; error < 256; ++error) {
        if (std::any_of(rows.begin(), rows.end(), [&](const Row& row) { return row.error == error; }))
            continue;
        SCOPED_TRACE(std::strerror(error));
        EXPECT_EQ(fileio::afterSyncFailure(error, true), S::fail);
        EXPECT_EQ(fileio::afterSyncFailure(error, false), S::fail);
    }
}

// Run by the test below in a child program whose every fsync fails with EIO, as on a drive whose cache
// flush fails: each writer reports its write's failure.
TEST(LiveFileSystemChildProgram, WritesWhoseSyncFails) {
    const QString folder = qEnvironmentVariable("QLAN_SYNC_CHILD_FOLDER");
    if (folder.isEmpty()) GTEST_SKIP() << "runs only as a child program";
#if defined(__linux__)
    if (!failEverySync(EIO)) GTEST_SKIP() << "no seccomp filter here: " << std::strerror(errno);
    LiveFileSystem fs;
    FileWriteOptions backup;
    backup.replaceLink = true;
    const QList<std::pair<const char*, std::function<void()>>> writes{
        {"an atomic write", [&] { fs.writeFile("new\n", folder + "/config", {}); }},
        {"a backup", [&] { fs.writeFile("new\n", folder + "/config.backup", backup); }},
        {"a file below a folder", [&] { fs.writeFileBelow("new\n", folder, "below/config", 0644, false); }},
    };
    for (const auto& [what, run] : writes) {
        SCOPED_TRACE(what);
        try {
            run();
            ADD_FAILURE() << "a write whose sync failed succeeded";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), EIO) << error.what();
        }
    }
#else
    GTEST_SKIP() << "a failing sync is played with a seccomp filter, which only Linux has";
#endif
}

// A sync that fails fails the write: nothing is renamed, the old file stays and no temporary is left.
TEST_F(LiveFileSystemTest, AWriteWhoseSyncFailsKeepsTheOldFile) {
#if defined(__linux__)
    ASSERT_TRUE(QDir().mkdir(path("below")));
    for (const char* file : {"config", "config.backup", "below/config"})
        write(file, "old\n");
    const test::ChildRun child = test::runTestUnder({}, "LiveFileSystemChildProgram.WritesWhoseSyncFails",
                                                    {{"QLAN_SYNC_CHILD_FOLDER", dir_.path()}});
    if (child.output.contains("no seccomp filter here")) GTEST_SKIP() << child.output.toStdString();
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
    EXPECT_TRUE(child.output.contains("[       OK ] LiveFileSystemChildProgram.WritesWhoseSyncFails"))
        << child.output.toStdString();
    for (const char* file : {"config", "config.backup", "below/config"})
        EXPECT_EQ(read(file), "old\n") << file;
    EXPECT_THAT(entries(), UnorderedElementsAre("config", "config.backup", "below"));
    EXPECT_THAT(entries("below"), UnorderedElementsAre("config"));
#else
    GTEST_SKIP() << "a failing sync is played with a seccomp filter, which only Linux has";
#endif
}

TEST_F(LiveFileSystemTest, ReadersNeverSeeAPartialAtomicWrite) {
    const QByteArray a(256 * 1024, 'a');
    const QByteArray b(256 * 1024, 'b');
    write("shared", a);
    std::atomic<bool> done{false};
    std::atomic<int> partial{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!done) {
            QFile file(path("shared"));
            if (!file.open(QIODevice::ReadOnly)) {
                ++partial;
                continue;
            }
            const QByteArray seen = file.readAll();
            if (seen != a && seen != b) ++partial;
            ++reads;
        }
    });
    for (int i = 0; i < 200; ++i)
        fs_.writeData(i % 2 ? a : b, path("shared"));
    done = true;
    reader.join();
    EXPECT_EQ(partial.load(), 0) << "of " << reads.load() << " reads";
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(entries(), QStringList{"shared"});
}

TEST_F(LiveFileSystemTest, WhatIsNotARegularFileIsRefusedAtOnce) {
    // A named pipe would block a reader (or a writer) in open() until someone opens its other end.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    link("/dev/null", "device");
    link(path("pipe"), "link-to-pipe");
    const QList<std::pair<const char*, std::function<void(const QString&)>>> operations{
        {"readData", [&](const QString& p) { (void)fs_.readData(p); }},
        {"readString", [&](const QString& p) { (void)fs_.readString(p); }},
        {"writeString in place", [&](const QString& p) { fs_.writeString("x", p, false); }},
        {"writeString atomically", [&](const QString& p) { fs_.writeString("x", p, true); }},
        {"writeData", [&](const QString& p) { fs_.writeData("x", p); }},
        {"writeFile", [&](const QString& p) { fs_.writeFile("x", p, {}); }},
    };
    const QList<std::pair<const char*, const char*>> targets{{"pipe", "a named pipe"},
                                                             {"link-to-pipe", "a named pipe"},
                                                             {"folder", "a folder"},
                                                             {"device", "a device"}};
    for (const auto& [name, kind] : targets) {
        for (const auto& [operation, run] : operations) {
            SCOPED_TRACE(std::string(name) + ": " + operation);
            try {
                run(path(name));
                ADD_FAILURE() << "not refused";
            } catch (const PlatformError& error) {
                EXPECT_TRUE(error.localizedDescription().endsWith(
                    QStringLiteral("it is %1, not a regular file").arg(QLatin1String(kind))))
                    << error.localizedDescription().toStdString();
            }
        }
    }
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path("pipe")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_THAT(entries(), UnorderedElementsAre("pipe", "folder", "device", "link-to-pipe"));
}

TEST_F(LiveFileSystemTest, WriteFileFollowsOrReplacesLinksAndWritesOnlyOverWhatItWasTold) {
    // A dangling link stays and the file it names is created; a replaced link leaves its file alone.
    ASSERT_TRUE(QDir().mkpath(path("dotfiles")));
    link("dotfiles/zshrc", ".zshrc");
    fs_.writeFile("new\n", path(".zshrc"), {});
    EXPECT_TRUE(QFileInfo(path(".zshrc")).isSymLink());
    EXPECT_EQ(read("dotfiles/zshrc"), "new\n");
    FileWriteOptions replace;
    replace.replaceLink = true;
    fs_.writeFile("backup\n", path(".zshrc"), replace);
    EXPECT_FALSE(QFileInfo(path(".zshrc")).isSymLink());
    EXPECT_EQ(read(".zshrc"), "backup\n");
    EXPECT_EQ(read("dotfiles/zshrc"), "new\n");

    struct Case {
        std::optional<QByteArray> before; // absent: no file
        FileWriteOptions::Contents expected;
        bool written;
    };
    const QList<Case> cases{
        {QByteArray("old"), {true, "old"}, true}, {QByteArray("old"), {true, "older"}, false},
        {QByteArray("old"), {false, {}}, false},  {std::nullopt, {false, {}}, true},
        {std::nullopt, {true, {}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.value_or("<none>").toStdString() + " / " + c.expected.bytes.toStdString());
        QFile::remove(path("file"));
        if (c.before) write("file", *c.before);
        FileWriteOptions options;
        options.onlyIfUnchanged = c.expected;
        try {
            fs_.writeFile("mine", path("file"), options);
            EXPECT_TRUE(c.written);
        } catch (const FileChangedError& error) {
            EXPECT_FALSE(c.written) << error.localizedDescription().toStdString();
        }
        EXPECT_EQ(QFileInfo::exists(path("file")) ? read("file") : QByteArray("<none>"),
                  c.written ? QByteArray("mine") : c.before.value_or("<none>"));
        EXPECT_THAT(entries(), ::testing::Contains("dotfiles")) << "and no temporary file";
        EXPECT_EQ(entries().size(), c.before || c.written ? 3 : 2);
    }
}

// Another program replaces a link with a file between the writer's look at it and its read of the link
// (a dotfiles manager that turns its links into copies): the writer looks again and writes over that file.
TEST_F(LiveFileSystemTest, ALinkReplacedByAFileWhileTheWriterFollowsItIsLookedAtAgain) {
    ASSERT_TRUE(QDir().mkpath(path("dotfiles")));
    write("dotfiles/zshrc", "linked\n");
    link("dotfiles/zshrc", ".zshrc");
    write(".zshrc.copy", "copied\n");
    struct Reset {
        ~Reset() { AtomicFileWriter::beforeLinkIsRead = nullptr; }
    } reset;
    AtomicFileWriter::beforeLinkIsRead = [](const QByteArray& link) {
        ::rename((link + ".copy").constData(), link.constData());
    };

    fs_.writeFile("new\n", path(".zshrc"), {});
    EXPECT_FALSE(QFileInfo(path(".zshrc")).isSymLink());
    EXPECT_EQ(read(".zshrc"), "new\n");
    EXPECT_EQ(read("dotfiles/zshrc"), "linked\n");
    EXPECT_THAT(entries(), UnorderedElementsAre(".zshrc", "dotfiles"));
}

TEST_F(LiveFileSystemTest, ASecretIsPrivateFromItsFirstByte) {
    // A watcher looks at every temporary file while new files are written with 0600 asked for.
    const mode_t savedMask = ::umask(022);
    std::atomic<bool> done{false};
    std::atomic<int> seen{0};
    std::atomic<int> modes{0};
    std::thread watcher([&] {
        while (!done) {
            for (const QString& name : entries()) {
                const int mode = name.startsWith(".config.toml.tmp-") ? modeOf(path(name)) : -1;
                if (mode < 0) continue;
                modes |= mode;
                ++seen;
            }
        }
    });
    FileWriteOptions secret;
    secret.permissions = 0600;
    for (int i = 0; i < 500 && seen < 20; ++i) {
        QFile::remove(path("config.toml"));
        fs_.writeFile(QByteArray(2 * 1024 * 1024, 'k'), path("config.toml"), secret);
    }
    done = true;
    watcher.join();
    ::umask(savedMask);
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(modes.load() & 077, 0) << "a temporary file was readable by others: " << std::oct
                                     << modes.load();
    EXPECT_EQ(modeOf(path("config.toml")), 0600);
}

#if defined(__APPLE__)
// A Mac keeps a file's access list apart from its attributes (ACL_TYPE_EXTENDED): a write keeps it, and
// one that fails removes its temporary copy even when the list that copy took denies `delete`.
TEST_F(LiveFileSystemTest, AMacAccessListIsKeptAndLeavesNoTemporaryBehind) {
    write("zprofile", "export A=1\n");
    const QByteArray file = QFile::encodeName(path("zprofile"));
    const auto setList = [&](acl_t list) {
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(::acl_set_file(file.constData(), ACL_TYPE_EXTENDED, list), 0);
        ::acl_free(list);
    };
    const auto listText = [&] {
        acl_t list = ::acl_get_file(file.constData(), ACL_TYPE_EXTENDED);
        char* text = list ? ::acl_to_text(list, nullptr) : nullptr;
        const QByteArray result(text ? text : "<none>");
        if (text) ::acl_free(text);
        if (list) ::acl_free(list);
        return result;
    };
    const QByteArray everyone = "!#acl 1\ngroup:ABCDEFAB-CDEF-ABCD-EFAB-CDEF0000000C:everyone:12:deny:";

    setList(::acl_from_text((everyone + "delete\n").constData()));
    FileWriteOptions changedMeanwhile;
    changedMeanwhile.onlyIfUnchanged = FileWriteOptions::Contents{true, "export B=2\n"};
    EXPECT_THROW(fs_.writeFile("new\n", path("zprofile"), changedMeanwhile), FileChangedError);
    EXPECT_EQ(entries(), QStringList{"zprofile"});

    setList(::acl_from_text((everyone + "write\n").constData()));
    const QByteArray kept = listText();
    fs_.writeFile("new\n", path("zprofile"), {});
    EXPECT_EQ(read("zprofile"), "new\n");
    EXPECT_EQ(listText(), kept);
    setList(::acl_init(0));
}
#endif

// Run by the test below as another user, for whom no thread can be made: a wait for a held file.
TEST(LiveFileSystemChildProgram, AWaitThatCannotStart) {
    const QString file = qEnvironmentVariable("QLAN_LOCK_CHILD_FILE");
    if (file.isEmpty()) GTEST_SKIP() << "runs only as a child program";
    const QString locks = qEnvironmentVariable("QLAN_LOCK_CHILD_FOLDER");
    const rlimit noMore{0, 0};
    ASSERT_EQ(::setrlimit(RLIMIT_NPROC, &noMore), 0);
    try {
        LiveFileEditHold::hold(file, locks, {});
        ADD_FAILURE() << "held a file another program holds";
    } catch (const PlatformError& error) {
        std::printf("refused: %s\n", error.what());
    }
    EXPECT_EQ(test::openDescriptorsOf(LiveFileEditHold::lockFile(file, locks)), 0);
}

TEST_F(LiveFileSystemTest, AWaitThatCannotStartClosesItsDescriptorAtOnce) {
    // The super-user may always make threads: only another user runs out of them.
    if (const std::optional<QString> why = test::whyNoOtherUser()) GTEST_SKIP() << why->toStdString();
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    const QString locks = path("locks");
    ASSERT_TRUE(QDir().mkdir(locks));
    write("zprofile", "export A=1\n");
    for (const QString& owned : {locks, path("zprofile")})
        ASSERT_EQ(::chown(QFile::encodeName(owned).constData(), test::nobody, test::nobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locks).constData(), 0700), 0);
    test::EditLockHolder holder(path("zprofile"), locks, test::asNobody());
    if (!holder.held()) GTEST_SKIP() << "flock(1) is not installed";
    const test::ChildRun child = test::runTestAsNobody("LiveFileSystemChildProgram.AWaitThatCannotStart",
                                                       {{"QLAN_LOCK_CHILD_FILE", path("zprofile")},
                                                        {"QLAN_LOCK_CHILD_FOLDER", locks},
                                                        {"HOME", dir_.path()}});
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
    EXPECT_TRUE(child.output.contains("refused: Couldn't wait for “" + QFile::encodeName(path("zprofile")) +
                                      "”, which another program is changing: "))
        << child.output.toStdString();
}

// $TMPDIR where it names a folder this user may write, else the user's own folder that the system names (a
// Mac's temporary folder, Linux's $XDG_RUNTIME_DIR), and on Linux /tmp where that one is missing or shared.
TEST_F(LiveFileSystemTest, TemporaryFilesAndLocksGoToTheUsersOwnTemporaryFolderNeverToTheRootOfTheDisk) {
    for (const char* folder : {"runtime", "shared"})
        ASSERT_TRUE(QDir().mkdir(path(folder)));
    ASSERT_EQ(::chmod(QFile::encodeName(path("runtime")).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path("shared")).constData(), 0777), 0);
    const QByteArray saved[] = {qgetenv("TMPDIR"), qgetenv("XDG_RUNTIME_DIR")};
    const auto putBack = qScopeGuard([&saved] { // however the test ends
        for (const auto& [name, value] :
             {std::pair{"TMPDIR", saved[0]}, std::pair{"XDG_RUNTIME_DIR", saved[1]}})
            value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    });
    const auto setTmpdir = [](const QString& value) {
        value.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", QFile::encodeName(value));
    };
    // The user's own folder that the system names.
#if defined(__linux__)
    const QString own = path("runtime");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
#elif defined(__APPLE__)
    char named[PATH_MAX];
    ASSERT_GT(::confstr(_CS_DARWIN_USER_TEMP_DIR, named, sizeof named), 0u);
    const QString own = QDir::cleanPath(QFile::decodeName(named));
#endif
    for (const auto& [tmpdir, folder] : QList<std::pair<QString, QString>>{
             {path("shared"), path("shared")}, {"", own}, {path("missing"), own}, {"relative", own}}) {
        SCOPED_TRACE(tmpdir.toStdString());
        setTmpdir(tmpdir);
        EXPECT_EQ(UserTemporaryFolder::path(), folder);
        EXPECT_EQ(fs_.temporaryDirectory(), folder); // askpass scripts, clones and downloads too
    }
#if defined(__linux__)
    // A runtime folder that others may use, or none: "/tmp".
    for (const QString& runtime : {path("shared"), QString()}) {
        SCOPED_TRACE(runtime.toStdString());
        runtime.isEmpty() ? qunsetenv("XDG_RUNTIME_DIR")
                          : qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        EXPECT_EQ(UserTemporaryFolder::path(), "/tmp");
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
#endif
    // An edit without $TMPDIR takes its lock in the user's own folder.
    setTmpdir("");
    write("zprofile", "");
    fs_.lockForEditing(path("zprofile"), {});
    EXPECT_TRUE(
        QFile::exists(LiveFileEditHold::lockFile(path("zprofile"), LiveFileEditHold::lockFolder(own))));
}
