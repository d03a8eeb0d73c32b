#include "telemetry/TelemetryEvents.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

using namespace qlan;
using eventvalues::integer;
using eventvalues::text;

namespace {

// A text of `count` user-perceived characters, each a letter with a combining accent (two code units).
QString accented(int count) {
    return QString("e\u0301").repeated(count);
}

} // namespace

TEST(TelemetryEvents, AppLaunchedMapsTheProfile) {
    SystemProfile profile;
    profile.architecture = Architecture::unknown;
    profile.shell = Shell::other("tcsh");
    profile.macosVersion = {14, 5, 1};
    profile.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    profile.miseExecutable = "/opt/homebrew/bin/mise";
    const TelemetryEvent event = appLaunchedEvent(profile);
    EXPECT_EQ(event.name, "app_launched");
    const JSONObject expected = {
        {"macos_major", integer(14)},
        {"macos_minor", integer(5)},
        {"arch", text("unknown")},
        {"shell", text("other")},
        {"has_homebrew", JSONValue::boolean(false)},
        {"has_sdkman", JSONValue::boolean(false)},
        {"has_mise", JSONValue::boolean(true)},
        {"has_jenv", JSONValue::boolean(false)},
        {"has_asdf", JSONValue::boolean(false)},
        {"has_xcode_clt", JSONValue::boolean(true)},
    };
    EXPECT_EQ(event.properties, expected);

    profile.architecture = Architecture::appleSilicon;
    profile.shell = Shell::zsh();
    EXPECT_EQ(appLaunchedEvent(profile).properties.value("arch"), text("arm64"));
    EXPECT_EQ(appLaunchedEvent(profile).properties.value("shell"), text("zsh"));
    EXPECT_EQ(architectureText(Architecture::intel), "x86_64");
    EXPECT_EQ(shellText(Shell::bash()), "bash");
    EXPECT_EQ(shellText(Shell::fish()), "fish");

    // Without a profile: the same name, no properties.
    EXPECT_EQ(appLaunchedEvent(std::optional<SystemProfile>{}), (TelemetryEvent{"app_launched", {}}));
}

TEST(TelemetryEvents, HomeMaskingInEveryForm) {
    const auto mask = [](const QString& value) { return homeMasked(value, "alice", "/home/alice"); };
    EXPECT_EQ(mask("/Users/alice/Library/Java/JavaVirtualMachines/x/Contents/Home"),
              "/Users/~/Library/Java/JavaVirtualMachines/x/Contents/Home");
    EXPECT_EQ(mask("/Library/Java/JavaVirtualMachines/x/Contents/Home"),
              "/Library/Java/JavaVirtualMachines/x/Contents/Home");
    // The home folder itself, and inside free text.
    EXPECT_EQ(mask("/Users/alice"), "/Users/~");
    EXPECT_EQ(mask("cp: /Users/alice: Permission denied; see /Users/alice/.zprofile"),
              "cp: /Users/~: Permission denied; see /Users/~/.zprofile");
    // This machine's actual home path, wherever it is.
    EXPECT_EQ(mask("JAVA_HOME=/home/alice/jdk and HOME=/home/alice."),
              "JAVA_HOME=/Users/~/jdk and HOME=/Users/~.");
    // Other users' folders and longer names are left alone.
    EXPECT_EQ(mask("/Users/alicex/jdk /Users/bob/jdk /home/alice2 /Users/alice.bak"),
              "/Users/alicex/jdk /Users/bob/jdk /home/alice2 /Users/alice.bak");
    // A home written with a trailing slash still masks; an empty login name leaves /Users paths alone.
    EXPECT_EQ(homeMasked("/srv/u/alice/x", "", "/srv/u/alice/"), "/Users/~/x");
    EXPECT_EQ(homeMasked("/Users/alice/x", "", "/"), "/Users/alice/x");
    // Names with characters that mean something in a pattern are matched literally.
    EXPECT_EQ(homeMasked("/Users/a.b/x /Users/aXb/x", "a.b", ""), "/Users/~/x /Users/aXb/x");

    // The convenience form uses this machine's user and home.
    EXPECT_EQ(homeMasked(QDir::homePath() + "/projects"), "/Users/~/projects");
    EXPECT_EQ(homeMasked(QDir::homePath()), "/Users/~");
}

