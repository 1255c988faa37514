#ifndef VEXLO_STREAMS_PERSISTTYPEUNION_H
#define VEXLO_STREAMS_PERSISTTYPEUNION_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vx {

/// The home of one decoded fixed-width value while an input stream reads it:
/// 8 bytes, the width of the widest value, aligned for any of them.
///
/// A stream decodes the value's bytes, least significant first, into the
/// first 1, 2, 4 or 8 elements of `bytes` and makes the value from them for
/// the caller's variable only when the whole value has been read and
/// decoded. It reads them as the little-endian bytes they are, on any host;
/// `As` is the plain copy of the host's own order (the value itself on a
/// little-endian host). The copy goes through `std::memcpy` from `bytes`
/// rather than through a typed member, since reading a member other than the
/// one last written is not defined by the language; the typed members name
/// the values the union is meant to hold.
///
///     vx::PersistTypeUnion u;
///     ReadType(u, 4);                    // fills u.bytes[0..3], E8 03 00 00
///     // a little-endian host: u.As<std::int32_t>() == 1000
///
/// `long` and `unsigned long` are 32-bit values in the stream formats, so
/// their members are the fixed-width 32-bit types.
union PersistTypeUnion {
  unsigned char bytes[8];     ///< The decoded bytes, least significant first.
  bool boolValue;             ///< A bool (1 byte).
  char charValue;             ///< A character (1 byte).
  unsigned char byteValue;    ///< A byte.
  short shortValue;           ///< A 16-bit signed integer.
  unsigned short wordValue;   ///< A 16-bit unsigned integer.
  int intValue;               ///< A 32-bit signed integer.
  unsigned int uintValue;     ///< A 32-bit unsigned integer.
  std::int32_t longValue;     ///< A `long` of the formats: 32-bit signed.
  std::uint32_t dwordValue;   ///< An `unsigned long` of the formats: 32-bit unsigned.
  double doubleValue;         ///< An IEEE 754 binary64 value.
  std::int64_t int64Value;    ///< A 64-bit signed integer.
  std::uint64_t uint64Value;  ///< A 64-bit unsigned integer.
  std::uint64_t sizetValue;   ///< A size, carried as 64 bits.

  /// The value of type `T` whose memory, in the host's byte order, is the
  /// first `sizeof(T)` elements of `bytes`.
  template <class T>
  T As() const {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
};

static_assert(sizeof(PersistTypeUnion) == 8, "the widest value is 8 bytes");

}  // namespace vx

#endif  // VEXLO_STREAMS_PERSISTTYPEUNION_H
