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
/// - A value of width w is its w bytes, least significant first: integers in
///   two's complement where signed, a `double` as its IEEE 754 binary64 bit
///   pattern (NaN payloads and the sign of zero kept).
/// - Widths: `bool`, `char`, `unsigned char` 1; `short`, `unsigned short` 2;
///   `int`, `unsigned int`, `long`, `unsigned long` 4; `double`, the 64-bit
///   integers and `size_t` 8. `long` and `unsigned long` are 32-bit values
///   here also where the platform's `long` is 64 bits wide: `PutLong` and
///   `PutDWORD` write the low 4 bytes of their argument.
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
/// Behaviour
/// ---------
/// - Every put makes exactly one `Write` call carrying the whole value, also
///   `PutN` with a count of 0. No put allocates or copies: `PutN` hands the
///   caller's block to the writer, and `PutInt64`/`PutUint64` the caller's
///   referenced variable itself.
/// - `Tell()` is the number of bytes put; a put is counted once its `Write`
///   has returned. Whatever the writer throws passes unchanged and leaves the
///   count as it was; the stream stays usable.
/// - The stream keeps no buffer, does not own its writer (which must outlive
///   it) and validates nothing. Copies write to the same writer and keep
///   counts of their own, starting from the source's.
class VX_API CBinaryOutputStream : public tvc::ITVCOutStream {
 public:
  /// Writes to `writer`.
  explicit CBinaryOutputStream(tvc::ITVCBinaryWriter& writer);
  /// Writes to `*writer`; a null writer is accepted but must not be put to.
  explicit CBinaryOutputStream(tvc::ITVCBinaryWriter* writer);
  /// Writes to `device.GetWriter()`, asked for once, here. What `GetWriter`
  /// throws passes to the caller. A device without writer gives a stream
  /// that must not be put to.
  explicit CBinaryOutputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CBinaryOutputStream(IReadWriteDevice* device);

  /// A stream on the same writer; see the class comment for what is shared.
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
  /// Writes the low 32 bits of `value`.
  void PutLong(long value) override;
  /// Writes the low 32 bits of `value`.
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