TEST(TelemetryEvents, VerificationAndFeedbackTexts) {
    const QString home = QDir::homePath();
    // The version excerpt: the line holding `version "`, else the first non-empty line.
    const QString output = "\n\nopenjdk version \"21.0.2\" 2024-01-16\r\nOpenJDK Runtime Environment\n";
    EXPECT_EQ(javaVersionExcerpt(output), "openjdk version \"21.0.2\" 2024-01-16");
    EXPECT_EQ(javaVersionExcerpt("\u2028first\u2029second"), "first");
    EXPECT_EQ(javaVersionExcerpt(""), "");
    EXPECT_EQ(javaVersionExcerpt("version \"1\" " + accented(300)).size(), 2 * 200 - 12);

    EXPECT_EQ(verifyPassedEvent(output).properties,
              (JSONObject{{"java_version_excerpt", text("openjdk version \"21.0.2\" 2024-01-16")},
                          {"java_major_version", integer(21)}}));
    EXPECT_EQ(verifyPassedEvent("command not found").properties.value("java_major_version"),
              JSONValue::null());
    const auto legacy = verifyPassedWithLegacyEvent("java version \"1.8.0_392\"", home + "/jdk8");
    EXPECT_EQ(legacy.name, "verify_passed_with_legacy");
    EXPECT_EQ(legacy.properties, (JSONObject{{"java_version_excerpt", text("java version \"1.8.0_392\"")},
                                             {"java_major_version", integer(8)},
                                             {"chosen_path", text("/Users/~/jdk8")}}));
    EXPECT_EQ(verifyFailedEvent("boom", 2).properties,
              (JSONObject{{"exit_code", integer(2)}, {"java_version_excerpt", text("boom")}}));

    // Feedback: trimmed, null when nothing is left, cut at 500.
    EXPECT_EQ(npsSubmittedEvent(9, " \n\t \r\n").properties.value("reason"), JSONValue::null());
    EXPECT_EQ(npsSubmittedEvent(9, std::nullopt).properties,
              (JSONObject{{"score", integer(9)}, {"reason", JSONValue::null()}}));
    EXPECT_EQ(npsSubmittedEvent(3, QString(600, 'a')).properties.value("reason"), text(QString(500, 'a')));
    EXPECT_EQ(npsSubmittedEvent(3, "  great \n").properties.value("reason"), text("great"));
}

TEST(TelemetryEvents, TheRemainingEvents) {
    EXPECT_EQ(setupDiagnosisReachedEvent("needs_homebrew", 2, 1, {"warp", "iterm"}).properties,
              (JSONObject{{"reason", text("needs_homebrew")},
                          {"fixable_count", integer(2)},
                          {"blocked_count", integer(1)},
                          {"terminal_count", integer(2)},
                          {"terminals", JSONValue::array({text("warp"), text("iterm")})}}));
    EXPECT_EQ(outcomeReportedEvent("verified", "worked"),
              (TelemetryEvent{"outcome_reported",
                              {{"engine_outcome", text("verified")}, {"self_report", text("worked")}}}));
    EXPECT_EQ(claudeOutcomeReportedEvent("verified", "worked").name, "claude_outcome_reported");
    EXPECT_EQ(setupVerifyFailedEvent("failed", 127).properties,
              (JSONObject{{"engine_outcome", text("failed")}, {"exit_code", integer(127)}}));
    EXPECT_EQ(chooserShownEvent("D1", 25).properties,
              (JSONObject{{"screen", text("D1")}, {"default_offered", integer(25)}}));
    EXPECT_EQ(
        auditOutboundClickedEvent("warp", QUrl("https://www.warp.dev/mac-terminal?a=b c")).properties,
        (JSONObject{{"tool", text("warp")}, {"url", text("https://www.warp.dev/mac-terminal?a=b%20c")}}));
    // Without a goal the key is there, holding null.
    EXPECT_EQ(nextStepSelectedEvent("course", "done", std::nullopt, "completion").properties,
              (JSONObject{{"next_step", text("course")},
                          {"outcome", text("done")},
                          {"goal", JSONValue::null()},
                          {"surface", text("completion")}}));
    EXPECT_EQ(
        nextStepSelectedEvent("course", "done", QString("learn"), "completion").properties.value("goal"),
        text("learn"));
}

