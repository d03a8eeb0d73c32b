#include "PlistFixture.h"
#include "Printers.h"
#include "platform/JdkReleaseFileReader.h"
#include "platform/ProbeSupport.h"
#include "platform/Probes.h"
#include "support/ProcessChecks.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <chrono>

using namespace qlan;
using test::PlistFormat;
using test::Sandbox;
using test::StubSpec;

namespace {

const QString jvms = QStringLiteral("/Library/Java/JavaVirtualMachines/");

Probes probesFor(const Sandbox& sandbox) {
    return Probes{ShellRunner(sandbox.services().processRunner), sandbox.services().fs};
}

QString javaHomeLine(const QString& version, const QString& arch, const QString& vendor,
                     const QString& home) {
    return QStringLiteral("    %1 (%2) \"%3\" - \"%3 %1\" %4\n").arg(version, arch, vendor, home);
}

// The entries of `jdks` in the order their bundles appear in `listing`.
QList<JDKInfo> inListingOrder(const QStringList& listing, const QList<JDKInfo>& jdks) {
    QList<JDKInfo> ordered;
    for (const QString& name : listing)
        for (const JDKInfo& jdk : jdks)
            if (jdk.path == jvms + name + "/Contents/Home") ordered.append(jdk);
    return ordered;
}

} // namespace

TEST(ProbesSandbox, CombinesTheFourProbesAndScansTheBundlesJavaHomeMissed) {
    Sandbox mac;
    mac.writeStub("/usr/bin/which", StubSpec().withStdOut("/usr/bin/java\n"));
    // java_home writes its list to standard error, and exits non-zero here: it is parsed all the same.
    mac.writeStub(
        "/usr/libexec/java_home",
        StubSpec()
            .withStdOut("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n")
            .withStdErr(
                "Matching Java Virtual Machines (3):\n" +
                javaHomeLine("21.0.2", "arm64", "Eclipse Adoptium", jvms + "temurin-21.jdk/Contents/Home") +
                javaHomeLine("1.8.0_392", "x86_64", "Azul Systems, Inc.", jvms + "zulu-8.jdk/Contents/Home") +
                javaHomeLine("17.0.9", "arm64", "Amazon.com Inc.",
                             mac.home() + "/Library/Java/JavaVirtualMachines/corretto-17/Contents/Home"))
            .withExitCode(3));
    mac.linkSystemProgram("/bin/zsh");
    mac.writeFile(mac.home() + "/.zprofile",
                  "echo '__VRL_JAVA_HOME__:/from/an/earlier/line'\nexport JAVA_HOME='/opt/jdk 21  '\n");

    // Listed by java_home and present: reported once, with java_home's vendor and architecture.
    mac.writeFile(jvms + "temurin-21.jdk/Contents/Home/release",
                  "JAVA_VERSION=\"21.0.2\"\nIMPLEMENTOR=\"Other\"\n");
    mac.writeFile(jvms + "zulu-8.jdk/Contents/Home/release", "JAVA_VERSION=\"1.8.0_392\"\n");
    // A JDK that java_home reports elsewhere does not hide a bundle of the same name here.
    mac.writeFile(jvms + "corretto-17/Contents/Home/release",
                  "JAVA_VERSION=\"17.0.10\"\nIMPLEMENTOR=\"Amazon.com Inc.\"\n");
    // Only a release file, without IMPLEMENTOR.
    mac.writeFile(jvms + "openjdk-22.jdk/Contents/Home/release", "JAVA_VERSION=\"22\"\n");
    // A release file without JAVA_VERSION, a binary Info.plist.
    mac.writeFile(jvms + "graal-23.jdk/Contents/Home/release", "IMPLEMENTOR=\"GraalVM\"\n");
    mac.writeFile(jvms + "graal-23.jdk/Contents/Info.plist",
                  test::jdkInfoPlist("23.0.1", PlistFormat::binary));
    // No release file, an XML Info.plist.
    mac.writeFile(jvms + "liberica-11.jdk/Contents/Info.plist",
                  test::jdkInfoPlist("11.0.21", PlistFormat::xml));
    // A release file that is not UTF-8 text, then a plist.
    mac.writeFile(jvms + "odd-19.jdk/Contents/Home/release",
                  QByteArray("JAVA_VERSION=\"19\"\n") + QByteArray("\xff\xfe"));
    mac.writeFile(jvms + "odd-19.jdk/Contents/Info.plist", test::jdkInfoPlist("19.0.2", PlistFormat::xml));
    // Versions the parser rejects, a plist without JVMVersion, nothing at all, a stray file.
    mac.writeFile(jvms + "bad.jdk/Contents/Home/release", "JAVA_VERSION=\"abc\"\n");
    mac.writeFile(jvms + "bad.jdk/Contents/Info.plist", test::jdkInfoPlist("unknown", PlistFormat::binary));
    mac.writeFile(jvms + "noversion.jdk/Contents/Info.plist", test::jdkInfoPlist(nullptr, PlistFormat::xml));
    mac.makeDirectory(jvms + "empty.jdk");
    mac.writeFile(jvms + ".DS_Store", "");

    const ProbeBundle bundle = probesFor(mac).probeAll();

    QStringList sortedListing = bundle.jvmDirContents;
    sortedListing.sort();
    EXPECT_EQ(sortedListing, QStringList({".DS_Store", "bad.jdk", "corretto-17", "empty.jdk", "graal-23.jdk",
                                          "liberica-11.jdk", "noversion.jdk", "odd-19.jdk", "openjdk-22.jdk",
                                          "temurin-21.jdk", "zulu-8.jdk"}));
    const QList<JDKInfo> fromJavaHome = {
        {"21.0.2", "Eclipse Adoptium", "arm64", jvms + "temurin-21.jdk/Contents/Home"},
        {"1.8.0_392", "Azul Systems, Inc.", "x86_64", jvms + "zulu-8.jdk/Contents/Home"},
        {"17.0.9", "Amazon.com Inc.", "arm64",
         mac.home() + "/Library/Java/JavaVirtualMachines/corretto-17/Contents/Home"},
    };
    const QList<JDKInfo> scanned = inListingOrder(
        bundle.jvmDirContents, {
                                   {"17.0.10", "Amazon.com Inc.", "", jvms + "corretto-17/Contents/Home"},
                                   {"22", "", "", jvms + "openjdk-22.jdk/Contents/Home"},
                                   {"23.0.1", "", "", jvms + "graal-23.jdk/Contents/Home"},
                                   {"11.0.21", "", "", jvms + "liberica-11.jdk/Contents/Home"},
                                   {"19.0.2", "", "", jvms + "odd-19.jdk/Contents/Home"},
                               });
    EXPECT_EQ(bundle,
              (ProbeBundle{"/usr/bin/java", fromJavaHome + scanned, bundle.jvmDirContents, "/opt/jdk 21"}));
}

