#include "support/FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

// ThreadSanitizer's runtime defines the global allocation functions in the
// program itself, so they cannot be replaced there; its builds run the
// concurrency tests, not the exception-safety ones. GCC tells it by a macro,
// Clang by a feature.
#if defined(__has_feature)
# if __has_feature(thread_sanitizer)
#  define VXTEST_TSAN 1
# endif
#endif
#if defined(_WIN32) || defined(VXTEST_TSAN) || defined(__SANITIZE_THREAD__)
# define VXTEST_INJECTABLE 0
#else
# define VXTEST_INJECTABLE 1
#endif

namespace {

std::atomic<long> g_live{0};
std::atomic<long> g_refused{0};
std::atomic<std::size_t> g_largest{0};
thread_local long t_countdown = 0;
thread_local bool t_fired = false;

[[maybe_unused]] void* Allocate(std::size_t size) {
  const bool injected = t_countdown > 0 && --t_countdown == 0;
  t_fired = t_fired || injected;
  const std::size_t largest = g_largest;
  const bool refused = !injected && largest != 0 && size > largest;
  if (refused) ++g_refused;
  void* const p = injected || refused ? nullptr : std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++g_live;
  return std::memset(p, 0xA5, size);  // no byte of a fresh block reads as zero
}

[[maybe_unused]] void* TryAllocate(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

[[maybe_unused]] void Free(void* p) noexcept {
  g_live -= p != nullptr ? 1 : 0;
  std::free(p);
}

}  // namespace

#if VXTEST_INJECTABLE
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
#endif

namespace vxtest {

bool AllocationFailureInjectable() { return VXTEST_INJECTABLE != 0; }
long LiveAllocations() { return g_live; }
long RefusedAllocations() { return g_refused; }
void SetLargestAllocation(std::size_t bytes) { g_largest = bytes; }

ScopedAllocationFailure::ScopedAllocationFailure(long n) { t_countdown = n, t_fired = false; }
ScopedAllocationFailure::~ScopedAllocationFailure() { t_countdown = 0; }

bool AllocationFailureFired() { return t_fired; }

}  // namespace vxtest
