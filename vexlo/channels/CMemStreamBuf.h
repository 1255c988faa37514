#ifndef VEXLO_CHANNELS_CMEMSTREAMBUF_H
#define VEXLO_CHANNELS_CMEMSTREAMBUF_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/channels/IReadWriteDevice.h"

namespace vx {

class CMemReader;
class CMemWriter;

/// The memory device: a read buffer over the caller's bytes, which hands out
/// a `CMemReader`, or a write buffer, which hands out a `CMemWriter` and
/// gives access to what was written. One buffer never offers both: to read
/// back what a write buffer holds, build a read buffer over its `str()` and
/// `out_waiting()`.
///
/// The buffer owns its one channel, made by the constructor and destroyed
/// with the buffer. Buffers are not copyable.
///
///     vx::CMemStreamBuf out;                    // write buffer, 1024 bytes
///     out.GetWriter()->Write("hello", 5);
///     vx::CMemStreamBuf in(out.str(), out.out_waiting());
///     char word[5];
///     in.GetReader()->Read(word, 5);            // "hello"
class VX_API CMemStreamBuf : public IReadWriteDevice {
 public:
  /// A read buffer over the `size` bytes at `data`, read in place from
  /// position 0 by a `CMemReader` that does not own them: the caller keeps
  /// the bytes valid and unchanged for the buffer's lifetime. The bytes are
  /// never copied or modified. `GetWriter()` is null.
  CMemStreamBuf(const char* data, size_t size);
  /// The same as the `const char*` form.
  CMemStreamBuf(char* data, size_t size);

  /// A write buffer with room for 1024 bytes, as `CMemStreamBuf(1024)`. Not
  /// explicit, so that arrays of buffers can also be value-initialised:
  ///
  ///     vx::CMemStreamBuf buffers[4] = {};
  CMemStreamBuf();
  /// A write buffer: its writer is a `CMemWriter(initialSize)`, with room for
  /// exactly `initialSize` bytes before it grows (and growing as needed
  /// after). The second and third arguments have no effect. `GetReader()` is
  /// null.
  explicit CMemStreamBuf(size_t initialSize, size_t = 0, size_t = 0);

  CMemStreamBuf(const CMemStreamBuf&) = delete;
  CMemStreamBuf& operator=(const CMemStreamBuf&) = delete;

  /// Destroys the writer, if any, then the reader, if any.
  ~CMemStreamBuf() override;

  /// The reader of a read buffer; null for a write buffer.
  tvc::ITVCBinaryReader* GetReader() override;
  /// The writer of a write buffer; null for a read buffer.
  tvc::ITVCBinaryWriter* GetWriter() override;

  /// The bytes written so far, followed by one zero byte; valid until the
  /// next write or the buffer's destruction. A read buffer has written
  /// nothing: it answers an empty text (a pointer to a zero byte, never null)
  /// rather than failing, so that a caller can treat both kinds alike.
  const char* str();
  /// The number of bytes written so far; 0 for a read buffer.
  size_t out_waiting();

 private:
  CMemReader* reader_;
  CMemWriter* writer_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CMEMSTREAMBUF_H
