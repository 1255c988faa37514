#ifndef VEXLO_FMT_H
#define VEXLO_FMT_H

/// \file
/// Formatting of `vx::VXString` and `vx::VXSubString` with the fmt library.
///
/// An optional header: `vexlo/vexlo.h` does not include it, and the library
/// itself does not use fmt. A program that formats with fmt includes it and
/// links fmt itself (CMake: `find_package(fmt)`, `fmt::fmt`).
///
/// Both are formatted as a string of their bytes, exactly as they are: every
/// byte of `length()`, NUL bytes included, nothing escaped or checked. The
/// options of a string apply (fill, alignment, width, precision), measured as
/// fmt measures any other string:
///
///     vx::VXString name("vexlo");
///     fmt::format("[{:>7}]", name);        // "[  vexlo]"
///     fmt::format("[{:.3}]", name(1, 4));  // "[exl]"

#include <fmt/format.h>

#include "vexlo/strings/VXString.h"
#include "vexlo/strings/VXSubString.h"

namespace fmt {

/// `vx::VXString` formats as its bytes, with the options of a string.
template <>
struct formatter<vx::VXString> : formatter<string_view> {
  /// Writes the string's `length()` bytes.
  template <typename FormatContext>
  auto format(const vx::VXString& s, FormatContext& ctx) const -> decltype(ctx.out()) {
    return formatter<string_view>::format(string_view(s.data(), s.length()), ctx);
  }
};

/// `vx::VXSubString` formats as the bytes it views, with the options of a
/// string; the null sub-string as the empty string.
template <>
struct formatter<vx::VXSubString> : formatter<string_view> {
  /// Writes the view's `length()` bytes.
  template <typename FormatContext>
  auto format(const vx::VXSubString& s, FormatContext& ctx) const -> decltype(ctx.out()) {
    return formatter<string_view>::format(string_view(s.data(), s.length()), ctx);
  }
};

}  // namespace fmt

#endif  // VEXLO_FMT_H
