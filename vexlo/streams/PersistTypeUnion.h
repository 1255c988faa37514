#ifndef VEXLO_STREAMS_PERSISTTYPEUNION_H
#define VEXLO_STREAMS_PERSISTTYPEUNION_H

#include <cstddef>
#include <cstdint>

namespace vx {

/// The home of one decoded fixed-width value while an input stream reads it:
/// 8 bytes, the width of the widest value, aligned for any of them.
///
/// A stream decodes the value's bytes, least significant first, into the
/// first 1, 2, 4 or 8 elements of `bytes` and copies the value out of them
/// into the caller's variable only when the whole value has been read and
/// decoded. The copy goes through `std::memcpy` from `bytes` rather than
/// through a typed member, since reading a member other than the one last
/// written is not defined by the language; the typed members name the
/// values the union is meant to hold.
///
///     vx::PersistTypeUnion u;
///     ReadType(u, 4);                                  // fills u.bytes[0..3]
///     std::int32_t v; std::memcpy(&v, u.bytes, 4);
///
/// `long` and `unsigned long` are 32-bit values in the stream formats, so
/// their members are the fixed-width 32-bit types.
union PersistTypeUnion {
  unsigned char bytes[8];
  bool boolValue;
  char charValue;
  unsigned char byteValue;
  short shortValue;
  unsigned short wordValue;
  int intValue;
  unsigned int uintValue;
  std::int32_t longValue;
  std::uint32_t dwordValue;
  double doubleValue;
  std::int64_t int64Value;
  std::uint64_t uint64Value;
  std::uint64_t sizetValue;
};

static_assert(sizeof(PersistTypeUnion) == 8, "the widest value is 8 bytes");

}  // namespace vx

#endif  // VEXLO_STREAMS_PERSISTTYPEUNION_H
