#ifndef VEXLO_STREAMS_PERSISTTYPEUNION_H
#define VEXLO_STREAMS_PERSISTTYPEUNION_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vx {

/// One fixed-width value of the stream formats as its bytes: 8 bytes, the
/// width of the widest value, aligned for any of them. `bytes` holds the
/// value least significant byte first; `As<T>()` copies its first
/// `sizeof(T)` bytes in the host's order, through `std::memcpy`, since
/// reading a member other than the one last written is not defined by the
/// language. The input streams no longer use it (see the CHANGELOG).
union PersistTypeUnion {
  unsigned char bytes[8];     ///< The decoded bytes, least significant first.
  bool boolValue;             ///< A bool (1 byte).
  char charValue;             ///< A character (1 byte).
  unsigned char byteValue;    ///< A byte.
  short shortValue;           ///< A 16-bit signed integer.
  unsigned short wordValue;   ///< A 16-bit unsigned integer.
  int intValue;               ///< A 32-bit signed integer.
  unsigned int uintValue;     ///< A 32-bit unsigned integer.
  std::int32_t longValue;     ///< A `long` of the formats.
  std::uint32_t dwordValue;   ///< An `unsigned long` of the formats.
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
