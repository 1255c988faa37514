#ifndef VEXLO_CHANNELS_INTERNAL_VALUECOPY_H
#define VEXLO_CHANNELS_INTERNAL_VALUECOPY_H

/// \file
/// Internal (not installed): the byte copy of the memory channels.

#include <cstddef>
#include <cstring>

namespace vx {
namespace detail {

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
      std::memmove(to, from, 16);
      break;
    default:
      std::memmove(to, from, count);
  }
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_VALUECOPY_H
