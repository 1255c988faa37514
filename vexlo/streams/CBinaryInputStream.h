#ifndef VEXLO_STREAMS_CBINARYINPUTSTREAM_H
#define VEXLO_STREAMS_CBINARYINPUTSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"
#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/streams/PersistTypeUnion.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCInStream.h"

namespace vx {

/// A typed input stream that reads the binary layout written by
/// `CBinaryOutputStream` (described there) from a byte channel: the mirror
/// of that stream, so that whatever it wrote reads back value for value.
///
///     const unsigned char bytes[] = {0xE8, 0x03, 0x00, 0x00, 0x01};
///     vx::CMemReader reader(bytes, sizeof bytes, false);
///     vx::CBinaryInputStream in(reader);
///     int count; bool flag;
///     in.GetInt(count);                         // E8 03 00 00 -> 1000
///     in.GetBool(flag);                         // 01 -> true
///
/// Behaviour
/// ---------
/// - Every get reads the width bytes of its value in exactly one `Read`
///   call, also `GetN` with a count of 0 (a `Read` of length 0, the
///   destination not touched). The destination is written only once the
///   whole value has been read, so `GetN` reads through a scratch area: on
///   the stack for up to 4096 bytes, otherwise one heap array of exactly the
///   block's size, freed on every exit.
/// - Members of one width read each other's values, as in
///   `CPortableInputStream`. `GetLong` sign-extends its 32-bit value and
///   `GetDWORD` zero-extends it where `long` is 64 bits wide.
/// - `GetBool` reads its byte directly (as `PutBool` writes it directly):
///   00 gives false, 01 true. Any other byte cannot have come from a bool,
///   and means that the reader is out of step with the writer; it is
///   rejected with `CStreamFormatException` rather than taken as true.
///
/// Failures, each leaving the destination as it was and the stream usable:
/// - The reader runs short: its `tvc::TVCBufferUnderrunException` passes
///   unchanged. How much it consumed before throwing is the reader's rule.
/// - A bool byte other than 00 or 01: `CStreamFormatException`; the byte has
///   been consumed.
/// - The scratch area of `GetN` cannot be allocated: `std::bad_alloc`
///   (`std::bad_array_new_length` for more than `PTRDIFF_MAX` bytes), before
///   anything is read.
///
/// Untrusted input: `SetLengthLimit` caps the length that a string or bit
/// vector read through the stream may announce, refusing a longer one with
/// `CStreamFormatException` before anything is allocated, exactly as for
/// `CPortableInputStream` (see there). By default there is no limit.
///
/// The stream keeps no count, position or buffer of its own, does not own
/// its reader (which must outlive it) and does not test it. Copies consume
/// from the same reader. The destructor is not virtual (the interface has
/// none): do not destroy a derived stream through this class.
class VX_API CBinaryInputStream : public tvc::ITVCInStream {
 public:
  /// Reads from `reader`.
  explicit CBinaryInputStream(tvc::ITVCBinaryReader& reader);
  /// Reads from `*reader`; a null reader is accepted but must not be read.
  explicit CBinaryInputStream(tvc::ITVCBinaryReader* reader);
  /// Reads from `device.GetReader()`, asked for once, here. What
  /// `GetReader` throws passes to the caller. A device without reader gives
  /// a stream that must not be read from.
  explicit CBinaryInputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CBinaryInputStream(IReadWriteDevice* device);

  /// A stream on the same reader; see the class comment for what is shared.
  CBinaryInputStream(const CBinaryInputStream&) = default;
  /// Takes the source's reader and length limit; returns `*this`.
  CBinaryInputStream& operator=(const CBinaryInputStream&) = default;
  ~CBinaryInputStream() = default;

  /// 00 -> false, 01 -> true, anything else `CStreamFormatException`.
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
  /// Reads `n` bytes (1, 2, 4 or 8) into `u.bytes`.
  void ReadType(PersistTypeUnion& u, size_t n);
  tvc::ITVCBinaryReader* reader_;
  size_t lengthLimit_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CBINARYINPUTSTREAM_H
