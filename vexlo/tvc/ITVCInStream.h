#ifndef VEXLO_TVC_ITVCINSTREAM_H
#define VEXLO_TVC_ITVCINSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"

namespace tvc {

/// A typed input stream: one get operation per fundamental type, the mirror
/// of `ITVCOutStream`, with its widths and groups of one width, which read
/// each other's values.
///
/// Each get reads its whole encoded value from the channel in one call, also
/// `GetN` of 0 bytes, and stores it into the referenced object only once it was read and decoded
/// completely: whatever the channel or the decoding throws passes unchanged
/// and leaves the destination as it was, and the stream usable.
///
///     int id; double score;
///     in.GetInt(id);
///     in.GetDouble(score);
///
/// The order of the virtual operations is part of the binary interface.
class VX_API ITVCInStream {
 public:
  virtual void GetBool(bool& value) = 0;             ///< Gets a bool (1 byte).
  virtual void GetChar(char& value) = 0;             ///< Gets a character (1 byte).
  virtual void GetBYTE(unsigned char& value) = 0;    ///< Gets a byte (1 byte).
  virtual void GetInt(int& value) = 0;               ///< Gets a 32-bit signed integer.
  virtual void GetUint(unsigned int& value) = 0;     ///< Gets a 32-bit unsigned integer.
  virtual void GetShort(short& value) = 0;           ///< Gets a 16-bit signed integer.
  virtual void GetLong(long& value) = 0;             ///< Gets 32 bits, sign-extended.
  virtual void GetDWORD(unsigned long& value) = 0;   ///< Gets 32 bits, zero-extended.
  virtual void GetWORD(unsigned short& value) = 0;   ///< Gets a 16-bit unsigned integer.
  virtual void GetDouble(double& value) = 0;         ///< Gets an IEEE 754 binary64 value.
  virtual void GetInt64(std::int64_t& value) = 0;    ///< Gets a 64-bit signed integer.
  virtual void GetUint64(std::uint64_t& value) = 0;  ///< Gets a 64-bit unsigned integer.
  virtual void GetSizet(size_t& value) = 0;          ///< Gets a 64-bit size.
  /// Reads a block of `count` bytes into `data`; `data` is not written when
  /// `count` is 0 or when the read fails.
  virtual void GetN(void* data, size_t count) = 0;

 protected:
  ITVCInStream() = default;                                ///< Implementations only.
  ITVCInStream(const ITVCInStream&) = default;             ///< Implementations only.
  ITVCInStream& operator=(const ITVCInStream&) = default;  ///< Implementations only.
  ~ITVCInStream() = default;                               ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCINSTREAM_H
