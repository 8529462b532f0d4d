// Memory in large pages for the records of a large file.
#pragma once

#include <cstdint>

namespace vellum {

// While it lives, the records read from a large file get their memory from a stretch of the heap that the
// system backs with large pages where it can: a fresh process otherwise spends about as long taking the
// store's new memory from the system one small page at a time as it spends parsing. Files below a few
// megabytes, other platforms and sanitizer builds leave memory as it is. The heap's usual settings come back
// when the scope ends.
class LargePageScope {
  public:
    explicit LargePageScope(uint64_t expectedBytes);
    ~LargePageScope();
    LargePageScope(const LargePageScope&) = delete;
    LargePageScope& operator=(const LargePageScope&) = delete;

    // True when the heap was prepared.
    bool active() const { return active_; }

  private:
    bool active_ = false;
};

} // namespace vellum
