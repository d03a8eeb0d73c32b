#include "appshell/NavigationValues.h"
#include "audit/AuditStageOutcome.h"
#include "catalog/SetupRemediation.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/Remediation.h"
#include "telemetry/TelemetryService.h"

#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

using namespace qlan;

namespace {

JSONValue text(const QString& value) {
    return JSONValue::string(value);
}
JSONValue integer(qint64 value) {
    return JSONValue::integer(value);
}

// A text of `count` user-perceived characters, each a letter with a combining accent (two code units).
QString accented(int count) {
    return QString("e\u0301").repeated(count);
}

JDKInfo jdk(const QString& version, const QString& path, const QString& vendor = "Eclipse Adoptium") {
    return {version, vendor, "arm64", path};
}

} // namespace

TEST(TelemetryEvents, AppLaunchedMapsTheProfile) {
    SystemProfile profile;
    profile.architecture = Architecture::unknown;
    profile.shell = Shell::other("tcsh");
    profile.macosVersion = {14, 5, 1};
    profile.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    profile.miseExecutable = "/opt/homebrew/bin/mise";
    const TelemetryEvent event = TelemetryService::appLaunchedEvent(profile);
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
    EXPECT_EQ(TelemetryService::appLaunchedEvent(profile).properties.value("arch"), text("arm64"));
    EXPECT_EQ(TelemetryService::appLaunchedEvent(profile).properties.value("shell"), text("zsh"));
    EXPECT_EQ(TelemetryService::architectureText(Architecture::intel), "x86_64");
    EXPECT_EQ(TelemetryService::shellText(Shell::bash()), "bash");
    EXPECT_EQ(TelemetryService::shellText(Shell::fish()), "fish");

    // Without a profile: the same name, no properties.
    EXPECT_EQ(TelemetryService::appLaunchedEvent(std::optional<SystemProfile>{}),
              (TelemetryEvent{"app_launched", {}}));
}

TEST(TelemetryEvents, JavaDiagnosisReached) {
    const QString home = QDir::homePath();
    SystemProfile profile;
    profile.javaState.installedJDKs = {
        jdk("21.0.2", home + "/Library/Java/JavaVirtualMachines/x/Contents/Home"),
        jdk("1.8.0_392", "/Library/Java/JavaVirtualMachines/y/Contents/Home", ""),
        jdk("weird", "/opt/jdk"),
    };
    profile.javaState.javaHomeInActiveShell = home + "/jdk";
    const TelemetryEvent event = TelemetryService::javaDiagnosisReachedEvent(
        Diagnosis::homeUnset(profile.javaState.installedJDKs.first()), profile);
    EXPECT_EQ(event.name, "diagnosis_reached");
    const JSONObject expected = {
        {"diagnosis", text("D2_HomeUnset")},
        {"reason", text("JDK installed, JAVA_HOME unset")},
        {"java_major_version", integer(21)},
        {"discovered_jdks",
         JSONValue::array({
             JSONValue::object({{"path", text("/Users/~/Library/Java/JavaVirtualMachines/x/Contents/Home")},
                                {"major_version", integer(21)},
                                {"vendor", text("Eclipse Adoptium")}}),
             JSONValue::object({{"path", text("/Library/Java/JavaVirtualMachines/y/Contents/Home")},
                                {"major_version", integer(8)},
                                {"vendor", JSONValue::null()}}),
             JSONValue::object({{"path", text("/opt/jdk")},
                                {"major_version", JSONValue::null()},
                                {"vendor", text("Eclipse Adoptium")}}),
         })},
        {"current_java_home", text("/Users/~/jdk")},
    };
    EXPECT_EQ(event.properties, expected);

    // No JDK: major 0, an empty list, and no JAVA_HOME gives null (so does an empty one).
    SystemProfile empty;
    empty.javaState.javaHomeInActiveShell = "";
    const JSONObject none = TelemetryService::javaDiagnosisReachedEvent(Diagnosis::noJDK(), empty).properties;
    EXPECT_EQ(none.value("java_major_version"), integer(0));
    EXPECT_EQ(none.value("discovered_jdks"), JSONValue::array({}));
    EXPECT_EQ(none.value("current_java_home"), JSONValue::null());
    EXPECT_EQ(none.value("reason"), text("no JDK installed"));

    // A first JDK whose version does not parse also gives 0.
    SystemProfile unparsable;
    unparsable.javaState.installedJDKs = {jdk("weird", "/opt/jdk"), jdk("25", "/opt/25")};
    EXPECT_EQ(TelemetryService::javaDiagnosisReachedEvent(Diagnosis::noErrors(), unparsable)
                  .properties.value("java_major_version"),
              integer(0));

    // Codes and reasons of every case.
    using Code = TelemetryService::DiagnosisCode;
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::legacyOnly({})),
              (Code{"D3_LegacyOnly", "only legacy JDK installed"}));
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::modernHomeSet({})),
              (Code{"D4_ModernHomeSet", "modern JDK installed, JAVA_HOME set"}));
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::noErrors()),
              (Code{"no_errors_found", "JDK installed, JAVA_HOME set"}));
    // An unknown reason is cut at 120 characters, counted as the user sees them.
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::unknownState(accented(120))).reason, accented(120));
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::unknownState(accented(121))).reason, accented(120));
    EXPECT_EQ(TelemetryService::diagnosisCode(Diagnosis::unknownState("x")).code, "unknown");
}

