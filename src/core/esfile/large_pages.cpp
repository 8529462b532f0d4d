#include "esfile/large_pages.h"

#include <cstddef>
#include <cstdlib>
#include <limits>

#if defined(__SANITIZE_ADDRESS__)
#define VELLUM_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define VELLUM_PLAIN_HEAP 1
#endif
#endif

#if defined(__linux__) && defined(__GLIBC__) && !defined(VELLUM_PLAIN_HEAP)
#define VELLUM_LARGE_PAGES 1
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace vellum {

namespace {
[[maybe_unused]] constexpr uint64_t kSmallestFile = 8u << 20;
[[maybe_unused]] constexpr uint64_t kLargestStretch = 1u << 30;
[[maybe_unused]] constexpr size_t kLargePage = 2u << 20;
[[maybe_unused]] constexpr int kUsualThreshold = 128 * 1024; // the C library's own starting values
} // namespace

LargePageScope::LargePageScope(uint64_t expectedBytes) {
#if defined(VELLUM_LARGE_PAGES) && defined(MADV_HUGEPAGE)
    if (expectedBytes < kSmallestFile || expectedBytes > kLargestStretch) return;
    const size_t n = static_cast<size_t>(expectedBytes);
    // Every allocation comes from the heap, and the heap keeps what is freed, for as long as the scope
    // lives: so a block taken and given back at once leaves a stretch at the heap's top that the records then
    // fill, and that stretch is the one marked for large pages.
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestStretch)) == 0) return;
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    active_ = true;
    void* block = std::malloc(n);
    if (!block) return;
    const auto start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + kLargePage - 1) & ~uintptr_t(kLargePage - 1);
    const uintptr_t last = (start + n) & ~uintptr_t(kLargePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    std::free(block);
#else
    (void)expectedBytes;
#endif
}

LargePageScope::~LargePageScope() {
#if defined(VELLUM_LARGE_PAGES)
    if (!active_) return;
    mallopt(M_MMAP_THRESHOLD, kUsualThreshold);
    // The heap's top, with the part of the stretch the records did not use (never touched, so never
    // resident), is given back by the next free that reaches it.
    mallopt(M_TRIM_THRESHOLD, kUsualThreshold);
#endif
}

} // namespace vellum
