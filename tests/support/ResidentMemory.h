#pragma once
// The resident memory of this process, as the kernel counts it.

#include <QtGlobal>

#if defined(__linux__)
#include <fstream>
#include <unistd.h>
#elif defined(__APPLE__)
#include <mach/mach.h>
#endif

namespace qlan::test {

// Bytes of this process in memory now.
inline qint64 residentBytes() {
#if defined(__linux__)
    std::ifstream statm("/proc/self/statm");
    qint64 pages = 0;
    qint64 resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
#elif defined(__APPLE__)
    mach_task_basic_info_data_t info{};
    mach_msg_type_number_t count = MACH_TASK_BASIC_INFO_COUNT;
    if (::task_info(::mach_task_self(), MACH_TASK_BASIC_INFO, reinterpret_cast<task_info_t>(&info), &count) !=
        KERN_SUCCESS)
        return 0;
    return qint64(info.resident_size);
#else
#error "residentBytes() needs this system's way to read the resident size"
#endif
}

} // namespace qlan::test
