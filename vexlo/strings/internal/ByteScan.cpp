#include "vexlo/strings/internal/ByteScan.h"

#include <atomic>
#include <cstring>

namespace vx {
namespace detail {

namespace {

// --- The portable variant ---------------------------------------------------
// Eight bytes at a time as one 64-bit word, where the compiler can count the
// zero bits of a word; the byte loop elsewhere.

#if defined(__GNUC__) || defined(__clang__)
# define VX_BYTESCAN_WORDS 1

std::uint64_t Load64(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The position, in memory order, of the first byte of `x` (not 0) that is not 0.
size_t FirstNonZeroByte(std::uint64_t x) noexcept {
# if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return static_cast<size_t>(__builtin_clzll(x)) / 8;
# else
  return static_cast<size_t>(__builtin_ctzll(x)) / 8;
# endif
}

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Each byte of `x` folded to ASCII upper case. The low seven bits of each
// byte, raised by 0x80 - 'a' and by 0x80 - 'z' - 1, carry into the byte's top
// bit exactly when they are at least 'a' and above 'z'; no sum leaves its
// byte. Bytes with the top bit set are no letters.
std::uint64_t AsciiUpper64(std::uint64_t x) noexcept {
  const std::uint64_t low7 = x & ~kHighBits;
  const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'a');
  const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'z' - 1);
  const std::uint64_t lower = atLeastA & ~aboveZ & ~x & kHighBits;
  return x - (lower >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}
#endif

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
#ifdef VX_BYTESCAN_SSE2
  ++count;
#endif
#ifdef VX_BYTESCAN_AVX2
  if (ProcessorHasAvx2()) ++count;
#endif
  return count;
}

const ScanKernels& ScanKernelsAt(size_t i) noexcept {
#ifdef VX_BYTESCAN_SSE2
  if (i == 1) return kSse2Kernels;
#endif
#ifdef VX_BYTESCAN_AVX2
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

size_t EqualPrefix(const char* a, const char* b, size_t n) noexcept {
  if (n < kVectorFrom) return PortableEqualPrefix(a, b, n);
  return Chosen().equalPrefix(a, b, n);
}

size_t AsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  if (n < kVectorFrom) return PortableAsciiUpperEqualPrefix(a, b, n);
  return Chosen().asciiUpperEqualPrefix(a, b, n);
}

}  // namespace detail
}  // namespace vx
