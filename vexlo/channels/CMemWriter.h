#ifndef VEXLO_CHANNELS_CMEMWRITER_H
#define VEXLO_CHANNELS_CMEMWRITER_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

namespace detail {
struct MemWriterAccess;  // the library's typed streams, which write into the buffer in place
}  // namespace detail

/// A byte writer into a growable buffer of its own. Every `Write` appends,
/// and the buffer always holds one zero byte (the terminator) behind the bytes
/// written, so that `GetData()` can be handed on as a zero-terminated
/// sequence. The written bytes may contain zeros themselves.
///
/// Storage: the buffer holds `GetSize() + 1` bytes (content and terminator)
/// in `GetCapacity()` bytes of storage. It grows only when an append needs
/// more room, by this rule, applied to the content and then to the
/// terminator: the new capacity is the larger of capacity + capacity / 2 and
/// the size needed (the size needed alone when capacity + capacity / 2 would
/// exceed the largest buffer). The example in bytes, writing 5 bytes into a
/// default writer (capacity 1, holding only the terminator):
///
///     before:  [00]                      size 0, capacity 1
///     content: 5 bytes needed -> capacity max(1 + 0, 5) = 5
///     terminator: 6 needed    -> capacity max(5 + 2, 6) = 7
///     after:   [01 02 03 04 05 00 __]    size 5, capacity 7
///
/// Failures: when storage cannot be obtained, the allocator's
/// `std::bad_alloc` propagates; a size beyond the largest buffer (more than
/// PTRDIFF_MAX bytes, the `max_size()` of a byte vector) throws
/// `std::length_error`. Either way the writer is unchanged: a failed `Write`
/// keeps all earlier bytes and adds none.
///
///     vx::CMemWriter out;
///     out.Write("abc", 3);
///     vx::CMemReader in(out.GetData(), out.GetSize());  // reads a, b, c
class VX_API CMemWriter final : public tvc::ITVCBinaryWriter {
 public:
  /// Empty: the terminator alone, capacity 1.
  CMemWriter();
  /// Empty, with capacity exactly `initialSize` + 1, so that `initialSize`
  /// bytes can be written without growing.
  explicit CMemWriter(size_t initialSize);
  /// Capacity exactly `size` + 1, holding a copy of the `size` bytes at
  /// `data` (not read when `size` is 0).
  CMemWriter(const void* data, size_t size);
  /// A copy of `other`'s bytes and terminator, in storage of exactly that
  /// size (capacity = size + 1).
  CMemWriter(const CMemWriter& other);
  /// Replaces the content by a copy of `other`'s. The storage is reused when
  /// its capacity suffices, else replaced by storage of exactly
  /// `other.GetSize()` + 1 bytes; should that allocation fail, the target is
  /// unchanged. Self-assignment changes nothing.
  CMemWriter& operator=(const CMemWriter& other);
  ~CMemWriter();

  /// Appends the `count` bytes at `data`, then the terminator, growing by the
  /// rule above when needed. A `count` of 0 changes nothing, not even the
  /// capacity, and does not read `data`. `data` may point into the writer's
  /// own bytes (`GetData()`), terminator included.
  void Write(const void* data, size_t count) override;

  /// The bytes written, followed by the terminator. Never null. Valid until
  /// the next `Write`, assignment or the writer's destruction.
  const unsigned char* GetData() const { return buffer_; }
  /// The number of bytes written, not counting the terminator.
  size_t GetSize() const { return size_; }
  /// The storage's size in bytes, terminator included: at least
  /// `GetSize() + 1`. An addition that makes the growth rule observable.
  size_t GetCapacity() const { return capacity_; }

 private:
  friend struct detail::MemWriterAccess;

  void GrowAndAppend(size_t capacity, const void* data, size_t count);

  unsigned char* buffer_;
  size_t size_;
  size_t capacity_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CMEMWRITER_H