TEST(ProbesSandbox, AMacWithoutJava) {
    Sandbox mac;
    mac.writeStub("/usr/bin/which", StubSpec().withStdOut("").withExitCode(1));
    mac.writeStub("/usr/libexec/java_home",
                  StubSpec()
                      .withStdErr("Unable to find any JVMs matching version \"(null)\".\n"
                                  "No Java runtime present, try --request to install.\n")
                      .withExitCode(1));
    mac.linkSystemProgram("/bin/zsh");
    mac.writeFile(mac.home() + "/.zprofile", "unset JAVA_HOME\n");
    EXPECT_EQ(probesFor(mac).probeAll(), ProbeBundle{});

    // With nothing to run and no folder at all, the answer is the same.
    Sandbox bare;
    EXPECT_EQ(probesFor(bare).probeAll(), ProbeBundle{});
}

TEST(ProbesSandbox, JavaHomeReportingNoJVMsLeavesEveryBundleToTheScan) {
    Sandbox mac;
    mac.writeStub("/usr/bin/which", StubSpec().withStdOut("/usr/bin/java\r\n"));
    mac.writeStub(
        "/usr/libexec/java_home",
        StubSpec().withStdErr("Unable to find any JVMs matching version \"(null)\".\n").withExitCode(1));
    mac.writeStub("/bin/zsh",
                  StubSpec().withStdOut("__VRL_JAVA_HOME__:/a\nlast words __VRL_JAVA_HOME__:   \n"));
    mac.writeFile(jvms + "temurin-21.jdk/Contents/Home/release",
                  "JAVA_VERSION=\"21.0.2\"\nIMPLEMENTOR=\"Eclipse Adoptium\"\n");
    mac.writeFile(jvms + "temurin-8.jdk/Contents/Home/release", "JAVA_VERSION=\"1.8.0_392\"\n");

    const ProbeBundle bundle = probesFor(mac).probeAll();
    EXPECT_EQ(bundle.whichJava, "/usr/bin/java");
    EXPECT_EQ(bundle.javaHomeInActiveShell, std::nullopt); // the last marker line is empty
    EXPECT_EQ(bundle.installedJDKs,
              inListingOrder(bundle.jvmDirContents,
                             {{"21.0.2", "Eclipse Adoptium", "", jvms + "temurin-21.jdk/Contents/Home"},
                              {"1.8.0_392", "", "", jvms + "temurin-8.jdk/Contents/Home"}}));
    EXPECT_EQ(bundle.installedJDKs.size(), 2);
    EXPECT_EQ(mac.calls("/bin/zsh").value(0).arguments,
              QStringList({"-lc", "echo __VRL_JAVA_HOME__:$JAVA_HOME"}));
    EXPECT_EQ(mac.calls("/usr/bin/which").value(0).arguments, QStringList({"java"}));
}

