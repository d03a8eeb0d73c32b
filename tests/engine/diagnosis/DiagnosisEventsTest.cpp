#include "diagnosis/DiagnosisEvents.h"
#include "telemetry/EventValues.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qlan;
using eventvalues::integer;
using eventvalues::text;

namespace {

// A letter with a combining accent: one user-perceived character of two code units.
const QString accented = QStringLiteral("e\u0301");

JDKInfo jdk(const QString& version, const QString& path, const QString& vendor = "Eclipse Adoptium") {
    return {version, vendor, "arm64", path};
}

} // namespace

TEST(DiagnosisEvents, JavaDiagnosisReached) {
    const QString home = QDir::homePath();
    SystemProfile profile;
    profile.javaState.installedJDKs = {
        jdk("21.0.2", home + "/Library/Java/JavaVirtualMachines/x/Contents/Home"),
        jdk("1.8.0_392", "/Library/Java/JavaVirtualMachines/y/Contents/Home", ""),
        jdk("weird", "/opt/jdk"),
    };
    profile.javaState.javaHomeInActiveShell = home + "/jdk";
    const TelemetryEvent event =
        javaDiagnosisReachedEvent(Diagnosis::homeUnset(profile.javaState.installedJDKs.first()), profile);
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
    const JSONObject none = javaDiagnosisReachedEvent(Diagnosis::noJDK(), empty).properties;
    EXPECT_EQ(none.value("java_major_version"), integer(0));
    EXPECT_EQ(none.value("discovered_jdks"), JSONValue::array({}));
    EXPECT_EQ(none.value("current_java_home"), JSONValue::null());
    EXPECT_EQ(none.value("reason"), text("no JDK installed"));

    // A first JDK whose version does not parse also gives 0.
    SystemProfile unparsable;
    unparsable.javaState.installedJDKs = {jdk("weird", "/opt/jdk"), jdk("25", "/opt/25")};
    EXPECT_EQ(
        javaDiagnosisReachedEvent(Diagnosis::noErrors(), unparsable).properties.value("java_major_version"),
        integer(0));

    // Codes and reasons of every case.
    using Code = DiagnosisCode;
    EXPECT_EQ(diagnosisCode(Diagnosis::legacyOnly({})), (Code{"D3_LegacyOnly", "only legacy JDK installed"}));
    EXPECT_EQ(diagnosisCode(Diagnosis::modernHomeSet({})),
              (Code{"D4_ModernHomeSet", "modern JDK installed, JAVA_HOME set"}));
    EXPECT_EQ(diagnosisCode(Diagnosis::noErrors()),
              (Code{"no_errors_found", "JDK installed, JAVA_HOME set"}));
    // An unknown reason is cut at 120 characters, counted as the user sees them.
    EXPECT_EQ(diagnosisCode(Diagnosis::unknownState(accented.repeated(120))).reason, accented.repeated(120));
    EXPECT_EQ(diagnosisCode(Diagnosis::unknownState(accented.repeated(121))).reason, accented.repeated(120));
    EXPECT_EQ(diagnosisCode(Diagnosis::unknownState("x")).code, "unknown");
}

TEST(DiagnosisEvents, RemediationMethodsAndEvents) {
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
        EXPECT_EQ(remediationMethod(remediation), method) << remediation.id().toStdString();

    EXPECT_EQ(remediationAppliedEvent(Remediation::installViaPKG(25)),
              (TelemetryEvent{"remediation_applied",
                              {{"remediation_id", text("pkg:25")}, {"method", text("pkg")}}}));
    EXPECT_EQ(remediationCompletedEvent(Remediation::installHomebrew(), 0),
              (TelemetryEvent{"remediation_completed",
                              {{"remediation_id", text("homebrew")}, {"exit_code", integer(0)}}}));

    // A failure: the id and the reason masked, the reason cut at 160 characters.
    const QString home = QDir::homePath();
    const auto failed = remediationFailedEvent(Remediation::writeJavaHomeToZprofile(home + "/jdk"), -1,
                                               "couldn't write " + home + "/.zprofile" + QString(200, 'x'));
    EXPECT_EQ(failed.name, "remediation_failed");
    EXPECT_EQ(failed.properties.value("remediation_id"), text("zprofile:/Users/~/jdk"));
    EXPECT_EQ(failed.properties.value("exit_code"), integer(-1));
    const QString reason = failed.properties.value("reason").toString();
    EXPECT_TRUE(reason.startsWith("couldn't write /Users/~/.zprofile")) << reason.toStdString();
    EXPECT_EQ(reason.size(), 160);
    EXPECT_EQ(remediationFailedEvent(Remediation::installHomebrew(), 1, accented.repeated(161))
                  .properties.value("reason"),
              text(accented.repeated(160)));
    EXPECT_EQ(remediationFailedEvent(Remediation::installHomebrew(), 1, accented.repeated(160))
                  .properties.value("reason"),
              text(accented.repeated(160)));
}
