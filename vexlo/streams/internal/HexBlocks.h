#ifndef VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
#define VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H

/// \file
/// Internal (not exported, not installed): the portable format's hexadecimal
/// digits for 16 bytes at a time, where the processor has 16-byte vector
/// instructions (SSE2, which every x86-64 processor has). Elsewhere both
/// functions do nothing and answer 0, and the streams' own byte loops do all
/// the work. Each function handles a leading run of whole 16-byte blocks and
/// leaves the rest to the caller; the result is exactly the byte loops'.

#include <cstddef>

namespace vx {
namespace detail {

/// Writes the digits of the first `k` bytes at `in` to `out` (2k characters,
/// for each byte the digit of its high nibble first, upper case) and returns
/// `k`: the largest multiple of 16 not above `n`, or 0.
///
///     size_t done = EncodeHexBlocks(in, n, out);   // then encode in[done..n)
size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept;

/// Decodes the digit pairs at `text` (2n characters) into bytes at the front
/// of the same area, 16 bytes per block, and returns the number `k` of bytes
/// decoded: a multiple of 16, stopping before the first block whose 32
/// characters are not all digits ("0" to "9", "A" to "F"). The characters
/// from 2k on are left intact, so the caller can decode, or report, the rest.
size_t DecodeHexBlocks(unsigned char* text, size_t n) noexcept;

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
