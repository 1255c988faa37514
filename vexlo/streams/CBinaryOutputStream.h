#ifndef VEXLO_STREAMS_CBINARYOUTPUTSTREAM_H
#define VEXLO_STREAMS_CBINARYOUTPUTSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"
#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"
#include "vexlo/tvc/ITVCOutStream.h"

namespace vx {

/// A typed output stream that writes every value as its raw bytes to a byte
/// channel. `CBinaryInputStream` reads the layout back.
///
/// The binary layout
/// -----------------
/// - The output is the concatenation, in call order, of the bytes of the
///   values put. There is no header, type tag, length prefix, alignment,
///   padding or terminator: a reader must know the sequence of types.
/// - A value is its bytes at the width of `tvc::ITVCOutStream`, least
///   significant first: integers in two's complement where signed, a
///   `double` as its bit pattern (NaN payloads and the sign of zero kept).
/// - A bool is one byte: 01 for true, 00 for false.
/// - A block put with `PutN` is its n bytes unchanged, with no count.
///
/// Example, each group being one `Write` call:
///
///     out.PutInt(1000);          // E8 03 00 00
///     out.PutBool(true);         // 01
///     out.PutShort(-2);          // FE FF
///     out.PutLong(-1);           // FF FF FF FF
///     out.PutDouble(1.0);        // 00 00 00 00 00 00 F0 3F
///     out.PutSizet(300);         // 2C 01 00 00 00 00 00 00
///     out.PutN("Hi!", 3);        // 48 69 21
///     // out.Tell() == 30
///
/// No put allocates or copies: `PutN` hands the caller's block to the writer,
/// `PutInt64` and `PutUint64` the caller's variable itself. `Tell()` counts a
/// put once its `Write` has returned, so a writer that throws leaves the
/// count as it was.
class VX_API CBinaryOutputStream : public tvc::ITVCOutStream {
 public:
  /// Writes to `writer`.
  explicit CBinaryOutputStream(tvc::ITVCBinaryWriter& writer);
  /// Writes to `*writer`; a null writer is accepted but must not be put to.
  explicit CBinaryOutputStream(tvc::ITVCBinaryWriter* writer);
  /// Writes to `device.GetWriter()`.
  explicit CBinaryOutputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CBinaryOutputStream(IReadWriteDevice* device);

  /// A stream on the same writer (see Conventions in vexlo.h).
  CBinaryOutputStream(const CBinaryOutputStream&) = default;
  /// Takes the source's writer and count; returns `*this`.
  CBinaryOutputStream& operator=(const CBinaryOutputStream&) = default;
  ~CBinaryOutputStream() override;

  void PutBool(bool value) override;
  void PutChar(char value) override;
  void PutBYTE(unsigned char value) override;
  void PutInt(int value) override;
  void PutUint(unsigned int value) override;
  void PutShort(short value) override;
  void PutLong(long value) override;
  void PutDWORD(unsigned long value) override;
  void PutWORD(unsigned short value) override;
  void PutDouble(double value) override;
  void PutInt64(const std::int64_t& value) override;
  void PutUint64(const std::uint64_t& value) override;
  void PutSizet(size_t value) override;
  void PutN(const void* data, size_t count) override;
  size_t Tell() override;
  /// False: the stream writes.
  bool IsMeasure() override;

 private:
  void Put(const void* value, size_t width);

  tvc::ITVCBinaryWriter* writer_;
  size_t byteCount_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CBINARYOUTPUTSTREAM_H
