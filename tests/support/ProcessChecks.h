#pragma once
// Whether a process of a test is still around, read from the kernel.

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/types.h>

namespace qlan::test {

// Reaped by us (a zombie would still answer kill(pid, 0)).
inline bool reaped(pid_t pid) {
    return ::kill(pid, 0) == -1 && errno == ESRCH;
}

// Dead: gone, or a zombie waiting for a parent that is not us (an orphan of a killed shell).
inline bool dead(pid_t pid) {
    if (reaped(pid)) return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray fields = stat.readAll();
    const qsizetype end = fields.lastIndexOf(')');
    return end > 0 && fields.size() > end + 2 && fields[end + 2] == 'Z';
}

// The shell command that starts a grandchild and prints "<shell pid> <grandchild pid>", then waits.
inline const char* const childAndGrandchildCommand = "sleep 100 & echo $$ $!; wait";

// Reads the line printed by childAndGrandchildCommand; false when it is not two positive pids.
inline bool readChildAndGrandchild(const QString& line, pid_t* child, pid_t* grandchild) {
    const QStringList pids = line.split(' ');
    if (pids.size() != 2) return false;
    *child = pids[0].toInt();
    *grandchild = pids[1].toInt();
    return *child > 0 && *grandchild > 0;
}

// The threads of this process, as the kernel counts them.
inline qsizetype threadCount() {
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

// The threads of this process that are blocked in flock(2), as the kernel tells.
inline int threadsInFlock() {
    const QString tasks = QStringLiteral("/proc/self/task/");
    int count = 0;
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile call(tasks + task + QStringLiteral("/syscall"));
        count += call.open(QIODevice::ReadOnly) &&
                 call.readAll().split(' ').value(0) == QByteArray::number(SYS_flock);
    }
    return count;
}
// The descriptors of this process open on the file at `path`.
inline int openDescriptorsOf(const QString& path) {
    const QString folder = QStringLiteral("/proc/self/fd");
    int count = 0;
    for (const QString& fd : QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += QFile::symLinkTarget(folder + QLatin1Char('/') + fd) == path;
    return count;
}

} // namespace qlan::test
