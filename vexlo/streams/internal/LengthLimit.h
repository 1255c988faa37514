#ifndef VEXLO_STREAMS_INTERNAL_LENGTHLIMIT_H
#define VEXLO_STREAMS_INTERNAL_LENGTHLIMIT_H

/// \file
/// Internal: the length limit of the input streams (`SetLengthLimit`),
/// applied by the readers of strings and bit vectors to the length they
/// read, before they allocate room for it.

#include <cstddef>
#include <cstdint>

#include "vexlo/tvc/ITVCInStream.h"

namespace vx {
namespace detail {

/// Throws `CStreamFormatException` when `bytes` is above the length limit of
/// `stream`. `who` begins the message, which names both numbers:
///
///     CheckLengthLimit(s, length, "VXString");
///     // VXString: a length of 5000 bytes is over the stream's length limit
///     // of 4096 bytes
void CheckLengthLimit(const tvc::ITVCInStream& stream, std::uint64_t bytes, const char* who);

/// The length limit of `stream`: what `SetLengthLimit` set on an input stream
/// of the library, the largest `size_t` for any other stream. Defined beside
/// the input streams, in CPortableInputStream.cpp: it has to name them.
size_t LengthLimitOf(const tvc::ITVCInStream& stream);

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_LENGTHLIMIT_H
