// The package installer against a loopback builds API and download server, a stub osascript that runs
// the installer command with a real shell, and an injected clock for the slow-response notices.

#include "remediation/PKGInstaller.h"

#include "editions/ProductConfig.h"
#include "platform/PlatformError.h"

#include "support/AdminShellStub.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProcessChecks.h"
#include "support/RecordingHTTPFetcher.h"
#include "support/Sandbox.h"
#include "support/StreamDrain.h"
#include "support/Wait.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkReply>

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

using namespace qlan;
using namespace std::chrono_literals;
using qlan::test::LoopbackHttpServer;
using qlan::test::LoopbackRequest;
using qlan::test::LoopbackResponse;
using qlan::test::RecordingHTTPFetcher;
using qlan::test::Sandbox;
using qlan::test::StubSpec;
using Kind = PKGInstaller::Event::Kind;
using ::testing::ElementsAre;

namespace qlan {
inline void PrintTo(const PKGInstaller::Event& event, std::ostream* out) {
    *out << "kind " << int(event.kind) << " " << event.bytesReceived << " " << event.message.toStdString();
}
} // namespace qlan

namespace {

const QString prompt = "Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/";
const QByteArray packageBytes = QByteArray("xar!") + QByteArray(5000, 'p');
const QString digest =
    QString::fromLatin1(QCryptographicHash::hash(packageBytes, QCryptographicHash::Sha256).toHex());

// Downloads that give up as a time-out of the transport would.
class TimingOutDownloads : public RecordingHTTPFetcher {
public:
    std::pair<QString, HTTPResponse> download(const QUrl&, std::stop_token) override {
        throw qlan::TransportError("Operation timed out", QNetworkReply::TimeoutError);
    }
};

PKGInstaller::Event event(Kind kind) {
    return PKGInstaller::Event::of(kind);
}

struct Fixture {
    Sandbox mac;
    LoopbackHttpServer server;
    std::shared_ptr<RecordingHTTPFetcher> http = std::make_shared<RecordingHTTPFetcher>();
    std::atomic<std::int64_t> nowNs{1'000'000'000};
    PKGInstaller installer;

    explicit Fixture(const QString& checksum = digest.toUpper()) {
        installer.process = mac.services().processRunner;
        http->downloadFolder = mac.services().fs->temporaryDirectory();
        installer.http = http;
        installer.fs = mac.services().fs;
        installer.adoptium = AdoptiumAPI{http, server.url("/").toString(QUrl::StripTrailingSlash)};
        installer.architecture = "aarch64";
        installer.clock = [this] { return std::chrono::nanoseconds(nowNs.load()); };
        const QString link = server.url("/pkg/OpenJDK21.pkg").toString();
        server.route(
            "/v3/assets/latest/21/hotspot",
            LoopbackResponse{.status = 200,
                             .body = QStringLiteral(R"([{"binary":{"installer":{"link":"%1","checksum":"%2",)"
                                                    R"("name":"OpenJDK21.pkg"}},"release_name":"jdk-21"}])")
                                         .arg(link, checksum)
                                         .toUtf8()});
        server.route("/pkg/OpenJDK21.pkg", LoopbackResponse{.status = 200, .body = packageBytes});
        test::writeAdminShellOsascript(mac);
        mac.writeStub("/usr/sbin/installer",
                      StubSpec().withStdOut("installer: The install was successful.\n"));
    }

    QString packagePath() {
        return mac.services().fs->urlForDirectory(StandardDirectory::caches, true) + "/" +
               ProductConfig::current().cacheDirName + "/temurin-21-aarch64.pkg";
    }
};

} // namespace

TEST(PKGInstaller, ASlowLookupThenDownloadVerifyAndInstall) {
    Fixture f;
    std::atomic<bool> answerLookup = false;
    const QString body = QString::fromUtf8(
        QStringLiteral(R"([{"binary":{"installer":{"link":"%1","checksum":"%2","name":"OpenJDK21.pkg"}},)"
                       R"("release_name":"jdk-21"}])")
            .arg(f.server.url("/pkg/OpenJDK21.pkg").toString(), digest.toUpper())
            .toUtf8());
    f.server.route("/v3/assets/latest/21/hotspot", [&](const LoopbackRequest&) {
        for (int i = 0; i < 2000 && !answerLookup; ++i)
            std::this_thread::sleep_for(5ms);
        return LoopbackResponse{.status = 200, .body = body.toUtf8()};
    });
    // A stale package of the same name is replaced, never verified.
    f.mac.writeFile(f.packagePath(), "stale");

    auto stream = f.installer.install(21, prompt);
    EXPECT_EQ(test::nextWithin(stream), event(Kind::fetching));
    ASSERT_TRUE(test::waitUntil([&] { return f.server.requests().size() == 1; }));
    f.nowNs += std::chrono::nanoseconds(7900ms).count();
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(stream.tryNext(), std::nullopt) << "no notice before 8 seconds";
    f.nowNs += std::chrono::nanoseconds(200ms).count();
    EXPECT_EQ(test::nextWithin(stream), event(Kind::slowResponse));
    answerLookup = true;

    EXPECT_THAT(test::drain(stream),
                ElementsAre(PKGInstaller::Event::downloading(packageBytes.size(), packageBytes.size()),
                            event(Kind::verifying), event(Kind::installing), event(Kind::completed)));
    const auto installs = f.mac.calls("/usr/sbin/installer");
    ASSERT_EQ(installs.size(), 1);
    EXPECT_EQ(installs[0].arguments, QStringList({"-pkg", f.packagePath(), "-target", "/"}));
    EXPECT_THAT(f.mac.calls("/usr/bin/osascript")[0].arguments.value(1).toStdString(),
                ::testing::EndsWith("with prompt \"" + prompt.toStdString() + "\""));
    EXPECT_TRUE(test::waitUntil([&] { return !QFile::exists(f.packagePath()); }));
    EXPECT_EQ(f.server.requests()[0].target,
              "/v3/assets/latest/21/hotspot?architecture=aarch64&image_type=jdk&os=mac");
}

TEST(PKGInstaller, FailuresEndInOneTerminalEventAndLeaveNoPackage) {
    struct Case {
        const char* name;
        std::function<void(Fixture&)> arrange;
        std::function<PKGInstaller::Event(Fixture&)> terminal;
        bool downloaded;
    };
    const QString wrong = QString(64, 'b');
    const QList<Case> cases = {
        {"lookup time-out",
         [](Fixture& f) {
             f.http->timeoutOverride = 0.3;
             f.server.route("/v3/assets/latest/21/hotspot",
                            LoopbackResponse{.body = "[]", .headDelayMs = 3000});
         },
         [](Fixture&) { return PKGInstaller::Event::error(PKGInstaller::lookupTimeoutMessage); }, false},
        {"no asset",
         [](Fixture& f) { f.server.route("/v3/assets/latest/21/hotspot", LoopbackResponse{.body = "[]"}); },
         [](Fixture&) {
             return PKGInstaller::Event::error("No installer asset for Java 21 on aarch64 (pkg: n/a)");
         },
         false},
        {"download time-out", [](Fixture& f) { f.installer.http = std::make_shared<TimingOutDownloads>(); },
         [](Fixture&) { return PKGInstaller::Event::error(PKGInstaller::downloadTimeoutMessage); }, false},
        {"download 404",
         [](Fixture& f) { f.server.route("/pkg/OpenJDK21.pkg", LoopbackResponse{.status = 404}); },
         [](Fixture&) { return PKGInstaller::Event::error("Adoptium download HTTP error (pkg: n/a)"); },
         false},
        {"checksum mismatch", [](Fixture&) {},
         [wrong](Fixture& f) {
             return PKGInstaller::Event::error("Checksum mismatch (expected " + wrong + ", got " + digest +
                                               ") (pkg: " + f.packagePath() + ")");
         },
         true},
        {"password dialog dismissed",
         [](Fixture& f) {
             f.mac.writeStub(
                 "/usr/bin/osascript",
                 StubSpec().withStdErr("execution error: User canceled. (-128)\n").withExitCode(1));
         },
         [](Fixture&) { return event(Kind::canceled); }, true},
        {"silent osascript failure",
         [](Fixture& f) { f.mac.writeStub("/usr/bin/osascript", StubSpec().withExitCode(1)); },
         [](Fixture&) { return PKGInstaller::Event::error("osascript exited 1"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(std::string(c.name) == "checksum mismatch" ? wrong : digest);
        c.arrange(f);
        auto stream = f.installer.install(21, prompt);
        const auto events = test::drain(stream);
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.front(), event(Kind::fetching));
        EXPECT_EQ(events.back(), c.terminal(f));
        const bool sawDownload = std::any_of(events.begin(), events.end(),
                                             [](const auto& e) { return e.kind == Kind::downloading; });
        EXPECT_EQ(sawDownload, c.downloaded);
        EXPECT_TRUE(test::waitUntil([&] { return !QFile::exists(f.packagePath()); }));
    }
}

TEST(PKGInstaller, EndingTheStreamDuringTheInstallerStopsOsascript) {
    Fixture f;
    const QString pidFile = f.mac.root() + "/osascript.pid";
    f.mac.writeStub("/usr/bin/osascript",
                    StubSpec().withScript("echo $$ > '" + pidFile + "'\nexec /bin/sleep 100\n"));
    pid_t pid = 0;
    {
        auto stream = f.installer.install(21, prompt);
        ASSERT_TRUE(test::waitUntil([&] { return QFile::exists(pidFile) && QFile(pidFile).size() > 0; }));
        QFile file(pidFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        pid = file.readAll().trimmed().toInt();
        ASSERT_GT(pid, 0);
    } // dropped
    EXPECT_TRUE(test::waitUntil([&] { return test::dead(pid); }));
    EXPECT_TRUE(test::waitUntil([&] { return !QFile::exists(f.packagePath()); }));
}
