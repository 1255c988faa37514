#ifndef VEXLO_STRINGS_VXSTRINGREP_H
#define VEXLO_STRINGS_VXSTRINGREP_H

/// \file
/// `vx::detail::VXStringRep`, the record that `VXString` handles share. Not for direct use: it
/// is public only because the string's inline members read it.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vx {
namespace detail {

/// The shared record behind one or more `VXString` handles; only the string classes touch it.
/// - `buffer` is null exactly when `capacity` is 0, and then `length` is 0. Otherwise
///   `length < capacity`, `buffer[length]` is NUL, `capacity` is a multiple of 8, `buffer`
///   comes from `new[]` and the record from `new`.
/// - `refCount` is the number of holders (at least 1); or the unshareable mark (the most
///   negative 32-bit value): exactly one holder; or 0 for the one empty record that moved-from
///   strings hold, which has no buffer and is never counted, changed or freed.
/// - `buffer`, `capacity` and `length` change only while one string holds the record.
struct VXStringRep {
  char* buffer;                        ///< The text and its NUL, or null.
  size_t capacity;                     ///< Bytes allocated for `buffer`.
  size_t length;                       ///< Text bytes, not counting the NUL.
  std::atomic<std::int32_t> refCount;  ///< Holders, or the unshareable mark.
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STRINGS_VXSTRINGREP_H