TEST(TelemetryEvents, HomeMaskingInEveryForm) {
    const auto mask = [](const QString& value) {
        return TelemetryService::homeMasked(value, "alice", "/home/alice");
    };
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
    EXPECT_EQ(TelemetryService::homeMasked("/srv/u/alice/x", "", "/srv/u/alice/"), "/Users/~/x");
    EXPECT_EQ(TelemetryService::homeMasked("/Users/alice/x", "", "/"), "/Users/alice/x");
    // Names with characters that mean something in a pattern are matched literally.
    EXPECT_EQ(TelemetryService::homeMasked("/Users/a.b/x /Users/aXb/x", "a.b", ""),
              "/Users/~/x /Users/aXb/x");

    // The convenience form uses this machine's user and home.
    EXPECT_EQ(TelemetryService::homeMasked(QDir::homePath() + "/projects"), "/Users/~/projects");
    EXPECT_EQ(TelemetryService::homeMasked(QDir::homePath()), "/Users/~");
}

TEST(TelemetryEvents, FailuresVerificationAndFeedbackTexts) {
    const QString home = QDir::homePath();
    const auto failed =
        TelemetryService::remediationFailedEvent(Remediation::writeJavaHomeToZprofile(home + "/jdk"), -1,
                                                 "couldn't write " + home + "/.zprofile" + QString(200, 'x'));
    EXPECT_EQ(failed.name, "remediation_failed");
    EXPECT_EQ(failed.properties.value("remediation_id"), text("zprofile:/Users/~/jdk"));
    EXPECT_EQ(failed.properties.value("exit_code"), integer(-1));
    const QString reason = failed.properties.value("reason").toString();
    EXPECT_TRUE(reason.startsWith("couldn't write /Users/~/.zprofile")) << reason.toStdString();
    EXPECT_EQ(reason.size(), 160);
    EXPECT_EQ(TelemetryService::remediationFailedEvent(Remediation::installHomebrew(), 1, accented(161))
                  .properties.value("reason"),
              text(accented(160)));
    EXPECT_EQ(TelemetryService::remediationFailedEvent(Remediation::installHomebrew(), 1, accented(160))
                  .properties.value("reason"),
              text(accented(160)));

    // The version excerpt: the line holding `version "`, else the first non-empty line.
    const QString output = "\n\nopenjdk version \"21.0.2\" 2024-01-16\r\nOpenJDK Runtime Environment\n";
    EXPECT_EQ(TelemetryService::javaVersionExcerpt(output), "openjdk version \"21.0.2\" 2024-01-16");
    EXPECT_EQ(TelemetryService::javaVersionExcerpt("\u2028first\u2029second"), "first");
    EXPECT_EQ(TelemetryService::javaVersionExcerpt(""), "");
    EXPECT_EQ(TelemetryService::javaVersionExcerpt("version \"1\" " + accented(300)).size(), 2 * 200 - 12);

    EXPECT_EQ(TelemetryService::verifyPassedEvent(output).properties,
              (JSONObject{{"java_version_excerpt", text("openjdk version \"21.0.2\" 2024-01-16")},
                          {"java_major_version", integer(21)}}));
    EXPECT_EQ(TelemetryService::verifyPassedEvent("command not found").properties.value("java_major_version"),
              JSONValue::null());
    const auto legacy =
        TelemetryService::verifyPassedWithLegacyEvent("java version \"1.8.0_392\"", home + "/jdk8");
    EXPECT_EQ(legacy.name, "verify_passed_with_legacy");
    EXPECT_EQ(legacy.properties, (JSONObject{{"java_version_excerpt", text("java version \"1.8.0_392\"")},
                                             {"java_major_version", integer(8)},
                                             {"chosen_path", text("/Users/~/jdk8")}}));
    EXPECT_EQ(TelemetryService::verifyFailedEvent("boom", 2).properties,
              (JSONObject{{"exit_code", integer(2)}, {"java_version_excerpt", text("boom")}}));

    // Feedback: trimmed, null when nothing is left, cut at 500.
    EXPECT_EQ(TelemetryService::npsSubmittedEvent(9, " \n\t \r\n").properties.value("reason"),
              JSONValue::null());
    EXPECT_EQ(TelemetryService::npsSubmittedEvent(9, std::nullopt).properties,
              (JSONObject{{"score", integer(9)}, {"reason", JSONValue::null()}}));
    EXPECT_EQ(TelemetryService::npsSubmittedEvent(3, QString(600, 'a')).properties.value("reason"),
              text(QString(500, 'a')));
    EXPECT_EQ(TelemetryService::npsSubmittedEvent(3, "  great \n").properties.value("reason"), text("great"));
}

