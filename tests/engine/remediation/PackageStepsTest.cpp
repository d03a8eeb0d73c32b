// The package steps on real files and real child processes: the streamed SHA-256 test and the system
// installer run through a stub osascript that carries out `do shell script` with a real shell.

#include "remediation/PackageSteps.h"
#include "remediation/DomainError.h"

#include "support/AdminShellStub.h"
#include "support/Sandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using qlan::test::StubSpec;

namespace qlan {
inline void PrintTo(const InstallerOutcome& outcome, std::ostream* os) {
    *os << int(outcome.kind) << " " << outcome.message.toStdString();
}
} // namespace qlan

namespace {

QString errorOf(const std::function<void()>& step) {
    try {
        step();
        return "passed";
    } catch (const DomainError& error) {
        return QStringLiteral("%1 %2: %3")
            .arg(error.domain())
            .arg(error.code())
            .arg(error.localizedDescription());
    } catch (const PlatformError& error) {
        return "read error: " + error.localizedDescription();
    }
}

// Serves every download as a file it has just written into the sandbox's temporary folder.
class FileServingFetcher : public HTTPFetching {
public:
    explicit FileServingFetcher(QString folder)
        : folder_(std::move(folder)) {}
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&, std::stop_token) override { return {}; }
    std::pair<QString, HTTPResponse> download(const QUrl&, std::stop_token) override {
        const QString path = folder_ + "/quillane-download-1";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("package") != 7) return {};
        HTTPResponse response;
        response.statusCode = 200;
        return {path, response};
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64, double, std::stop_token) override { return {}; }

private:
    QString folder_;
};

InstallerOutcome install(Sandbox& sandbox, const QString& path, CancellableProcess& job) {
    return runInstallerWithAdminPrompt(*sandbox.services().processRunner, path, "Enter password", job, {});
}

} // namespace

TEST(PackageSteps, ChecksumIsStreamedAndComparedExactly) {
    Sandbox sandbox;
    // Larger than one read, so the digest covers several pieces.
    QByteArray bytes(700 * 1024 + 13, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    sandbox.writeFile("/pkg/a.pkg", bytes);
    const QString path = sandbox.map("/pkg/a.pkg");
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    ASSERT_EQ(sha256Hex(path), digest);

    struct Case {
        QString expected;
        QString outcome;
    } cases[] = {
        {digest, "passed"},
        {digest.toUpper(), "D 5: Checksum mismatch (expected " + digest.toUpper() + ", got " + digest + ")"},
        {"", "D 5: Checksum mismatch (expected , got " + digest + ")"},
        {digest + " ", "D 5: Checksum mismatch (expected " + digest + " , got " + digest + ")"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { verifyChecksum(path, c.expected, "D", 5); }), c.outcome)
            << c.expected.toStdString();
    EXPECT_TRUE(
        errorOf([&] { verifyChecksum(path + ".missing", digest, "D", 5); }).startsWith("read error: "));
}

TEST(PackageSteps, APackagePathReachesTheInstallerAsOneLiteralWord) {
    Sandbox sandbox;
    test::writeAdminShellOsascript(sandbox);
    sandbox.writeStub("/usr/sbin/installer",
                      StubSpec().withStdOut("installer: The install was successful.\n"));
    const QString marker = sandbox.root() + "/ran";
    const QString path =
        QString(R"(/Users/tester/Library/Caches/Q "x" $HOME `touch %1` $(touch %1) it's \n\/t.pkg)")
            .arg(marker);

    CancellableProcess job;
    EXPECT_EQ(install(sandbox, path, job), InstallerOutcome::succeeded());
    const auto calls = sandbox.calls("/usr/sbin/installer");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().arguments, (QStringList{"-pkg", path, "-target", "/"}));
    EXPECT_FALSE(QFile::exists(marker));

    const auto script = sandbox.calls("/usr/bin/osascript").first().arguments;
    ASSERT_EQ(script.size(), 2);
    EXPECT_EQ(script.first(), "-e");
    EXPECT_TRUE(script.last().endsWith(R"(" with administrator privileges with prompt "Enter password")"))
        << script.last().toStdString();
}

TEST(PackageSteps, InstallerOutcomes) {
    struct Case {
        const char* name;
        std::optional<StubSpec> osascript; // none: not installed
        bool cancelFirst;
        InstallerOutcome expected;
    } cases[] = {
        {"success", StubSpec(), false, InstallerOutcome::succeeded()},
        {"dialog dismissed",
         StubSpec().withStdErr("0:1: execution error: User canceled. (-128)\n").withExitCode(1), false,
         InstallerOutcome::canceled()},
        {"user canceled in other words", StubSpec().withStdOut("USER CANCELED\n").withExitCode(1), false,
         InstallerOutcome::canceled()},
        {"installer error", StubSpec().withStdOut("\n  installer: Error - bad package\n\n").withExitCode(1),
         false, InstallerOutcome::failed("installer: Error - bad package")},
        {"silent failure", StubSpec().withExitCode(1), false, InstallerOutcome::failed("osascript exited 1")},
        {"job already cancelled", StubSpec().withSleep(5000), true, InstallerOutcome::canceled()},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        if (c.osascript) sandbox.writeStub("/usr/bin/osascript", *c.osascript);
        CancellableProcess job;
        if (c.cancelFirst) job.cancel();
        EXPECT_EQ(install(sandbox, "/tmp/a.pkg", job), c.expected) << c.name;
    }

    Sandbox sandbox;
    CancellableProcess job;
    const InstallerOutcome missing = install(sandbox, "/tmp/a.pkg", job);
    EXPECT_EQ(missing.kind, InstallerOutcome::Kind::failed);
    EXPECT_TRUE(missing.message.startsWith("Failed to start osascript: ")) << missing.message.toStdString();
}

TEST(PackageSteps, ADownloadThatCannotBePutInPlaceIsNotKept) {
    Sandbox sandbox;
    const QString temporary = sandbox.services().fs->temporaryDirectory();
    sandbox.makeDirectory(temporary);
    FileServingFetcher http(sandbox.map(temporary));
    const DomainError statusError("test", 1, "status");
    const QString destination = "/Users/tester/Library/Caches/missing-folder/temurin.pkg";
    EXPECT_TRUE(errorOf([&] {
                    downloadPackage(http, *sandbox.services().fs, QUrl("http://127.0.0.1/p.pkg"), destination,
                                    statusError, {});
                }).startsWith("read error: "));
    EXPECT_EQ(QDir(sandbox.map(temporary)).entryList(QDir::Files | QDir::Hidden), QStringList{});
}
