#include "diagnosis/DiagnosisProfile.h"

#include <gtest/gtest.h>

using namespace qlan;

namespace {

JDKInfo jdk(const QString& version, const QString& path, const QString& vendor = "Eclipse Adoptium",
            const QString& arch = "arm64") {
    return {version, vendor, arch, path};
}

const QString kTemurin21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
const QString kTemurin25 = "/Library/Java/JavaVirtualMachines/temurin-25.jdk/Contents/Home";

} // namespace

TEST(JavaProfile, ClassifiesEveryCaseOfTheTable) {
    const JavaProfile profile;

    // Nothing at all: no JDK.
    EXPECT_EQ(profile.diagnose({}), Diagnosis::noJDK());

    // Folder entries that no probe identified: unknown with its reason.
    ProbeBundle malformed;
    malformed.jvmDirContents = {"temurin-21.jdk", ".DS_Store"};
    const Diagnosis unknown = profile.diagnose(malformed);
    EXPECT_EQ(unknown.kind, Diagnosis::Kind::unknown);
    EXPECT_EQ(unknown.reason,
              QString("JavaVirtualMachines directory has entries (temurin-21.jdk, .DS_Store) but "
                      "/usr/libexec/java_home couldn't parse any JDKs — possible malformed install."));
    EXPECT_EQ(unknown.title(), "Couldn't auto-diagnose");
    EXPECT_EQ(unknown.explanation(), unknown.reason);

    // Legacy only: the newest legacy JDK, by major version.
    ProbeBundle legacy;
    legacy.installedJDKs = {jdk("1.8.0_392", "/a/8"), jdk("11.0.2", "/a/11"), jdk("weird", "/a/x")};
    EXPECT_EQ(profile.diagnose(legacy), Diagnosis::legacyOnly(jdk("11.0.2", "/a/11")));

    // Modern without JAVA_HOME: the newest modern JDK; the earliest of equal majors wins.
    ProbeBundle unset;
    unset.installedJDKs = {jdk("17", "/a/17"), jdk("21", "/a/21"), jdk("21.0.3", "/a/21.0.3")};
    EXPECT_EQ(profile.diagnose(unset), Diagnosis::homeUnset(jdk("21", "/a/21")));

    // JAVA_HOME names the second modern JDK exactly.
    ProbeBundle set;
    set.installedJDKs = {jdk("25", kTemurin25), jdk("21.0.2", kTemurin21)};
    set.javaHomeInActiveShell = kTemurin21;
    EXPECT_EQ(profile.diagnose(set), Diagnosis::modernHomeSet(jdk("21.0.2", kTemurin21)));

    // The same folder written with a trailing slash does not match: JAVA_HOME counts as unset.
    set.javaHomeInActiveShell = kTemurin21 + "/";
    EXPECT_EQ(profile.diagnose(set), Diagnosis::homeUnset(jdk("25", kTemurin25)));

    // JAVA_HOME naming a legacy JDK while a modern one exists.
    ProbeBundle legacyHome;
    legacyHome.installedJDKs = {jdk("1.8.0_392", "/a/8"), jdk("21", "/a/21")};
    legacyHome.javaHomeInActiveShell = "/a/8";
    EXPECT_EQ(profile.diagnose(legacyHome), Diagnosis::homeUnset(jdk("21", "/a/21")));

    // `which java` is never consulted.
    ProbeBundle whichOnly;
    whichOnly.whichJava = "/usr/bin/java";
    EXPECT_EQ(profile.diagnose(whichOnly), Diagnosis::noJDK());

    // The inert profile finds nothing, whatever the bundle.
    const InertDiagnosisProfile inert;
    for (const ProbeBundle& bundle : {ProbeBundle{}, malformed, legacy, set})
        EXPECT_EQ(inert.diagnose(bundle), Diagnosis::noErrors());
}

