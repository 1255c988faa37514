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
/// Behaviour
/// ---------
/// - Every get reads the 2 × width characters of its value in exactly one
///   `Read` call, also `GetN` with a count of 0 (a `Read` of length 0, the
///   destination not touched). The characters go to a scratch area: on the
///   stack for up to 4096 characters (2048 value bytes), otherwise one heap
///   array of exactly that size, freed on every exit. The destination is
///   written only once the whole value has been read and decoded.
/// - Members of one width read each other's values: (`GetChar`, `GetBYTE`),
///   (`GetInt`, `GetUint`, `GetLong`, `GetDWORD`), (`GetShort`, `GetWORD`),
///   (`GetInt64`, `GetUint64`, `GetSizet`). `GetLong` sign-extends its 32-bit
///   value and `GetDWORD` zero-extends it where `long` is 64 bits wide.
/// - `GetBool` gets a character through the virtual `GetChar` and gives
///   true for "T" ("54") only; every other character, "F" ("46") and the
///   "01" of a binary bool included, gives false.
///
/// Failures, each leaving the destination as it was and the stream usable:
/// - The reader runs short: its `tvc::TVCBufferUnderrunException` passes
///   unchanged. How much it consumed before throwing is the reader's rule.
/// - A character other than "0"-"9" and "A"-"F" (lower-case digits
///   included) is rejected with `CStreamFormatException`, whose `what()`
///   names the character and its place; the value's characters have been
///   consumed.
/// - The scratch area cannot be allocated: `std::bad_alloc`, before anything
///   is read. A block of more than `SIZE_MAX / 2` bytes, whose text `size_t`
///   cannot express, is refused with `std::bad_array_new_length` (a
///   `std::bad_alloc`) before anything is read.
///
/// Untrusted input
/// ---------------
/// A string or bit vector announces its own length, and its reader allocates
/// room for that many bytes before reading them. For input from another
/// process, `SetLengthLimit` caps that length: a string (`operator>>` into a
/// `VXString` or through a `VXString*`) or a bit vector whose length read
/// from the channel is above the limit (for a bit vector, the bytes its bit
/// count implies, (bits + 7) / 8) is refused with `CStreamFormatException`,
/// whose `what()` names the length and the limit, before anything is
/// allocated; the target keeps its value. The limit starts at the largest
/// `size_t`, so by default no length is refused. `GetN` is not limited: its
/// count comes from the caller.
///
///     in.SetLengthLimit(1 << 20);   // no string or bit vector above 1 MiB
///
/// The stream keeps no count, position or buffer of its own, does not own
/// its reader (which must outlive it) and does not test it. Copies consume
/// from the same reader. The destructor is not virtual (the interface has
/// none): do not destroy a derived stream through this class.
class VX_API CPortableInputStream : public tvc::ITVCInStream {
 public:
  /// Reads from `*reader`; a null reader is accepted but must not be read.
  explicit CPortableInputStream(tvc::ITVCBinaryReader* reader);
  /// Reads from `device.GetReader()`, asked for once, here. What
  /// `GetReader` throws passes to the caller. A device without reader gives
  /// a stream that must not be read from.
  explicit CPortableInputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CPortableInputStream(IReadWriteDevice* device);

  /// A stream on the same reader; see the class comment for what is shared.
  CPortableInputStream(const CPortableInputStream&) = default;
  /// Takes the source's reader and length limit; returns `*this`.
  CPortableInputStream& operator=(const CPortableInputStream&) = default;
  ~CPortableInputStream() = default;

  /// Calls `GetChar`; true for "T" only.
  void GetBool(bool& value) override;
  void GetChar(char& value) override;
  void GetBYTE(unsigned char& value) override;
  void GetInt(int& value) override;
  void GetUint(unsigned int& value) override;
  void GetShort(short& value) override;
  /// Reads a 32-bit value and sign-extends it.
  void GetLong(long& value) override;
  /// Reads a 32-bit value and zero-extends it.
  void GetDWORD(unsigned long& value) override;
  void GetWORD(unsigned short& value) override;
  void GetDouble(double& value) override;
  void GetInt64(std::int64_t& value) override;
  void GetUint64(std::uint64_t& value) override;
  void GetSizet(size_t& value) override;
  void GetN(void* data, size_t count) override;

  /// Refuses, from now on, strings and bit vectors longer than `maxBytes`
  /// bytes (see "Untrusted input" above). Copies of the stream made later
  /// take the limit with them.
  void SetLengthLimit(size_t maxBytes);
  /// The limit set last; the largest `size_t` until one is set.
  size_t GetLengthLimit() const;

 private:
  /// Reads and decodes `n` bytes (1, 2, 4 or 8) into `u.bytes`.
  void ReadType(PersistTypeUnion& u, size_t n);
  /// Reads one value as wide as `Wire` and stores it, converted to `T`
  /// (sign- or zero-extended), only once it was read and decoded whole.
  template <class Wire, class T>
  void GetAs(T& value);

  tvc::ITVCBinaryReader* reader;
  size_t lengthLimit;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CPORTABLEINPUTSTREAM_H