TEST(TelemetryEvents, RemediationMethodsAndTheRemainingEvents) {
    const QList<std::pair<Remediation, QString>> methods = {
        {Remediation::installTemurinViaBrew("temurin@25"), "brew"},
        {Remediation::installViaSDKMAN("25-tem"), "sdkman"},
        {Remediation::installViaMise("temurin-25"), "mise"},
        {Remediation::installViaPKG(25), "pkg"},
        {Remediation::installViaPKGThenJEnv(25), "pkg+jenv"},
        {Remediation::writeJavaHomeToZprofile("/j"), "zprofile_write"},
        {Remediation::setJavaHomeViaSDKMAN("25-tem"), "sdkman"},
        {Remediation::setJavaHomeViaMise("temurin-25"), "mise"},
        {Remediation::setJavaHomeViaJenv("/j", 21), "jenv"},
        {Remediation::keepCurrentLegacyJava("/j"), "zprofile_write_legacy"},
        {Remediation::installHomebrewThenTemurin("temurin@25"), "homebrew+brew"},
        {Remediation::installWarpViaBrew("warp"), "brew"},
        {Remediation::installHomebrewThenWarp("warp"), "homebrew+brew"},
        {Remediation::installHomebrew(), "homebrew"},
    };
    for (const auto& [remediation, method] : methods)
        EXPECT_EQ(TelemetryService::remediationMethod(remediation), method) << remediation.id().toStdString();

    EXPECT_EQ(TelemetryService::remediationAppliedEvent(Remediation::installViaPKG(25)),
              (TelemetryEvent{"remediation_applied",
                              {{"remediation_id", text("pkg:25")}, {"method", text("pkg")}}}));
    EXPECT_EQ(TelemetryService::remediationCompletedEvent(Remediation::installHomebrew(), 0),
              (TelemetryEvent{"remediation_completed",
                              {{"remediation_id", text("homebrew")}, {"exit_code", integer(0)}}}));

    SystemProfile profile;
    profile.terminals.warp = true;
    profile.terminals.iterm = true;
    profile.aiTooling.cursor = true;
    const auto audit = TelemetryService::auditReachedEvent(profile, AuditEntry::nextStepBuildSoftware);
    EXPECT_EQ(audit.name, "audit_reached");
    EXPECT_EQ(audit.properties,
              (JSONObject{{"ai_tool_count", integer(profile.aiTooling.installedIDs().size())},
                          {"terminal_count", integer(2)},
                          {"ai_tools", JSONValue::array({text(profile.aiTooling.installedIDs().value(0))})},
                          {"terminals", JSONValue::array({text(profile.terminals.installedIDs().value(0)),
                                                          text(profile.terminals.installedIDs().value(1))})},
                          {"entry", text("next_step_build_software")}}));

    EXPECT_EQ(
        TelemetryService::auditStageOutcomeEvent("terminal", AuditStageOutcome::skippedMissingBlocked),
        (TelemetryEvent{"audit_stage_outcome",
                        {{"stage_id", text("terminal")}, {"outcome", text("skipped_missing_blocked")}}}));
    EXPECT_EQ(toText(AuditStageOutcome::rendered), "rendered");
    EXPECT_EQ(toText(AuditStageOutcome::skippedAlreadyOk), "skipped_already_ok");
    EXPECT_EQ(fromText<AuditStageOutcome>("skipped_already_ok"), AuditStageOutcome::skippedAlreadyOk);
    EXPECT_FALSE(fromText<AuditStageOutcome>("Rendered").has_value());

    EXPECT_EQ(
        TelemetryService::setupDiagnosisReachedEvent("needs_homebrew", 2, 1, {"warp", "iterm"}).properties,
        (JSONObject{{"reason", text("needs_homebrew")},
                    {"fixable_count", integer(2)},
                    {"blocked_count", integer(1)},
                    {"terminal_count", integer(2)},
                    {"terminals", JSONValue::array({text("warp"), text("iterm")})}}));
    EXPECT_EQ(TelemetryService::outcomeReportedEvent("verified", "worked"),
              (TelemetryEvent{"outcome_reported",
                              {{"engine_outcome", text("verified")}, {"self_report", text("worked")}}}));
    EXPECT_EQ(TelemetryService::claudeOutcomeReportedEvent("verified", "worked").name,
              "claude_outcome_reported");
    EXPECT_EQ(TelemetryService::setupVerifyFailedEvent("failed", 127).properties,
              (JSONObject{{"engine_outcome", text("failed")}, {"exit_code", integer(127)}}));
    EXPECT_EQ(TelemetryService::chooserShownEvent("D1", 25).properties,
              (JSONObject{{"screen", text("D1")}, {"default_offered", integer(25)}}));
    EXPECT_EQ(TelemetryService::buildIntentPromptShownEvent(BuildIntentSurface::modernHomeSet),
              (TelemetryEvent{"build_intent_prompt_shown", {{"surface", text("modern_home_set")}}}));
    EXPECT_EQ(TelemetryService::buildIntentOptedInEvent(BuildIntentSurface::postFix),
              (TelemetryEvent{"build_intent_opted_in", {{"surface", text("post_fix")}}}));
    EXPECT_EQ(
        TelemetryService::auditOutboundClickedEvent("warp", QUrl("https://www.warp.dev/mac-terminal?a=b c"))
            .properties,
        (JSONObject{{"tool", text("warp")}, {"url", text("https://www.warp.dev/mac-terminal?a=b%20c")}}));
    // Without a goal the key is there, holding null.
    EXPECT_EQ(
        TelemetryService::nextStepSelectedEvent("course", "done", std::nullopt, "completion").properties,
        (JSONObject{{"next_step", text("course")},
                    {"outcome", text("done")},
                    {"goal", JSONValue::null()},
                    {"surface", text("completion")}}));
    EXPECT_EQ(TelemetryService::nextStepSelectedEvent("course", "done", QString("learn"), "completion")
                  .properties.value("goal"),
              text("learn"));
}

