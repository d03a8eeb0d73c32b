#include "diagnosis/DiagnosisProfile.h"

#include "platform/JavaVersion.h"

#include <optional>

namespace qlan {
namespace {

std::optional<qint64> majorOf(const JDKInfo& jdk) {
    return JavaVersion::parseMajor(JavaVersion::wrap(jdk.version));
}

// The JDK of the greatest major version (an unparsable one counts as -1); the earliest wins ties.
const JDKInfo& newest(const QList<JDKInfo>& jdks) {
    qsizetype best = 0;
    qint64 bestMajor = majorOf(jdks.first()).value_or(-1);
    for (qsizetype i = 1; i < jdks.size(); ++i) {
        const qint64 major = majorOf(jdks.at(i)).value_or(-1);
        if (major > bestMajor) {
            best = i;
            bestMajor = major;
        }
    }
    return jdks.at(best);
}

} // namespace

Diagnosis JavaProfile::diagnose(const ProbeBundle& bundle) const {
    if (bundle.installedJDKs.isEmpty()) {
        if (bundle.jvmDirContents.isEmpty()) return Diagnosis::noJDK();
        return Diagnosis::unknownState(
            QStringLiteral("JavaVirtualMachines directory has entries (") +
            bundle.jvmDirContents.join(QStringLiteral(", ")) +
            QStringLiteral(") but /usr/libexec/java_home couldn't parse any JDKs — "
                           "possible malformed install."));
    }

    QList<JDKInfo> modern;
    for (const JDKInfo& jdk : bundle.installedJDKs) {
        const auto major = majorOf(jdk);
        if (major && *major >= Diagnosis::modernMinimumMajor) modern.append(jdk);
    }
    if (modern.isEmpty()) return Diagnosis::legacyOnly(newest(bundle.installedJDKs));

    // JAVA_HOME must name a modern JDK's home exactly as written: no normalisation of any kind.
    if (bundle.javaHomeInActiveShell) {
        for (const JDKInfo& jdk : modern)
            if (jdk.path == *bundle.javaHomeInActiveShell) return Diagnosis::modernHomeSet(jdk);
    }
    return Diagnosis::homeUnset(newest(modern));
}

Diagnosis InertDiagnosisProfile::diagnose(const ProbeBundle&) const {
    return Diagnosis::noErrors();
}

} // namespace qlan
