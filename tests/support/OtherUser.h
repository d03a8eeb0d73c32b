#pragma once
// "Another user" for tests in which permissions must count: we run as the super-user, who passes them
// all, so the part under test runs as a test of this program in a child that is `nobody` (uid and gid
// 65534, no other groups), through setpriv(1). A test of this program run in a child, as that user or as
// this one.

#include <QCoreApplication>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>

#include <optional>
#include <unistd.h>

namespace qlan::test {

inline constexpr uid_t nobody = 65534;

// Why no child can be another user here; none when one can.
inline std::optional<QString> whyNoOtherUser() {
#if defined(__linux__)
    if (::geteuid() != 0) return QStringLiteral("only the super-user can start a child as another user");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return QStringLiteral("setpriv(1) is not installed");
    return std::nullopt;
#else
    return QStringLiteral("another user is played only on Linux, with setpriv(1)");
#endif
}

// The leading words that run a command as `nobody`.
inline QStringList asNobody() {
    return {QStandardPaths::findExecutable(QStringLiteral("setpriv")), QStringLiteral("--reuid=65534"),
            QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
}

struct ChildRun {
    int exitCode = -1;
    QByteArray output; // standard output and error
};

// Runs the test `test` of this program in a child program, with `environment` added to this one's,
// behind the leading words `leading` of a command (none: the program itself).
inline ChildRun runTestInChild(const QString& test, const QMap<QString, QString>& environment,
                               QStringList leading = {}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QStringList command = leading << QCoreApplication::applicationFilePath() << "--gtest_filter=" + test;
    child.start(command.takeFirst(), command);
    if (!child.waitForFinished(60000)) child.kill();
    child.waitForFinished();
    return {child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1, child.readAll()};
}

// Runs the test `test` of this program as `nobody`, with `environment` added to this one's.
inline ChildRun runTestAsNobody(const QString& test, const QMap<QString, QString>& environment) {
    return runTestInChild(test, environment, asNobody());
}

} // namespace qlan::test
