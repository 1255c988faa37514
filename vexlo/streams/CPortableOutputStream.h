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
/// The text is the binary layout (`CBinaryOutputStream`) with every byte
/// written as two digits, that of its high nibble first, bools apart:
/// - Only "0"-"9" (0x30-0x39) and "A"-"F" (0x41-0x46) occur; lower case never.
///   A value of width w is exactly 2w characters; there is nothing between
///   values.
/// - A bool is the one-byte character "T" (0x54) for true or "F" (0x46) for
///   false, so it is written "54" or "46", not as the hex of 1 or 0.
///
/// Example, each string being one `Write` call:
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
/// `Tell()` counts a value before writing it: after a writer that throws, a
/// scratch area that cannot be allocated, or a block of more than
/// `SIZE_MAX / 2` bytes, whose text `size_t` cannot express and which is
/// refused with `std::bad_array_new_length` before anything is written, the
/// count includes that value.
class VX_API CPortableOutputStream : public tvc::ITVCOutStream {
 public:
  /// The digits of the format, indexed by a nibble value 0 to 15.
  static constexpr char HexDigits[17] = "0123456789ABCDEF";

  /// Writes to `*writer`; a null writer is accepted but must not be put to.
  explicit CPortableOutputStream(tvc::ITVCBinaryWriter* writer);
  /// Writes to `device.GetWriter()`.
  explicit CPortableOutputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CPortableOutputStream(IReadWriteDevice* device);

  /// A stream on the same writer (see Conventions in vexlo.h).
  CPortableOutputStream(const CPortableOutputStream&) = default;
  /// Takes the source's writer and count; returns `*this`.
  CPortableOutputStream& operator=(const CPortableOutputStream&) = default;
  ~CPortableOutputStream() override;

  /// Calls the virtual `PutChar('T')` or `PutChar('F')`: a derived class
  /// that overrides `PutChar` changes bools too.
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
  /// Counts, encodes and writes the `n` bytes at `bytes` in one `Write`.
  void WriteType(const unsigned char* bytes, size_t n);

  tvc::ITVCBinaryWriter* writer_;
  size_t byteCount_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CPORTABLEOUTPUTSTREAM_H