TEST(TelemetryEvents, GuidedSetupRemediationEvents) {
    const QString home = QDir::homePath();
    const SetupRemediation repair = SetupRemediation::repairPath(home + "/.local/bin");
    EXPECT_TRUE(repair.id().contains(home)) << repair.id().toStdString();
    const QString maskedID = TelemetryService::homeMasked(repair.id());
    EXPECT_FALSE(maskedID.contains(home));

    EXPECT_EQ(
        TelemetryService::setupRemediationAppliedEvent(repair),
        (TelemetryEvent{"remediation_applied",
                        {{"remediation_id", text(maskedID)}, {"method", text(repair.telemetryMethod())}}}));
    EXPECT_EQ(TelemetryService::setupRemediationCompletedEvent(SetupRemediation::installHomebrew(), 0),
              (TelemetryEvent{"remediation_completed",
                              {{"remediation_id", text(SetupRemediation::installHomebrew().id())},
                               {"exit_code", integer(0)}}}));
    const auto failed = TelemetryService::setupRemediationFailedEvent(SetupRemediation::installWarp(), -1,
                                                                      home + " " + accented(170));
    EXPECT_EQ(failed.name, "remediation_failed");
    EXPECT_EQ(failed.properties.value("exit_code"), integer(-1));
    EXPECT_EQ(failed.properties.value("reason"),
              text(TelemetryService::cutToCharacters("/Users/~ " + accented(170), 160)));
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
            TelemetryService::setupVerifyPassedEvent(row.raw, "ok"),
            (TelemetryEvent{"verify_passed",
                            {{"cli_version_excerpt", text(row.excerpt)}, {"engine_outcome", text("ok")}}}));
    }
}