TEST(TelemetryEvents, GuidedSetupVerificationExcerpt) {
    // Trimmed at both ends, masked, then cut to 200 user-perceived characters.
    const QString home = QDir::homePath();
    const struct {
        QString raw;
        QString excerpt;
    } rows[] = {
        {accented(200), accented(200)},
        {accented(201), accented(200)},
        {"\n \n\t" + accented(200) + "  \r\n\n", accented(200)},
        {home + "/" + QString(195, 'a'), "/Users/~/" + QString(191, 'a')},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw.left(40).toStdString());
        EXPECT_EQ(
            setupVerifyPassedEvent(row.raw, "ok"),
            (TelemetryEvent{"verify_passed",
                            {{"cli_version_excerpt", text(row.excerpt)}, {"engine_outcome", text("ok")}}}));
    }
}

TEST(TelemetryEvents, ReadinessChecksAndWarnings) {
    // Without a measured speed or an estimate: exactly three properties.
    NetworkReadinessResult unmeasured{NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 3};
    EXPECT_EQ(networkCheckEvent(unmeasured), (TelemetryEvent{"network_check",
                                                             {{"verdict", text("unreachable")},
                                                              {"endpoints_reachable", integer(0)},
                                                              {"endpoints_total", integer(3)}}}));
    NetworkReadinessResult measured{NetworkVerdict::slow, 12.35, 731, 2, 3};
    EXPECT_EQ(networkCheckEvent(measured).properties,
              (JSONObject{{"verdict", text("slow")},
                          {"endpoints_reachable", integer(2)},
                          {"endpoints_total", integer(3)},
                          {"down_mbps", JSONValue::floating(12.4)},
                          {"estimated_install_seconds", integer(731)}}));
    measured.downMbps = 12.34;
    EXPECT_EQ(networkCheckEvent(measured).properties.value("down_mbps"), JSONValue::floating(12.3));
    EXPECT_EQ(networkWarningActionEvent("continue", NetworkVerdict::slow),
              (TelemetryEvent{"network_warning_action",
                              {{"action", text("continue")}, {"verdict", text("slow")}}}));

    DiskReadinessResult disk{DiskVerdict::low, 1'499'999'999, 1'500'000'000, 10'000'000'000};
    EXPECT_EQ(diskSpaceCheckEvent(disk), (TelemetryEvent{"disk_space_check",
                                                         {{"verdict", text("low")},
                                                          {"worst_case_gb", integer(2)},
                                                          {"headroom_gb", integer(10)},
                                                          {"available_gb", integer(1)}}}));
    disk.availableBytes.reset();
    disk.verdict = DiskVerdict::unmeasured;
    disk.worstCaseBytes = 1'499'999'999;
    EXPECT_EQ(diskSpaceCheckEvent(disk).properties, (JSONObject{{"verdict", text("unmeasured")},
                                                                {"worst_case_gb", integer(1)},
                                                                {"headroom_gb", integer(10)}}));
    EXPECT_EQ(
        diskWarningActionEvent("stop", DiskVerdict::critical),
        (TelemetryEvent{"disk_warning_action", {{"action", text("stop")}, {"verdict", text("critical")}}}));
}

TEST(TelemetryEvents, RoundingIsHalfAwayFromZero) {
    EXPECT_DOUBLE_EQ(roundedToTenths(12.35), 12.4);
    EXPECT_DOUBLE_EQ(roundedToTenths(12.34), 12.3);
    EXPECT_DOUBLE_EQ(roundedToTenths(-0.25), -0.3);
    EXPECT_EQ(roundedGigabytes(1'499'999'999), 1);
    EXPECT_EQ(roundedGigabytes(1'500'000'000), 2);
    EXPECT_EQ(roundedGigabytes(499'999'999), 0);
    EXPECT_EQ(roundedGigabytes(-1'500'000'000), -2);
    EXPECT_EQ(roundedGigabytes(std::numeric_limits<qint64>::max()), 9'223'372'037);
}

TEST(TelemetryEvents, FeedbackCardFlagIsSetOncePerProcessAcrossThreads) {
    std::atomic<int> firsts{0};
    QList<QThread*> threads;
    for (int i = 0; i < 8; ++i)
        threads.append(QThread::create([&] {
            for (int j = 0; j < 100; ++j)
                if (!TelemetryService::markNPSShown()) ++firsts;
        }));
    for (QThread* thread : threads)
        thread->start();
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    EXPECT_EQ(firsts.load(), 1);
    EXPECT_TRUE(TelemetryService::markNPSShown());
}