TEST(Diagnosis, TitlesExplanationsAndCompletionSurfaces) {
    const Diagnosis none = Diagnosis::noJDK();
    EXPECT_EQ(none.title(), "Java is not installed");
    EXPECT_EQ(
        none.explanation(),
        "Java is not installed on this Mac. We'll install Eclipse Temurin (a free, well-maintained Java "
        "distribution) for you. Java 25 is the current LTS and a good default; if you work or study "
        "somewhere "
        "that uses a specific Java version, check with your team before choosing.");
    EXPECT_EQ(none.outcomeCategory(), CompletionSurface::prompt(BuildIntentSurface::postFix));

    // A JDK found by the folder scan has no vendor or architecture: the parentheses keep only ", ".
    const Diagnosis unset = Diagnosis::homeUnset(jdk("21.0.2", kTemurin21, "", ""));
    EXPECT_EQ(unset.title(), "JAVA_HOME isn't set");
    EXPECT_EQ(
        unset.explanation(),
        "Java 21.0.2 (, ) is installed at " + kTemurin21 +
            ", but JAVA_HOME isn't set in your shell. Many build tools (Maven, Gradle, some IDE plugins) "
            "depend on JAVA_HOME pointing at the Java installation.");
    EXPECT_EQ(Diagnosis::homeUnset(jdk("21.0.2", "/j", "Azul", "x86_64")).explanation().left(33),
              "Java 21.0.2 (Azul, x86_64) is ins");
    EXPECT_EQ(unset.outcomeCategory(), CompletionSurface::prompt(BuildIntentSurface::postFix));

    const Diagnosis legacy = Diagnosis::legacyOnly(jdk("11.0.2", "/a/11"));
    EXPECT_EQ(legacy.title(), "Java is installed, but it's too old");
    EXPECT_EQ(
        legacy.explanation(),
        "We found Java 11 on your Mac (at `/a/11`). Most modern Java software requires Java 21 or newer. "
        "We recommend Java 25 if you have no specific requirement; if you work or study somewhere that uses "
        "a specific Java version, check with your team before choosing.");
    EXPECT_EQ(legacy.outcomeCategory(), CompletionSurface::prompt(BuildIntentSurface::postFix));
    // A version the parser rejects is written as stored.
    EXPECT_TRUE(
        Diagnosis::legacyOnly(jdk("weird", "/a/x")).explanation().startsWith("We found Java weird on"));

    const Diagnosis modern = Diagnosis::modernHomeSet(jdk("21.0.2", kTemurin21));
    EXPECT_EQ(modern.title(), "Java is set up correctly");
    EXPECT_EQ(modern.explanation(),
              "Java 21 is installed at " + kTemurin21 + ", and JAVA_HOME is pointing at it. Nothing to fix.");
    EXPECT_EQ(modern.outcomeCategory(), CompletionSurface::prompt(BuildIntentSurface::modernHomeSet));

    const Diagnosis fine = Diagnosis::noErrors();
    EXPECT_EQ(fine.title(), "Java is installed");
    EXPECT_EQ(fine.explanation(),
              "Java is installed and JAVA_HOME is set. Let us know if we should do more.");
    EXPECT_EQ(fine.outcomeCategory(), CompletionSurface::prompt(BuildIntentSurface::noErrorsFound));

    EXPECT_EQ(Diagnosis::unknownState("why").outcomeCategory(), CompletionSurface::excluded());
}

TEST(Diagnosis, EqualityLooksAtTheCaseAndItsOwnPayloadOnly) {
    EXPECT_NE(Diagnosis::homeUnset(jdk("21", "/a")), Diagnosis::modernHomeSet(jdk("21", "/a")));
    EXPECT_NE(Diagnosis::homeUnset(jdk("21", "/a")), Diagnosis::homeUnset(jdk("21", "/a", "Azul")));
    EXPECT_NE(Diagnosis::unknownState("a"), Diagnosis::unknownState("b"));
    Diagnosis stray = Diagnosis::noJDK();
    stray.reason = "left over";
    stray.detectedJDK = jdk("8", "/x");
    EXPECT_EQ(stray, Diagnosis::noJDK());
}
