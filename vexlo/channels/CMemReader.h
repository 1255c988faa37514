#ifndef VEXLO_CHANNELS_CMEMREADER_H
#define VEXLO_CHANNELS_CMEMREADER_H

#include <cstddef>
#include <memory>
#include <vector>

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {

namespace detail {
struct MemReaderAccess;  // the library's typed streams, which read the buffer in place
}  // namespace detail

/// A byte reader over a buffer of fixed size, read in place from front to
/// back from position 0; only `Read` advances the position. `final`: the
/// destructor is not virtual.
///
/// The caller keeps the buffer, unless told (`own`) to hand over one from
/// `new unsigned char[]`: then the reader and its copies share it, and the
/// last of them releases it with `delete[]`.
///
///     vx::CMemReader in(bytes);
///     while (in.GetRemaining() > 0) in.Read(&byte, 1);
class VX_API CMemReader final : public tvc::ITVCBinaryReader {
 public:
  /// Reads the `size` bytes at `data`, which must stay valid while a copy
  /// lives unless `own`. Owned, `data` (or null) is released also when the
  /// shared owner cannot be allocated, before `std::bad_alloc` propagates.
  CMemReader(const unsigned char* data, size_t size, bool own = false);
  /// Reads the vector's storage in place, as it stands at each read; the
  /// vector must neither go nor reallocate while the reader lives.
  explicit CMemReader(const std::vector<unsigned char>& bytes) noexcept;
  /// The same buffer at the same position; the positions then move apart.
  CMemReader(const CMemReader& other) noexcept;
  CMemReader& operator=(const CMemReader& other) noexcept;  ///< As the copy; gives up a share.
  ~CMemReader();                                            ///< Gives up a share of the buffer.

  /// Copies the next `count` bytes into `buffer` and advances past them.
  /// Short of bytes, it copies nothing, keeps its position, logs through
  /// `tvc::LogErr` the line (with `count`, position and size)
  /// "CMemReader Read failure - attempt to read 7 bytes from position 4 of
  /// 10 byte buffer" and throws `tvc::TVCBufferUnderrunException`. A read of
  /// 0 bytes always succeeds; `buffer` may then be null.
  void Read(void* buffer, size_t count) override;

  size_t GetRemaining() const;  ///< The bytes after the position.

 private:
  friend struct detail::MemReaderAccess;

  const unsigned char* data_;
  size_t size_;
  size_t position_;
  std::shared_ptr<const unsigned char[]> owner_;  // set exactly when the buffer is owned
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CMEMREADER_H
