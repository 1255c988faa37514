#ifndef VEXLO_TVC_ITVCOUTSTREAM_H
#define VEXLO_TVC_ITVCOUTSTREAM_H

#include <cstddef>
#include <cstdint>

#include "vexlo/Export.h"

namespace tvc {

/// A typed output stream: one put operation per fundamental type.
///
/// Each put carries its value at the fixed width that its member gives,
/// whatever the platform's width of the type. The members of one width put
/// alike: (`PutChar`, `PutBYTE`), (`PutInt`, `PutUint`, `PutLong`,
/// `PutDWORD`), (`PutShort`, `PutWORD`), (`PutInt64`, `PutUint64`,
/// `PutSizet`). How the values are encoded is each stream's.
///
/// Every put hands its whole encoded value to the channel in one call, also
/// `PutN` of 0 bytes, and lets whatever the channel throws pass unchanged;
/// the stream stays usable.
///
///     void Save(tvc::ITVCOutStream& out, int id, double score) {
///       out.PutInt(id);
///       out.PutDouble(score);
///     }
///
/// The order of the virtual operations is part of the binary interface.
class VX_API ITVCOutStream {
 public:
  virtual void PutBool(bool value) = 0;            ///< Puts a bool (1 byte).
  virtual void PutChar(char value) = 0;            ///< Puts a character (1 byte).
  virtual void PutBYTE(unsigned char value) = 0;   ///< Puts a byte (1 byte).
  virtual void PutInt(int value) = 0;              ///< Puts a 32-bit signed integer.
  virtual void PutUint(unsigned int value) = 0;    ///< Puts a 32-bit unsigned integer.
  virtual void PutShort(short value) = 0;          ///< Puts a 16-bit signed integer.
  virtual void PutLong(long value) = 0;            ///< Puts the low 32 bits, on every platform.
  virtual void PutDWORD(unsigned long value) = 0;  ///< Puts the low 32 bits, unsigned.
  virtual void PutWORD(unsigned short value) = 0;  ///< Puts a 16-bit unsigned integer.
  virtual void PutDouble(double value) = 0;        ///< Puts an IEEE 754 binary64 value.
  virtual void PutInt64(const std::int64_t& value) = 0;    ///< Puts a 64-bit signed integer.
  virtual void PutUint64(const std::uint64_t& value) = 0;  ///< Puts a 64-bit unsigned integer.
  virtual void PutSizet(size_t value) = 0;                 ///< Puts a size as 64 bits.
  /// Puts the `count` bytes at `data` as a block, with no count before or
  /// after it. `data` is not read when `count` is 0.
  virtual void PutN(const void* data, size_t count) = 0;
  /// The number of value bytes put so far (not the encoded size).
  virtual size_t Tell() = 0;
  /// Whether the stream only measures instead of writing; false for every
  /// stream of this library.
  virtual bool IsMeasure() = 0;
  /// Hook for streams that hold data back. The streams of this library keep
  /// no buffer between calls, so none of them overrides or calls it; the
  /// default does nothing.
  virtual void Flush() {}
  /// Output streams may be destroyed through this interface.
  virtual ~ITVCOutStream() = default;

 protected:
  ITVCOutStream() = default;                                 ///< Implementations only.
  ITVCOutStream(const ITVCOutStream&) = default;             ///< Implementations only.
  ITVCOutStream& operator=(const ITVCOutStream&) = default;  ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCOUTSTREAM_H
