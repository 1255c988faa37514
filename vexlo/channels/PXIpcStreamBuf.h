#ifndef VEXLO_CHANNELS_PXIPCSTREAMBUF_H
#define VEXLO_CHANNELS_PXIPCSTREAMBUF_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

/// A byte queue in memory that is a reader and a writer at once: `Write`
/// appends at the end of one growable buffer, whose start holds the bytes
/// written so far, and `Read` consumes from a read position within them.
/// Reading never discards bytes; `forward()` rewinds the read position to
/// read everything again. One side of an exchange writes values through a
/// stream on the writer face and sends `str()` and its length; the other
/// adopts the received block and reads the values back.
///
/// Growth: the first `Write` allocates 16 bytes when it brings fewer than 8
/// bytes, else twice its count (a `Write` of 0 bytes allocates too). A later
/// `Write` that does not fit grows the capacity to (3 * (capacity + count))
/// / 2: 3 bytes allocate 16, 20 more grow to 54. The buffer never shrinks;
/// `GetCapacity()` makes the rule observable.
///
///     vx::PXIpcStreamBuf queue;
///     queue.Write("\x01\x02", 2);
///     char two[2];
///     queue.Read(two, 2);       // 1, 2; out_waiting() is 0
///     queue.forward();          // out_waiting() is 2 again
class VX_API PXIpcStreamBuf : public tvc::ITVCBinaryReader, public tvc::ITVCBinaryWriter {
 public:
  /// Empty: no storage, both positions 0, `str()` null.
  PXIpcStreamBuf() noexcept;
  /// Adopts the `size` bytes at `data` as written and not yet read: the
  /// capacity and the write position are `size`, the read position 0. The
  /// queue owns the block from now on and releases it with `delete[]`, so it
  /// must come from `new char[]`; the caller releases nothing. `size` must not
  /// be negative, and must be 0 when `data` is null. Never throws.
  PXIpcStreamBuf(char* data, int size) noexcept;
  /// Storage of its own, with `other`'s capacity, bytes and positions (no
  /// storage when `other` has none).
  PXIpcStreamBuf(const PXIpcStreamBuf& other);
  /// Makes this queue a copy of `other`, as the copy constructor does. The
  /// storage is reused when both capacities are equal; otherwise new storage
  /// is allocated first and the old released after, so that a failed
  /// allocation leaves the target unchanged. Self-assignment changes nothing.
  PXIpcStreamBuf& operator=(const PXIpcStreamBuf& other);
  /// Releases the storage.
  virtual ~PXIpcStreamBuf();

  /// Copies the next `count` bytes into `buffer` and advances the read
  /// position past them, or, when fewer than `count` are waiting, throws
  /// `tvc::TVCBufferUnderrunException` having copied nothing and moved
  /// nothing. A read of 0 bytes always succeeds.
  void Read(void* buffer, size_t count) override;

  /// Appends the `count` bytes at `data` (not read when `count` is 0; it may
  /// lie in the queue's own bytes), growing the storage first by the rule
  /// above. Throws the allocator's `std::bad_alloc`, or
  /// `std::bad_array_new_length` for a capacity beyond PTRDIFF_MAX bytes or
  /// `size_t`, before anything changes.
  void Write(const void* data, size_t count) override;

  /// The bytes written and not yet read.
  size_t out_waiting();
  /// The first byte written (not the read position); null before any storage
  /// exists. Valid until a `Write` grows the storage, or destruction.
  const char* str();
  /// Rewinds the read position to the first byte written; nothing else
  /// changes.
  void forward();

  /// The size of the storage in bytes (0 before any storage exists).
  size_t GetCapacity() const { return capacity_; }

 private:
  char* buffer_;
  size_t writePosition_;
  size_t capacity_;
  size_t readPosition_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_PXIPCSTREAMBUF_H
