#pragma once
// A sandboxed Mac as the Java probes and the Java check see it: `java_home` knowing the given JDKs,
// and a stub login shell that answers the probe's JAVA_HOME question and the two questions of the
// check after a fix. The stubs can be rewritten between runs to play a Mac that a fix has changed.

#include "platform/JavaProbeModel.h"
#include "support/Sandbox.h"
#include "support/StubShell.h"

#include <QList>
#include <QString>

#include <optional>

namespace qlan::test {

inline JDKInfo jdkAt(const QString& version, const QString& folder) {
    return {version, QStringLiteral("Eclipse Adoptium"), QStringLiteral("arm64"),
            QStringLiteral("/Library/Java/JavaVirtualMachines/%1/Contents/Home").arg(folder)};
}

// What `/usr/libexec/java_home -V` prints for these JDKs, in this order (on standard error, as on a Mac).
inline QString javaHomeListing(const QList<JDKInfo>& jdks) {
    QString listing = QStringLiteral("Matching Java Virtual Machines (%1):\n").arg(jdks.size());
    for (const JDKInfo& jdk : jdks)
        listing += QStringLiteral("    %1 (%2) \"%3\" - \"OpenJDK %1\" %4\n")
                       .arg(jdk.version, jdk.architecture, jdk.vendor, jdk.path);
    return listing;
}

// The bash lines that answer as java_home does: with -V that listing, otherwise the first JDK's home on
// standard output (a Mac lists the newest first), or an error when there is none.
inline QString javaHomeScript(const QList<JDKInfo>& jdks) {
    QString script = QStringLiteral("if [ \"$1\" = -V ]; then\n/bin/cat >&2 <<'LISTING'\n") +
                     javaHomeListing(jdks) +
                     QStringLiteral("LISTING\nexit %1\nfi\n").arg(jdks.isEmpty() ? 1 : 0);
    if (jdks.isEmpty())
        return script +
               QStringLiteral("echo 'Unable to find any JVMs matching version \"(null)\".' >&2\nexit 1\n");
    QString home = jdks.first().path;
    home.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return script + QStringLiteral("echo '%1'\n").arg(home);
}

// A stub java_home that answers so after `sleepMs`.
inline void writeJavaHomeStub(Sandbox& mac, const QList<JDKInfo>& jdks, int sleepMs = 0) {
    mac.writeStub(QStringLiteral("/usr/libexec/java_home"),
                  StubSpec().withSleep(sleepMs).withScript(javaHomeScript(jdks)));
}

// What a fresh login shell says: JAVA_HOME (none: unset), and `java -version` with its exit status. The check
// after a fix waits while a file stands at `checkHeldWhile` (a path of the sandboxed Mac; none: it answers at
// once), so that a test sees what shows meanwhile before it lets the check end.
struct LoginShellAnswers {
    std::optional<QString> javaHome;
    QString javaVersionOutput;
    int javaVersionExitCode = 127;
    QString checkHeldWhile = {};
};

// `more` answers further command lines (a fix's own).
inline void writeLoginShell(Sandbox& mac, const LoginShellAnswers& answers,
                            const QList<ShellAnswer>& more = {}) {
    const QString home = answers.javaHome.value_or(QString());
    writeStubShell(
        mac,
        QList<ShellAnswer>{
            {QStringLiteral("echo __VRL_JAVA_HOME__:$JAVA_HOME"),
             QStringLiteral("__VRL_JAVA_HOME__:%1\n").arg(home)},
            {QStringLiteral("echo __VRL_VERIFY_JAVA_HOME__:$JAVA_HOME"),
             QStringLiteral("__VRL_VERIFY_JAVA_HOME__:%1\n").arg(home), 0, answers.checkHeldWhile},
            {QStringLiteral("java -version 2>&1"), answers.javaVersionOutput, answers.javaVersionExitCode},
        } + more);
}

inline QString openjdkVersionOutput(const QString& version) {
    return QStringLiteral("openjdk version \"%1\" 2025-09-16 LTS\nOpenJDK Runtime Environment Temurin\n")
        .arg(version);
}

} // namespace qlan::test
