#include "fuzz/support/FuzzAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
# if __has_feature(thread_sanitizer)
#  define VXFUZZ_TSAN 1
# endif
#endif
#if defined(__SANITIZE_THREAD__)
# define VXFUZZ_TSAN 1
#endif

#if defined(_WIN32) || defined(VXFUZZ_TSAN)
# define VXFUZZ_REPLACED 0
#else
# define VXFUZZ_REPLACED 1
#endif

namespace {

// The fuzz programs are single-threaded, but the counters stay atomic so that
// a stray thread of a sanitizer runtime cannot corrupt them.
std::atomic<long> g_live{0};
std::atomic<long> g_refused{0};
thread_local long t_countdown = 0;
thread_local bool t_fired = false;

[[maybe_unused]] void* Allocate(std::size_t size) {
  if (t_countdown > 0 && --t_countdown == 0) {
    t_fired = true;
    throw std::bad_alloc();
  }
  if (size > vxfuzz::kLargestBlock) {
    g_refused.fetch_add(1, std::memory_order_relaxed);
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  g_live.fetch_add(1, std::memory_order_relaxed);
  return p;
}

[[maybe_unused]] void Free(void* p) noexcept {
  if (p == nullptr) return;
  g_live.fetch_sub(1, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

#if VXFUZZ_REPLACED
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
#endif

namespace vxfuzz {

bool AllocatorReplaced() { return VXFUZZ_REPLACED != 0; }

long LiveBlocks() { return g_live.load(std::memory_order_relaxed); }

long RefusedBlocks() { return g_refused.load(std::memory_order_relaxed); }

void FailAllocation(long n) {
  t_countdown = n;
  t_fired = false;
}

bool FailureFired() { return t_fired; }

}  // namespace vxfuzz
