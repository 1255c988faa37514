#ifndef VEXLO_STRINGS_INTERNAL_BYTESCAN_H
#define VEXLO_STRINGS_INTERNAL_BYTESCAN_H

/// \file
/// Internal (not exported, not part of the interface): the block scans under
/// the string search and comparison. Each one answers exactly what a plain
/// byte-by-byte loop answers; where the processor offers 16-byte vector
/// compares (SSE2, which every x86-64 processor has) it looks at 16 positions
/// per step, elsewhere it is that plain loop. This is the only file of the
/// string classes that knows about the processor.

#include <cstddef>
#include <cstdint>

namespace vx {
namespace detail {

/// What the scans answer when they find nothing: all bits set, like `NPOS`.
constexpr size_t kNoPosition = SIZE_MAX;

/// `c` folded to ASCII upper case: a-z become A-Z, every other byte stays.
inline unsigned char AsciiUpperByte(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return static_cast<unsigned char>(u - 'a') < 26 ? static_cast<unsigned char>(u - 0x20) : u;
}

/// The first position `i` in [`from`, `last`] at which `text[i] == a` and
/// `text[i + span] == b`, or `kNoPosition` when there is none. Reads the bytes
/// `text[from]` to `text[last + span]`, nothing beyond. Prepares nothing.
///
///     // Candidates for the pattern "key": first byte 'k', last byte 'y'.
///     size_t i = FindBytePair(text, 0, length - 3, 'k', 'y', 2);
size_t FindBytePair(const char* text, size_t from, size_t last, char a, char b,
                    size_t span) noexcept;

/// As `FindBytePair`, with each text byte folded to ASCII upper case before
/// it is compared (a-z become A-Z; every other byte stays as it is). `a` and
/// `b` are given folded.
size_t FindBytePairAsciiUpper(const char* text, size_t from, size_t last, char a, char b,
                              size_t span) noexcept;

/// The number of leading bytes in which `a` and `b` agree (`n` when all do).
size_t EqualPrefix(const char* a, const char* b, size_t n) noexcept;

/// A count `k` <= `n` such that the first `k` bytes of `a` and `b` are equal
/// after folding to ASCII upper case. It stops at or before the first byte
/// that differs after folding, and may stop earlier (at the last block of
/// fewer than 16 bytes); the caller compares the rest itself.
size_t AsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept;

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STRINGS_INTERNAL_BYTESCAN_H
