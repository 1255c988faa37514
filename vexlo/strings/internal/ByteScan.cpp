#include "vexlo/strings/internal/ByteScan.h"

#include <atomic>
#include <cstring>

namespace vx {
namespace detail {

namespace {

// --- The portable variant ---------------------------------------------------
// Eight bytes at a time as one 64-bit word where possible (ByteScan.h), the
// byte loop elsewhere.

size_t PortableFindBytePair(const char* text, size_t from, size_t last, char a, char b,
                            size_t span) noexcept {
  for (size_t i = from; i <= last; ++i) {
    const void* const hit = std::memchr(text + i, a, last - i + 1);
    if (hit == nullptr) return kNoPosition;
    i = static_cast<size_t>(static_cast<const char*>(hit) - text);
    if (text[i + span] == b) return i;
  }
  return kNoPosition;
}

size_t PortableFindBytePairAsciiUpper(const char* text, size_t from, size_t last, char a, char b,
                                      size_t span) noexcept {
  const auto foldedA = static_cast<unsigned char>(a);
  const auto foldedB = static_cast<unsigned char>(b);
  for (size_t i = from; i <= last; ++i) {
    if (AsciiUpperByte(text[i]) == foldedA && AsciiUpperByte(text[i + span]) == foldedB) return i;
  }
  return kNoPosition;
}

size_t PortableEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  size_t k = 0;
#ifdef VX_BYTESCAN_WORDS
  for (; n - k >= 8; k += 8) {
    const std::uint64_t differ = Load64(a + k) ^ Load64(b + k);
    if (differ != 0) return k + FirstNonZeroByte(differ);
  }
#endif
  while (k < n && a[k] == b[k]) ++k;
  return k;
}

size_t PortableAsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  size_t k = 0;
#ifdef VX_BYTESCAN_WORDS
  for (; n - k >= 8; k += 8) {
    const std::uint64_t differ = AsciiUpper64(Load64(a + k)) ^ AsciiUpper64(Load64(b + k));
    if (differ != 0) return k + FirstNonZeroByte(differ);
  }
#endif
  while (k < n && AsciiUpperByte(a[k]) == AsciiUpperByte(b[k])) ++k;
  return k;
}

const ScanKernels kPortableKernels = {"portable", PortableFindBytePair,
                                      PortableFindBytePairAsciiUpper, PortableEqualPrefix,
                                      PortableAsciiUpperEqualPrefix};

// --- Choosing the variant ---------------------------------------------------

// Below this many positions a vector variant would spend more on getting
// started than it saves.
constexpr size_t kVectorFrom = 32;

// Chosen at the first long scan, not when the library loads (it runs no code
// then). Threads that race to choose all choose the same.
std::atomic<const ScanKernels*> chosen{nullptr};

const ScanKernels& Chosen() noexcept {
  const ScanKernels* kernels = chosen.load(std::memory_order_relaxed);
  if (kernels == nullptr) {
    kernels = &ScanKernelsAt(ScanKernelCount() - 1);
    chosen.store(kernels, std::memory_order_relaxed);
  }
  return *kernels;
}

}  // namespace

size_t ScanKernelCount() noexcept {
  size_t count = 1;
#ifdef VX_VECTOR_SSE2
  ++count;
#endif
#ifdef VX_VECTOR_AVX2
  if (ProcessorHasAvx2()) ++count;
#endif
  return count;
}

const ScanKernels& ScanKernelsAt([[maybe_unused]] size_t i) noexcept {
#ifdef VX_VECTOR_SSE2
  if (i == 1) return kSse2Kernels;
#endif
#ifdef VX_VECTOR_AVX2
  if (i == 2) return kAvx2Kernels;
#endif
  return kPortableKernels;
}

size_t FindBytePair(const char* text, size_t from, size_t last, char a, char b,
                    size_t span) noexcept {
  if (from > last) return kNoPosition;
  if (last - from < kVectorFrom) return PortableFindBytePair(text, from, last, a, b, span);
  return Chosen().findBytePair(text, from, last, a, b, span);
}

size_t FindBytePairAsciiUpper(const char* text, size_t from, size_t last, char a, char b,
                              size_t span) noexcept {
  if (from > last) return kNoPosition;
  if (last - from < kVectorFrom) {
    return PortableFindBytePairAsciiUpper(text, from, last, a, b, span);
  }
  return Chosen().findBytePairAsciiUpper(text, from, last, a, b, span);
}

size_t LongEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  if (n < kVectorFrom) return PortableEqualPrefix(a, b, n);
  return Chosen().equalPrefix(a, b, n);
}

size_t LongAsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  if (n < kVectorFrom) return PortableAsciiUpperEqualPrefix(a, b, n);
  return Chosen().asciiUpperEqualPrefix(a, b, n);
}

}  // namespace detail
}  // namespace vx
