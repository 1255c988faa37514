#ifndef VEXLO_STREAMS_CPORTABLEINPUTSTREAM_H
#define VEXLO_STREAMS_CPORTABLEINPUTSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"
#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/streams/PersistTypeUnion.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCInStream.h"

namespace vx {

/// A typed input stream that reads the portable text format written by
/// `CPortableOutputStream` (described there) from a byte channel.
///
///     const char text[] = "E803000054";
///     vx::CMemReader reader(reinterpret_cast<const unsigned char*>(text), 10);
///     vx::CPortableInputStream in(&reader);
///     int count; bool flag;
///     in.GetInt(count);                         // "E8030000" -> 1000
///     in.GetBool(flag);                         // "54" -> true
///
/// A loop over the records of a file asks the reader what remains, and so
/// ends without an exception (a record cut off at the end still throws):
///
///     vx::CFileReader file("log.dat", vx::EFileShareCharacteristics::ShareRead);
///     vx::CPortableInputStream records(&file);
///     while (file.GetRemaining() > 0) records >> record;
///
/// A character other than "0"-"9" and "A"-"F", lower-case digits included,
/// is refused with `CStreamFormatException`, whose `what()` names the
/// character and its place; the value's characters have been consumed. A
/// block of more than `SIZE_MAX / 2` bytes, whose text `size_t` cannot
/// express, is refused with `std::bad_array_new_length` before anything is
/// read.
class VX_API CPortableInputStream : public tvc::ITVCInStream {
 public:
  /// Reads from `*reader`; a null reader is accepted but must not be read.
  explicit CPortableInputStream(tvc::ITVCBinaryReader* reader);
  /// Reads from `device.GetReader()`.
  explicit CPortableInputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CPortableInputStream(IReadWriteDevice* device);

  /// A stream on the same reader (see Conventions in vexlo.h).
  CPortableInputStream(const CPortableInputStream&) = default;
  /// Takes the source's reader and length limit; returns `*this`.
  CPortableInputStream& operator=(const CPortableInputStream&) = default;
  ~CPortableInputStream() = default;

  /// Calls the virtual `GetChar`; true for "T" ("54") only, false for any
  /// other character, "F" and the "01" of a binary bool included.
  void GetBool(bool& value) override;
  void GetChar(char& value) override;
  void GetBYTE(unsigned char& value) override;
  void GetInt(int& value) override;
  void GetUint(unsigned int& value) override;
  void GetShort(short& value) override;
  void GetLong(long& value) override;
  void GetDWORD(unsigned long& value) override;
  void GetWORD(unsigned short& value) override;
  void GetDouble(double& value) override;
  void GetInt64(std::int64_t& value) override;
  void GetUint64(std::uint64_t& value) override;
  void GetSizet(size_t& value) override;
  void GetN(void* data, size_t count) override;

  /// Refuses, from now on, strings and bit vectors longer than `maxBytes`
  /// bytes (Length limit, in the Conventions of vexlo.h).
  void SetLengthLimit(size_t maxBytes);
  /// The limit set last; the largest `size_t` until one is set.
  size_t GetLengthLimit() const;

 private:
  void ReadType(PersistTypeUnion& u, size_t n);

  tvc::ITVCBinaryReader* reader_;
  size_t lengthLimit_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CPORTABLEINPUTSTREAM_H
