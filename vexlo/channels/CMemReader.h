#ifndef VEXLO_CHANNELS_CMEMREADER_H
#define VEXLO_CHANNELS_CMEMREADER_H

#include <cstddef>
#include <memory>
#include <vector>

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {

/// A byte reader over a buffer of fixed size, read in place from front to
/// back; the bytes are never copied.
///
/// The reader keeps a position, starting at 0, that only `Read` advances.
/// Asked for more bytes than remain, it logs the line
///
///     CMemReader Read failure - attempt to read 7 bytes from position 4 of 10 byte buffer
///
/// through `tvc::LogErr` and throws `tvc::TVCBufferUnderrunException`; it
/// copies nothing then, keeps its position and stays usable.
///
/// The destructor is not virtual (the reader interface has none), so the
/// class is `final`: it is destroyed through its own type only.
///
/// Ownership: by default the caller keeps the buffer. Told so (`own`), the
/// reader takes over a buffer allocated with `new unsigned char[]` and
/// releases it with `delete[]`. The buffer is then held by a shared owner:
/// copies of an owning reader share it, and the last of them to be destroyed
/// or reassigned releases it, exactly once.
///
///     std::vector<unsigned char> bytes = Receive();
///     vx::CMemReader in(bytes);
///     unsigned char header[4];
///     in.Read(header, 4);  // throws (after logging) if fewer than 4 bytes
class VX_API CMemReader final : public tvc::ITVCBinaryReader {
 public:
  /// Reads the `size` bytes at `data`, from position 0.
  ///
  /// - `own` false (the default, so that a reader never releases a buffer
  ///   unless told so explicitly): the caller keeps the buffer, which must
  ///   stay valid and unchanged in size while any copy of the reader lives.
  /// - `own` true: `data` must come from `new unsigned char[]` (or be null);
  ///   the reader and its copies release it. Should the shared owner not be
  ///   allocated, the buffer is released at once and `std::bad_alloc`
  ///   propagates: the caller releases nothing in either case.
  CMemReader(const unsigned char* data, size_t size, bool own = false);

  /// Reads the vector's storage in place, from position 0: its size now is
  /// the reader's size. The vector must outlive the reader and must not
  /// reallocate meanwhile; bytes changed in place are read as they stand at
  /// the time of the read. Never throws.
  explicit CMemReader(const std::vector<unsigned char>& bytes) noexcept;

  /// Reads the same buffer from the same position; afterwards the two
  /// positions advance independently. A copy of an owning reader shares the
  /// ownership of the buffer. Never throws.
  CMemReader(const CMemReader& other) noexcept;
  /// As the copy constructor. The buffer that the target owned (its share of
  /// it) is given up first, and released if the target was its last owner.
  /// Self-assignment changes nothing.
  CMemReader& operator=(const CMemReader& other) noexcept;
  /// Gives up the reader's share of an owned buffer; the last owner releases
  /// it. A buffer not owned is left alone.
  ~CMemReader();

  /// Copies the next `count` bytes into `buffer` and advances past them. If
  /// fewer than `count` bytes remain, logs through `tvc::LogErr` with the
  /// format "CMemReader Read failure - attempt to read %Iu bytes from
  /// position %Iu of %Iu byte buffer" and the values `count`, position, size,
  /// then throws `tvc::TVCBufferUnderrunException`: nothing is copied and the
  /// position is unchanged. A read of 0 bytes always succeeds, also at the
  /// end; `buffer` may then be null.
  void Read(void* buffer, size_t count) override;

 private:
  const unsigned char* data_;
  size_t size_;
  size_t position_;
  /// Set exactly when the buffer is owned.
  std::shared_ptr<const unsigned char[]> owner_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CMEMREADER_H
