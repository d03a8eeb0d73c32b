#pragma once
// One test of this program run as a child program (as another user, in namespaces of its own, ...), for
// what a test may not do to the test program itself. The child test skips unless its caller's
// environment says it is the child.

#include <QByteArray>
#include <QCoreApplication>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "support/Wait.h"

namespace qlan::test {

struct ChildRun {
    int exitCode = -1;
    QByteArray output; // standard output and error
};

// Runs `prefix` (a program and its first arguments) with this program and `--gtest_filter=<test>`
// after it, with `environment` added to this one's.
inline ChildRun runTestUnder(QStringList prefix, const QString& test,
                             const QMap<QString, QString>& environment) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    prefix << QCoreApplication::applicationFilePath() << "--gtest_filter=" + test;
    child.start(prefix.takeFirst(), prefix);
    if (!child.waitForFinished(patienceMs)) child.kill();
    child.waitForFinished();
    return {child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1, child.readAll()};
}

} // namespace qlan::test
