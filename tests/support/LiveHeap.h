#pragma once
// The bytes this process holds on its heap: what it keeps, not what its allocator holds on to. A sanitizer's
// allocator keeps freed blocks in quarantine and its own records beside each block, so the resident size
// of a sanitizer build grows where the program keeps nothing; its own count of live bytes does not.

#include <QtGlobal>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QLAN_TEST_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QLAN_TEST_ADDRESS_SANITIZER 1
#endif

#if defined(QLAN_TEST_ADDRESS_SANITIZER)
#include <sanitizer/allocator_interface.h>
#elif defined(__linux__)
#include <malloc.h>
#elif defined(__APPLE__)
#include <malloc/malloc.h>
#endif

namespace qlan::test {

// Bytes of this process's live heap blocks now.
inline qint64 liveHeapBytes() {
#if defined(QLAN_TEST_ADDRESS_SANITIZER)
    return qint64(__sanitizer_get_current_allocated_bytes());
#elif defined(__linux__)
    const struct mallinfo2 info = ::mallinfo2();
    return qint64(info.uordblks + info.hblkhd); // in the arenas, and mapped on their own
#elif defined(__APPLE__)
    malloc_statistics_t statistics{};
    ::malloc_zone_statistics(nullptr, &statistics); // every zone
    return qint64(statistics.size_in_use);
#else
#error "liveHeapBytes() needs this system's way to count the live heap"
#endif
}

} // namespace qlan::test
