#ifndef VEXLO_CHANNELS_INTERNAL_MEMREADERACCESS_H
#define VEXLO_CHANNELS_INTERNAL_MEMREADERACCESS_H

/// \file
/// Internal (not installed): the typed streams' way into a memory reader's
/// buffer, so that they decode where the bytes lie instead of copying them
/// out through `Read` first.

#include <cstddef>

#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/internal/InPlace.h"

namespace vx {
namespace detail {

/// In-place reading of a `CMemReader`, for a reader known only by its
/// interface.
///
///     if (CMemReader* memory = MemReaderAccess::Of(reader)) {
///       const unsigned char* bytes = MemReaderAccess::Take(*memory, n);  // as Read would fail
///       ...                                                               // the n bytes
///     }
struct MemReaderAccess {
  /// `reader` as a `CMemReader`, else null (see `ExactlyA`).
  static CMemReader* Of(tvc::ITVCBinaryReader* reader) noexcept {
    return ExactlyA<CMemReader>(reader);
  }

  /// What `Read` of `count` bytes does, without the copy: advances past them
  /// and answers where they lie, valid while the buffer is. Short of bytes,
  /// it is `Read` itself that logs and throws, consuming nothing.
  static const unsigned char* Take(CMemReader& reader, size_t count) {
    if (count > reader.size_ - reader.position_) reader.CMemReader::Read(nullptr, count);
    const unsigned char* const bytes = reader.data_ + reader.position_;
    reader.position_ += count;
    return bytes;
  }

  /// Whether the `n` bytes at `p` lie apart from the reader's buffer, so
  /// that decoding into them cannot change what is still to be read.
  static bool Apart(const CMemReader& reader, const unsigned char* p, size_t n) noexcept {
    return detail::Apart(p, n, reader.data_, reader.size_);
  }
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_MEMREADERACCESS_H