TEST(ProbesSandbox, TheFolderScanReadsOnlyBundlesJavaHomeDidNotList) {
    Sandbox mac;
    const JdkReleaseFileReader reader{mac.services().fs};
    mac.writeFile(jvms + "a.jdk/Contents/Home/release", "JAVA_VERSION=\"21\"\n");
    mac.writeFile(jvms + "b.jdk/Contents/Home/release", "JAVA_VERSION=\"17\"\n");
    const QList<JDKInfo> listed = {
        {"21", "X", "arm64", jvms + "a.jdk/Contents/Home"},
        {"21", "X", "arm64", jvms + "/b.jdk"}, // the empty piece after the prefix is skipped
        {"8", "Y", "x86_64", "/Library/Java/JavaVirtualMachines"}, // the folder itself names no bundle
    };
    EXPECT_TRUE(reader.scan({"a.jdk", "b.jdk"}, listed).isEmpty());
    EXPECT_EQ(reader.scan({"b.jdk", "a.jdk", "c.jdk"}, {}),
              QList<JDKInfo>({{"17", "", "", jvms + "b.jdk/Contents/Home"},
                              {"21", "", "", jvms + "a.jdk/Contents/Home"}}));
    EXPECT_EQ(reader.scan({"a.jdk", "b.jdk"}, {{"21", "X", "", jvms + "a.jdkx/Contents/Home"}}).size(), 2);
}

// A ~/.zprofile that never finishes (waiting on a prompt, the network, a lock) costs a login-shell
// check its time limit and nothing more: the shell and what it started are stopped, the check has no
// result to give.
TEST(ProbesSandbox, AHangingLoginShellIsStoppedAtItsTimeLimit) {
    static_assert(probing::loginShellTimeLimit == std::chrono::seconds(30));
    Sandbox mac;
    mac.linkSystemProgram("/bin/zsh");
    ProcessRunning* process = mac.services().processRunner.get();

    // Within the limit: the command's result, as before.
    mac.writeFile(mac.home() + "/.zprofile", "export GREETING=hello\n");
    const auto quick = probing::runLoginShell(process, QStringLiteral("echo $GREETING"));
    ASSERT_TRUE(quick.result.has_value()) << quick.failure.toStdString();
    EXPECT_EQ(quick.result->stdOut, "hello\n");

    mac.writeFile(mac.home() + "/.zprofile", "echo $$ > \"$HOME/shell.pid\"\nsleep 100\n");
    QElapsedTimer timer;
    timer.start();
    const auto hung =
        probing::runLoginShell(process, QStringLiteral("echo never"), std::chrono::milliseconds(400));
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_FALSE(hung.result.has_value());
    EXPECT_EQ(hung.failure, QStringLiteral("The program did not finish within 400 ms."));
    const pid_t shell = mac.readFile(mac.home() + "/shell.pid").trimmed().toInt();
    ASSERT_GT(shell, 0);
    EXPECT_TRUE(test::reaped(shell));

    // The Java probe's login-shell check then reads "no JAVA_HOME"; the other three still answer.
    mac.writeStub("/usr/bin/which", StubSpec().withStdOut("/usr/bin/java\n"));
    Probes probes = probesFor(mac);
    probes.loginShellTimeLimit = std::chrono::milliseconds(400);
    timer.restart();
    const ProbeBundle bundle = probes.probeAll();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(bundle.whichJava, "/usr/bin/java");
    EXPECT_EQ(bundle.javaHomeInActiveShell, std::nullopt);
}
