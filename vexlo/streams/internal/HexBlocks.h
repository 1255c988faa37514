#ifndef VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
#define VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H

/// \file
/// Internal: the digits of the portable text, and its encoding and decoding
/// for whole blocks at a time with vector code where the build carries it
/// (vexlo/internal/Processor.h): 32 bytes per step with AVX2, then 16 with
/// SSE2. Elsewhere the block functions do nothing and answer 0, and the
/// streams' own byte loops do all the work. Each block function handles a
/// leading run of whole blocks and leaves the rest to the caller; the
/// result is exactly the byte loops'.

#include <cstddef>
#include <cstdint>

namespace vx {
namespace detail {

/// The digits of the portable text, indexed by a nibble value 0 to 15; the
/// one definition of its alphabet, from which every table is derived.
constexpr char kHexDigits[17] = "0123456789ABCDEF";

/// The largest block whose text, two characters per byte, has a size that
/// `size_t` can express; the portable streams refuse larger blocks with
/// `std::bad_array_new_length` before anything else happens.
constexpr size_t kMaxHexBlockSize = SIZE_MAX / 2;

/// Writes the digits of the first `k` bytes at `in` to `out` (2k characters,
/// for each byte the digit of its high nibble first, upper case) and returns
/// `k`: `n` itself from 16 bytes on (the last block overlapping the one
/// before), else 0.
///
///     size_t done = EncodeHexBlocks(in, n, out);   // then encode in[done..n)
size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept;

/// Returns a number `k` of leading characters of `text` (`length` of them)
/// that are all digits ("0" to "9", "A" to "F"): `length` when all are and
/// there are at least 32, else a multiple of 32, stopping before the first
/// block of 32 that holds another character. The caller looks for the exact
/// place from there.
size_t SkipHexDigitBlocks(const unsigned char* text, size_t length) noexcept;

/// Decodes the digit pairs at `text` (2n characters, all digits: see
/// `SkipHexDigitBlocks`) into bytes at `out`, 16 bytes per block, and
/// returns the number `k` of bytes decoded: `n` itself from 16 bytes on (the
/// last block overlapping the one before), else 0. `out` must not overlap
/// the text.
size_t DecodeHexBlocks(const unsigned char* text, size_t n, unsigned char* out) noexcept;

/// Writes the 2n digits of the `n` bytes at `in` (a value: `n` is 1, 2, 4 or
/// 8) to `out` in one vector step and returns true; false, with nothing
/// written, for another `n` or where the build has no vector code.
bool EncodeHexValue(const unsigned char* in, size_t n, unsigned char* out) noexcept;

/// Decodes the 2n characters at `text` (a value: `n` is 1, 2, 4 or 8) into
/// `n` bytes at `out` in one vector step and returns true when all are
/// digits; false, with `out` untouched, when one is not, for another `n`, or
/// where the build has no vector code.
bool DecodeHexValue(const unsigned char* text, size_t n, unsigned char* out) noexcept;

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
