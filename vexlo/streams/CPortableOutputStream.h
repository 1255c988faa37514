#ifndef VEXLO_STREAMS_CPORTABLEOUTPUTSTREAM_H
#define VEXLO_STREAMS_CPORTABLEOUTPUTSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"
#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"
#include "vexlo/tvc/ITVCOutStream.h"

namespace vx {

/// A typed output stream that writes every value as text: each byte of the
/// value becomes two upper-case hexadecimal digits. `CPortableInputStream`
/// reads the text back.
///
/// The portable text format
/// ------------------------
/// - The output is the concatenation, in call order, of the encodings of the
///   values put. There is no header, type tag, length prefix, separator, line
///   break or terminator: a reader must know the sequence of types.
/// - A value of width w is exactly 2w characters. Its bytes are taken least
///   significant first (integers in two's complement, a `double` as its IEEE
///   754 binary64 bit pattern, NaN payloads and the sign of zero kept); each
///   byte becomes the digit of its high nibble, then that of its low nibble.
/// - Only "0"-"9" (0x30-0x39) and "A"-"F" (0x41-0x46) occur; lower case never.
/// - Widths are those of the binary layout (see `CBinaryOutputStream`):
///   `char`, `unsigned char` 1; `short`, `unsigned short` 2; `int`,
///   `unsigned int`, `long`, `unsigned long` 4 (a 64-bit `long` is cut to
///   its low 32 bits); `double`, the 64-bit integers, `size_t` 8.
/// - A bool is the one-byte character "T" (0x54) for true or "F" (0x46) for
///   false, so it is written "54" or "46", not as the hex of 1 or 0.
/// - A block put with `PutN` is 2 characters per byte, with no count.
///
/// So the text is the binary layout with every byte written as two digits,
/// bools apart. Example, each string being one `Write` call:
///
///     out.PutInt(1000);          // "E8030000"
///     out.PutBool(true);         // "54"
///     out.PutShort(-2);          // "FEFF"
///     out.PutLong(-100);         // "9CFFFFFF"
///     out.PutDouble(-2.5);       // "00000000000004C0"
///     out.PutUint64(0x0102030405060708);  // "0807060504030201"
///     out.PutN("Hi!", 3);        // "486921"
///     // out.Tell() == 30: value bytes, half the 60 characters written
///
/// Behaviour
/// ---------
/// - Every put makes exactly one `Write` call carrying the whole encoded
///   value, also `PutN` with a count of 0 (a `Write` of length 0, the block
///   not read). The encoding is built in a scratch area: on the stack for up
///   to 4096 characters (2048 value bytes), otherwise one heap array of
///   exactly the encoded size, freed on every exit.
/// - `Tell()` is the number of value bytes put, counted before the value is
///   written: after a writer that throws, or a scratch area that cannot be
///   allocated (`std::bad_alloc`), the count includes that value. The
///   exception passes unchanged and the stream stays usable.
/// - A block of more than `SIZE_MAX / 2` bytes, whose encoded size `size_t`
///   cannot express, is counted like any other and then refused with
///   `std::bad_array_new_length` (a `std::bad_alloc`): nothing is written.
/// - `PutBool` puts its character through the virtual `PutChar`, so a
///   derived class that overrides `PutChar` changes bools too.
/// - The stream keeps no buffer between calls, does not own its writer
///   (which must outlive it) and validates nothing. Copies write to the same
///   writer and keep counts of their own, starting from the source's.
class VX_API CPortableOutputStream : public tvc::ITVCOutStream {
 public:
  /// The digits of the format, indexed by a nibble value 0 to 15.
  static constexpr char HexDigits[17] = "0123456789ABCDEF";

  /// Writes to `*writer`; a null writer is accepted but must not be put to.
  explicit CPortableOutputStream(tvc::ITVCBinaryWriter* writer);
  /// Writes to `device.GetWriter()`, asked for once, here. What `GetWriter`
  /// throws passes to the caller. A device without writer gives a stream
  /// that must not be put to.
  explicit CPortableOutputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CPortableOutputStream(IReadWriteDevice* device);

  /// A stream on the same writer; see the class comment for what is shared.
  CPortableOutputStream(const CPortableOutputStream&) = default;
  /// Takes the source's writer and count; returns `*this`.
  CPortableOutputStream& operator=(const CPortableOutputStream&) = default;
  ~CPortableOutputStream() override;

  /// Calls `PutChar('T')` or `PutChar('F')`.
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
  /// Counts, encodes and writes the `n` bytes at `bytes` in one `Write`.
  void WriteType(const unsigned char* bytes, size_t n);

  tvc::ITVCBinaryWriter* writer_;
  size_t byteCount_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CPORTABLEOUTPUTSTREAM_H
