#pragma once
// The resident memory of this process as the kernel counts it, for the benchmarks' figures: from
// /proc/self/status on Linux, from the task's own counts on a Mac.

#if defined(__linux__)
#include <QByteArray>
#include <QFile>
#include <QList>
#elif defined(__APPLE__)
#include <sys/resource.h>
#endif

namespace qlan::bench {

#if defined(__linux__)
// A field of /proc/self/status in KiB ("VmHWM": the peak resident set, "VmRSS": the current one).
inline long long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
#endif

// The peak resident set of this process so far, in KiB; -1 where it cannot be read.
inline long long peakResidentKiB() {
#if defined(__linux__)
    return statusKiB("VmHWM");
#elif defined(__APPLE__)
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return -1;
    return static_cast<long long>(usage.ru_maxrss) / 1024; // bytes on a Mac
#endif
}

// Starts the peak afresh from the current resident set where the kernel allows it (Linux), and returns
// what a later peak is to be compared with: the current resident set then, the peak so far elsewhere.
inline long long peakBaselineKiB() {
#if defined(__linux__)
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    return statusKiB(reset ? "VmRSS" : "VmHWM");
#elif defined(__APPLE__)
    return peakResidentKiB();
#endif
}

} // namespace qlan::bench
