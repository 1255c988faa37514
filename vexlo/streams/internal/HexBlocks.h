#ifndef VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
#define VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H

/// \file
/// Internal (not exported, not installed): the portable format's hexadecimal
/// digits for whole blocks at a time, where the processor has vector
/// instructions: 32 bytes per step with AVX2 where the processor running the
/// program has it (asked once, on first use), then 16 bytes per step with
/// SSE2, which every x86-64 processor has. Elsewhere the functions do
/// nothing and answer 0, and the streams' own byte loops do all the work.
/// Each function handles a leading run of whole blocks and leaves the rest to
/// the caller; the result is exactly the byte loops'.

#include <cstddef>

namespace vx {
namespace detail {

/// Writes the digits of the first `k` bytes at `in` to `out` (2k characters,
/// for each byte the digit of its high nibble first, upper case) and returns
/// `k`: a multiple of 16 not above `n`, at most 15 below it.
///
///     size_t done = EncodeHexBlocks(in, n, out);   // then encode in[done..n)
size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept;

/// Returns a number `k` of leading characters of `text` (`length` of them)
/// that are all digits ("0" to "9", "A" to "F"): a multiple of 32, stopping
/// before the first block of 32 that holds another character. The caller
/// looks for the exact place from there.
size_t SkipHexDigitBlocks(const unsigned char* text, size_t length) noexcept;

/// Decodes the digit pairs at `text` (2n characters, all digits: see
/// `SkipHexDigitBlocks`) into bytes at `out`, 16 bytes per block, and
/// returns the number `k` of bytes decoded: a multiple of 16 not above `n`,
/// at most 15 below it. `out` must not overlap the text.
size_t DecodeHexBlocks(const unsigned char* text, size_t n, unsigned char* out) noexcept;

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
