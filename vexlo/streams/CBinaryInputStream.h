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
/// `CBinaryOutputStream` (described there) from a byte channel, value for
/// value.
///
///     const unsigned char bytes[] = {0xE8, 0x03, 0x00, 0x00, 0x01};
///     vx::CMemReader reader(bytes, sizeof bytes, false);
///     vx::CBinaryInputStream in(reader);
///     int count; bool flag;
///     in.GetInt(count);                         // E8 03 00 00 -> 1000
///     in.GetBool(flag);                         // 01 -> true
///
/// A bool byte other than 00 or 01 cannot have come from a bool: `GetBool`
/// consumes it and throws `CStreamFormatException` instead of taking it as
/// true.
class VX_API CBinaryInputStream : public tvc::ITVCInStream {
 public:
  /// Reads from `reader`.
  explicit CBinaryInputStream(tvc::ITVCBinaryReader& reader);
  /// Reads from `*reader`; a null reader is accepted but must not be read.
  explicit CBinaryInputStream(tvc::ITVCBinaryReader* reader);
  /// Reads from `device.GetReader()`.
  explicit CBinaryInputStream(IReadWriteDevice& device);
  /// As the reference form; `device` must not be null.
  explicit CBinaryInputStream(IReadWriteDevice* device);

  /// A stream on the same reader (see Conventions in vexlo.h).
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
  void GetLong(long& value) override;
  void GetDWORD(unsigned long& value) override;
  void GetWORD(unsigned short& value) override;
  void GetDouble(double& value) override;
  void GetInt64(std::int64_t& value) override;
  void GetUint64(std::uint64_t& value) override;
  void GetSizet(size_t& value) override;
  /// Reads the block into a scratch area and copies it to `data` only once
  /// all of it arrived: a channel that fails part way has placed what it
  /// had (read(2) and ReadFile write as they go and keep no copy of the
  /// bytes they replace), so reading straight into `data` could not leave
  /// it as it was. That copy is the price: a file read in 64 KiB blocks
  /// takes about 1.25x the time of `CFileReader::Read` into the block.
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

#endif  // VEXLO_STREAMS_CBINARYINPUTSTREAM_H