TEST(TelemetryEvents, ReadinessChecksAndWarnings) {
    // Without a measured speed or an estimate: exactly three properties.
    NetworkReadinessResult unmeasured{NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 3};
    EXPECT_EQ(TelemetryService::networkCheckEvent(unmeasured),
              (TelemetryEvent{"network_check",
                              {{"verdict", text("unreachable")},
                               {"endpoints_reachable", integer(0)},
                               {"endpoints_total", integer(3)}}}));
    NetworkReadinessResult measured{NetworkVerdict::slow, 12.35, 731, 2, 3};
    EXPECT_EQ(TelemetryService::networkCheckEvent(measured).properties,
              (JSONObject{{"verdict", text("slow")},
                          {"endpoints_reachable", integer(2)},
                          {"endpoints_total", integer(3)},
                          {"down_mbps", JSONValue::floating(12.4)},
                          {"estimated_install_seconds", integer(731)}}));
    measured.downMbps = 12.34;
    EXPECT_EQ(TelemetryService::networkCheckEvent(measured).properties.value("down_mbps"),
              JSONValue::floating(12.3));
    EXPECT_EQ(TelemetryService::networkWarningActionEvent("continue", NetworkVerdict::slow),
              (TelemetryEvent{"network_warning_action",
                              {{"action", text("continue")}, {"verdict", text("slow")}}}));

    DiskReadinessResult disk{DiskVerdict::low, 1'499'999'999, 1'500'000'000, 10'000'000'000};
    EXPECT_EQ(TelemetryService::diskSpaceCheckEvent(disk), (TelemetryEvent{"disk_space_check",
                                                                           {{"verdict", text("low")},
                                                                            {"worst_case_gb", integer(2)},
                                                                            {"headroom_gb", integer(10)},
                                                                            {"available_gb", integer(1)}}}));
    disk.availableBytes.reset();
    disk.verdict = DiskVerdict::unmeasured;
    disk.worstCaseBytes = 1'499'999'999;
    EXPECT_EQ(TelemetryService::diskSpaceCheckEvent(disk).properties,
              (JSONObject{{"verdict", text("unmeasured")},
                          {"worst_case_gb", integer(1)},
                          {"headroom_gb", integer(10)}}));
    EXPECT_EQ(
        TelemetryService::diskWarningActionEvent("stop", DiskVerdict::critical),
        (TelemetryEvent{"disk_warning_action", {{"action", text("stop")}, {"verdict", text("critical")}}}));
}

TEST(TelemetryEvents, RoundingIsHalfAwayFromZero) {
    EXPECT_DOUBLE_EQ(TelemetryService::roundedToTenths(12.35), 12.4);
    EXPECT_DOUBLE_EQ(TelemetryService::roundedToTenths(12.34), 12.3);
    EXPECT_DOUBLE_EQ(TelemetryService::roundedToTenths(-0.25), -0.3);
    EXPECT_EQ(TelemetryService::roundedGigabytes(1'499'999'999), 1);
    EXPECT_EQ(TelemetryService::roundedGigabytes(1'500'000'000), 2);
    EXPECT_EQ(TelemetryService::roundedGigabytes(499'999'999), 0);
    EXPECT_EQ(TelemetryService::roundedGigabytes(-1'500'000'000), -2);
    EXPECT_EQ(TelemetryService::roundedGigabytes(std::numeric_limits<qint64>::max()), 9'223'372'037);
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
