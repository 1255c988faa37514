#ifndef VEXLO_CHANNELS_INTERNAL_VALUECOPY_H
#define VEXLO_CHANNELS_INTERNAL_VALUECOPY_H

/// \file
/// Internal (not installed): the byte copies of the memory channels.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vx {
namespace detail {

/// Copies 16 bytes as two 8-byte halves, both read before either is
/// written. The portable stream builds a value's 16 characters with two
/// 8-byte stores just before it hands them on: a single 16-byte load of
/// them would wait for both stores to retire instead of taking their data
/// from the store buffer. The empty asm statement keeps the compiler from
/// merging the two loads into that one load.
inline void CopySixteen(void* to, const void* from) noexcept {
  std::uint64_t low;
  std::uint64_t high;
  std::memcpy(&low, from, 8);
  __asm__("" : "+r"(low));
  std::memcpy(&high, static_cast<const unsigned char*>(from) + 8, 8);
  std::memcpy(to, &low, 8);
  std::memcpy(static_cast<unsigned char*>(to) + 8, &high, 8);
}

/// Copies `count` bytes from `from` to `to`, like memmove: the two may
/// overlap, as when a writer is handed its own bytes. The typed streams
/// hand a channel one value per call, 1, 2, 4 or 8 bytes, or twice that as
/// portable text; for those counts the compiler copies with one or two moves
/// instead of calling memmove.
inline void CopyValue(void* to, const void* from, size_t count) noexcept {
  switch (count) {
    case 1:
      std::memmove(to, from, 1);
      break;
    case 2:
      std::memmove(to, from, 2);
      break;
    case 4:
      std::memmove(to, from, 4);
      break;
    case 8:
      std::memmove(to, from, 8);
      break;
    case 16:
      CopySixteen(to, from);
      break;
    default:
      std::memmove(to, from, count);
  }
}

/// The growth step that `CMemWriter` and `PXIpcStreamBuf` share: moves the
/// first `used` bytes of `storage` (null when `used` is 0) into new storage
/// of `capacity` bytes from `new Byte[]`, appends the `count` bytes at `data`
/// behind them, and releases the old storage with `delete[]`. `data` may lie
/// in the old storage: it is copied before the release. Should the
/// allocation throw, nothing has changed.
template <class Byte>
void GrowStorage(Byte*& storage, size_t used, size_t capacity, const void* data, size_t count) {
  Byte* const fresh = new Byte[capacity];
  if (used != 0) std::memcpy(fresh, storage, used);
  if (count != 0) std::memcpy(fresh + used, data, count);
  delete[] storage;
  storage = fresh;
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_VALUECOPY_H
