#ifndef VEXLO_STRINGS_VXSTRINGOPERATORS_H
#define VEXLO_STRINGS_VXSTRINGOPERATORS_H

/// \file
/// The free functions of `vx::VXString`: `swap`, equality, order, output, and `std::hash`.
/// `VXString.h` includes this header.

#include <cstddef>
#include <functional>
#include <iosfwd>

#include "vexlo/Export.h"
#include "vexlo/strings/VXString.h"

namespace vx {

/// `a.swap(b)`, found by argument-dependent lookup (`using std::swap; swap(a, b)`).
inline void swap(VXString& a, VXString& b) noexcept { a.swap(b); }

/// True when `s` up to its first NUL has exactly `a`'s bytes: no text equals a string holding a
/// NUL byte.
VX_API bool operator==(const VXString& a, const char* s) noexcept;
/// True when both texts have the same length and bytes.
VX_API bool operator==(const VXString& a, const VXString& b) noexcept;
/// `a == s`.
inline bool operator==(const char* s, const VXString& a) noexcept { return a == s; }
/// `!(a == s)`.
inline bool operator!=(const VXString& a, const char* s) noexcept { return !(a == s); }
/// `!(a == s)`.
inline bool operator!=(const char* s, const VXString& a) noexcept { return !(a == s); }
/// `!(a == b)`.
inline bool operator!=(const VXString& a, const VXString& b) noexcept { return !(a == b); }

/// `a.compareTo(b) < 0`, for ordered containers. String against string only: a comparison with
/// a text would compare pointers, so it does not compile; use `compareTo`.
inline bool operator<(const VXString& a, const VXString& b) noexcept { return a.compareTo(b) < 0; }
/// `b < a`.
inline bool operator>(const VXString& a, const VXString& b) noexcept { return b < a; }
/// `!(b < a)`.
inline bool operator<=(const VXString& a, const VXString& b) noexcept { return !(b < a); }
/// `!(a < b)`.
inline bool operator>=(const VXString& a, const VXString& b) noexcept { return !(a < b); }

/// Writes the bytes, NUL bytes included, as a `std::string_view` (width and fill apply).
VX_API std::ostream& operator<<(std::ostream& out, const VXString& s);

}  // namespace vx

namespace std {
/// Hashes a string with `VXString::hash()`.
template <>
struct hash<vx::VXString> {
  /// `s.hash()`.
  size_t operator()(const vx::VXString& s) const noexcept { return s.hash(); }
};
}  // namespace std

#endif  // VEXLO_STRINGS_VXSTRINGOPERATORS_H
