#ifndef VEXLO_CHANNELS_INTERNAL_MEMWRITERACCESS_H
#define VEXLO_CHANNELS_INTERNAL_MEMWRITERACCESS_H

/// \file
/// Internal (not installed): the typed streams' way into a memory writer's
/// buffer, so that they encode straight into it instead of handing `Write`
/// a copy.

#include <cstddef>

#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/internal/InPlace.h"

namespace vx {
namespace detail {

/// In-place writing to a `CMemWriter`, for a writer known only by its
/// interface. `Room` then `Commit` of `count` bytes end as `Write` of them
/// does: the same growth, the same failures (the writer unchanged), the
/// same content and terminator.
///
///     if (CMemWriter* memory = MemWriterAccess::InPlaceFor(writer, bytes, n)) {
///       unsigned char* room = MemWriterAccess::Room(*memory, n);  // may throw
///       ...                                                        // n bytes into room
///       MemWriterAccess::Commit(*memory, n);
///     }
struct MemWriterAccess {
  /// `writer` as a `CMemWriter` (see `ExactlyA`) into which the `n` bytes at
  /// `p` go in place; null, for `Write` to take them, for any other writer,
  /// for no bytes, and for bytes in the writer's own storage, which growing
  /// it could free and the room could overlap.
  static CMemWriter* InPlaceFor(tvc::ITVCBinaryWriter* writer, const void* p, size_t n) noexcept {
    CMemWriter* const memory = ExactlyA<CMemWriter>(writer);
    return memory != nullptr && n != 0 && Apart(p, n, memory->buffer_, memory->capacity_) ? memory
                                                                                          : nullptr;
  }

  /// Room for `count` (at least 1) bytes behind those written, grown first
  /// if need be, as `Write` grows.
  static unsigned char* Room(CMemWriter& writer, size_t count) {
    if (count < writer.capacity_ - writer.size_) return writer.buffer_ + writer.size_;
    return Grow(writer, count);
  }

  /// Takes the `count` bytes written into the room, and the terminator.
  static void Commit(CMemWriter& writer, size_t count) noexcept {
    writer.size_ += count;
    writer.buffer_[writer.size_] = 0;
  }

 private:
  static unsigned char* Grow(CMemWriter& writer, size_t count);  // CMemWriter.cpp
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_MEMWRITERACCESS_H
