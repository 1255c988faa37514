#ifndef VEXLO_INTERNAL_BYTEORDER_H
#define VEXLO_INTERNAL_BYTEORDER_H

/// \file
/// Internal: the one place that knows the host's byte order.
///
/// Both stream formats carry every multi-byte value least significant byte
/// first, whatever the host. The streams never look at a value's memory
/// themselves: an output stream gets the value's wire bytes through
/// `WithLittleEndianBytes`, an input stream makes the value from them with
/// `LoadLittleEndian`. On a little-endian host both are plain copies that the
/// compiler removes (the output stream hands the value's own memory on); on
/// a big-endian host the bytes are reversed, through an unsigned integer of
/// the value's width, so a `double` is never held with its bytes swapped.
/// The string scans ask `kHostLittleEndian` which end of a word holds the
/// first byte in memory.
///
///     WithLittleEndianBytes(value, [&](const unsigned char* bytes) {
///       writer->Write(bytes, sizeof value);          // one Write, as ever
///     });
///     const double d = LoadLittleEndian<double>(u.bytes);

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vx {
namespace detail {

#if defined(_WIN32)
constexpr bool kHostLittleEndian = true;
#elif defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && defined(__ORDER_BIG_ENDIAN__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ || __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__,
              "mixed-endian hosts are not supported");
constexpr bool kHostLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
#else
# error "unknown byte order: define __BYTE_ORDER__ for this compiler"
#endif

/// The unsigned integer `Width` bytes wide, through which a value's bytes
/// are reversed.
template <size_t Width>
using UnsignedOfWidth = std::conditional_t<
    Width == 1, std::uint8_t,
    std::conditional_t<Width == 2, std::uint16_t,
                       std::conditional_t<Width == 4, std::uint32_t, std::uint64_t>>>;

/// `v` with the order of its bytes reversed.
inline std::uint8_t ReverseBytes(std::uint8_t v) noexcept { return v; }
#if defined(__GNUC__) || defined(__clang__)
inline std::uint16_t ReverseBytes(std::uint16_t v) noexcept { return __builtin_bswap16(v); }
inline std::uint32_t ReverseBytes(std::uint32_t v) noexcept { return __builtin_bswap32(v); }
inline std::uint64_t ReverseBytes(std::uint64_t v) noexcept { return __builtin_bswap64(v); }
#else
inline std::uint16_t ReverseBytes(std::uint16_t v) noexcept {
  return static_cast<std::uint16_t>(v << 8 | v >> 8);
}
inline std::uint32_t ReverseBytes(std::uint32_t v) noexcept {
  return (v << 24) | ((v << 8) & 0x00FF0000u) | ((v >> 8) & 0x0000FF00u) | (v >> 24);
}
inline std::uint64_t ReverseBytes(std::uint64_t v) noexcept {
  return static_cast<std::uint64_t>(ReverseBytes(static_cast<std::uint32_t>(v))) << 32 |
         ReverseBytes(static_cast<std::uint32_t>(v >> 32));
}
#endif

/// Writes the `sizeof(T)` bytes of `value`, least significant first, to `out`.
template <class T>
void StoreLittleEndian(const T& value, unsigned char* out) noexcept {
  static_assert(std::is_trivially_copyable<T>::value && sizeof(T) <= 8, "a fixed-width value");
  if constexpr (kHostLittleEndian) {
    std::memcpy(out, &value, sizeof value);
  } else {
    UnsignedOfWidth<sizeof(T)> bits;
    std::memcpy(&bits, &value, sizeof value);
    bits = ReverseBytes(bits);
    std::memcpy(out, &bits, sizeof value);
  }
}

/// The value of type `T` whose bytes, least significant first, are the
/// `sizeof(T)` bytes at `in`.
template <class T>
T LoadLittleEndian(const unsigned char* in) noexcept {
  static_assert(std::is_trivially_copyable<T>::value && sizeof(T) <= 8, "a fixed-width value");
  T value;
  if constexpr (kHostLittleEndian) {
    std::memcpy(&value, in, sizeof value);
  } else {
    UnsignedOfWidth<sizeof(T)> bits;
    std::memcpy(&bits, in, sizeof value);
    bits = ReverseBytes(bits);
    std::memcpy(&value, &bits, sizeof value);
  }
  return value;
}

/// Calls `use(bytes)` with `bytes` pointing to the `sizeof(T)` bytes of
/// `value` least significant first: `value`'s own memory on a little-endian
/// host, a converted copy on the stack of this call otherwise.
template <class T, class Use>
void WithLittleEndianBytes(const T& value, Use use) {
  if constexpr (kHostLittleEndian) {
    use(reinterpret_cast<const unsigned char*>(&value));
  } else {
    unsigned char bytes[sizeof(T)];
    StoreLittleEndian(value, bytes);
    use(static_cast<const unsigned char*>(bytes));
  }
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_INTERNAL_BYTEORDER_H
