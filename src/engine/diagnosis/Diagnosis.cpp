#include "diagnosis/Diagnosis.h"

#include "platform/JavaVersion.h"
#include "platform/MarkdownText.h"

namespace qlan {
namespace {

// The major version in decimal, or the stored version itself when it does not parse.
QString majorText(const JDKInfo& jdk) {
    if (const auto major = JavaVersion::parseMajor(JavaVersion::wrap(jdk.version)))
        return QString::number(*major);
    return markdownEscaped(jdk.version);
}

} // namespace

QString Diagnosis::title() const {
    switch (kind) {
    case Kind::D1_NoJDK:
        return QStringLiteral("Java is not installed");
    case Kind::D2_HomeUnset:
        return QStringLiteral("JAVA_HOME isn't set");
    case Kind::D3_LegacyOnly:
        return QStringLiteral("Java is installed, but it's too old");
    case Kind::D4_ModernHomeSet:
        return QStringLiteral("Java is set up correctly");
    case Kind::noErrorsFound:
        return QStringLiteral("Java is installed");
    case Kind::unknown:
        return QStringLiteral("Couldn't auto-diagnose");
    }
    return {};
}

// The explanation is shown as Markdown: every value from the machine in it is escaped.
QString Diagnosis::explanation() const {
    const QString recommended = QString::number(recommendedMajor);
    const QString minimum = QString::number(modernMinimumMajor);
    switch (kind) {
    case Kind::D1_NoJDK:
        return QStringLiteral("Java is not installed on this Mac. We'll install Eclipse Temurin (a free, "
                              "well-maintained Java distribution) for you. Java ") +
               recommended +
               QStringLiteral(
                   " is the current LTS and a good default; if you work or study somewhere that uses "
                   "a specific Java version, check with your team before choosing.");
    case Kind::D2_HomeUnset:
        return QStringLiteral("Java ") + markdownEscaped(detectedJDK.version) + QStringLiteral(" (") +
               markdownEscaped(detectedJDK.vendor) + QStringLiteral(", ") +
               markdownEscaped(detectedJDK.architecture) + QStringLiteral(") is installed at ") +
               markdownEscaped(detectedJDK.path) +
               QStringLiteral(
                   ", but JAVA_HOME isn't set in your shell. Many build tools (Maven, Gradle, some "
                   "IDE plugins) depend on JAVA_HOME pointing at the Java installation.");
    case Kind::D3_LegacyOnly:
        return QStringLiteral("We found Java ") + majorText(detectedJDK) +
               QStringLiteral(" on your Mac (at ") + markdownCodeSpan(detectedJDK.path) +
               QStringLiteral("). Most modern Java software requires Java ") + minimum +
               QStringLiteral(" or newer. We recommend Java ") + recommended +
               QStringLiteral(
                   " if you have no specific requirement; if you work or study somewhere that uses a "
                   "specific Java version, check with your team before choosing.");
    case Kind::D4_ModernHomeSet:
        return QStringLiteral("Java ") + majorText(detectedJDK) + QStringLiteral(" is installed at ") +
               markdownEscaped(detectedJDK.path) +
               QStringLiteral(", and JAVA_HOME is pointing at it. Nothing to fix.");
    case Kind::noErrorsFound:
        return QStringLiteral("Java is installed and JAVA_HOME is set. Let us know if we should do more.");
    case Kind::unknown:
        return markdownEscaped(reason);
    }
    return {};
}

CompletionSurface Diagnosis::outcomeCategory() const {
    switch (kind) {
    case Kind::D1_NoJDK:
    case Kind::D2_HomeUnset:
    case Kind::D3_LegacyOnly:
        return CompletionSurface::prompt(BuildIntentSurface::postFix);
    case Kind::D4_ModernHomeSet:
        return CompletionSurface::prompt(BuildIntentSurface::modernHomeSet);
    case Kind::noErrorsFound:
        return CompletionSurface::prompt(BuildIntentSurface::noErrorsFound);
    case Kind::unknown:
        return CompletionSurface::excluded();
    }
    return CompletionSurface::excluded();
}

} // namespace qlan
