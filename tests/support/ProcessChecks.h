#pragma once
// Whether a process of a test is still around, and what this process holds (threads, descriptors), read
// from the kernel: from /proc on Linux, from proc_pidinfo() and fcntl(F_GETPATH) on a Mac.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <sys/syscall.h>
#elif defined(__APPLE__)
#include <libproc.h>
#include <sys/param.h>
#include <sys/proc.h>
#include <sys/proc_info.h>
#endif

namespace qlan::test {

// Reaped by us (a zombie would still answer kill(pid, 0)).
inline bool reaped(pid_t pid) {
    return ::kill(pid, 0) == -1 && errno == ESRCH;
}

// The state a Mac's kernel gives a zombie in proc_bsdinfo::pbi_status (SZOMB of its <sys/proc.h>).
inline constexpr std::uint32_t macZombieStatus = 5;
#if defined(__APPLE__)
static_assert(macZombieStatus == SZOMB);
#endif

// What a Mac's proc_pidinfo(PROC_PIDTBSDINFO) answer says of a process: a zombie only when the call filled
// the whole record (it answers the bytes it wrote, 0 on a failure) and the state in it is the zombie's.
inline bool describesZombie(int answeredBytes, std::size_t recordBytes, std::uint32_t status) {
    return answeredBytes == static_cast<int>(recordBytes) && status == macZombieStatus;
}

// Dead: gone, or a zombie waiting for a parent that is not us (an orphan of a killed shell). A process
// whose state cannot be read counts as alive unless it is gone, so that no check passes for want of a
// way to look.
inline bool dead(pid_t pid) {
    if (reaped(pid)) return true;
#if defined(__linux__)
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return reaped(pid); // gone since kill(), or not to be read
    const QByteArray fields = stat.readAll();
    const qsizetype end = fields.lastIndexOf(')');
    return end > 0 && fields.size() > end + 2 && fields[end + 2] == 'Z';
#elif defined(__APPLE__)
    // The kernel looks among the zombies only when the third argument is not 0; with 0 a zombie is not
    // found, and kill() would then take it for a living process.
    proc_bsdinfo info{};
    const int answered = ::proc_pidinfo(pid, PROC_PIDTBSDINFO, 1, &info, sizeof info);
    if (answered <= 0) return reaped(pid); // gone since kill(), or not to be read
    return describesZombie(answered, sizeof info, info.pbi_status);
#endif
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

// The threads of this process, as the kernel counts them (-1 when it does not tell).
inline int threadCount() {
#if defined(__linux__)
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
#elif defined(__APPLE__)
    proc_taskinfo info{};
    if (::proc_pidinfo(::getpid(), PROC_PIDTASKINFO, 0, &info, sizeof info) != static_cast<int>(sizeof info))
        return -1;
    return info.pti_threadnum;
#endif
}

// The descriptors this process has open.
inline int openDescriptorCount() {
    // On Linux /dev/fd is /proc/self/fd; on a Mac it lists the caller's descriptors. Reading the folder
    // opens one more, the same before and after.
    return static_cast<int>(QDir(QStringLiteral("/dev/fd"))
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size());
}

// The threads of this process that are blocked in flock(2), as the kernel tells; none where it does not
// tell which call a thread waits in (a Mac).
inline std::optional<int> threadsInFlock() {
#if defined(__linux__)
    const QString tasks = QStringLiteral("/proc/self/task/");
    int count = 0;
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile call(tasks + task + QStringLiteral("/syscall"));
        count += call.open(QIODevice::ReadOnly) &&
                 call.readAll().split(' ').value(0) == QByteArray::number(SYS_flock);
    }
    return count;
#else
    return std::nullopt;
#endif
}

// The descriptors of this process open on the file at `path` (its folder may be reached through links).
inline int openDescriptorsOf(const QString& path) {
    const QFileInfo file(path);
    const QString parent = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString real = parent.isEmpty() ? path : parent + QLatin1Char('/') + file.fileName();
    int count = 0;
#if defined(__linux__)
    const QString fds = QStringLiteral("/proc/self/fd");
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += QFile::symLinkTarget(fds + QLatin1Char('/') + fd) == real;
#elif defined(__APPLE__)
    const int bytes = ::proc_pidinfo(::getpid(), PROC_PIDLISTFDS, 0, nullptr, 0);
    std::vector<proc_fdinfo> fds(static_cast<std::size_t>(std::max(bytes, 0)) / sizeof(proc_fdinfo) + 16);
    const int listed = ::proc_pidinfo(::getpid(), PROC_PIDLISTFDS, 0, fds.data(),
                                      static_cast<int>(fds.size() * sizeof(proc_fdinfo)));
    const QByteArray wanted = QFile::encodeName(real);
    for (int i = 0; i < listed / static_cast<int>(sizeof(proc_fdinfo)); ++i) {
        char where[MAXPATHLEN];
        count += fds[static_cast<std::size_t>(i)].proc_fdtype == PROX_FDTYPE_VNODE &&
                 ::fcntl(fds[static_cast<std::size_t>(i)].proc_fd, F_GETPATH, where) == 0 && wanted == where;
    }
#endif
    return count;
}

} // namespace qlan::test
