#pragma once
// Whether a process of a test is still around, read from the kernel.

#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <signal.h>
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

} // namespace qlan::test
