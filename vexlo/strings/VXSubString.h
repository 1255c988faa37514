#ifndef VEXLO_STRINGS_VXSUBSTRING_H
#define VEXLO_STRINGS_VXSUBSTRING_H

/// \file
/// `vx::VXSubString`, a view of a range of one `VXString`.

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/strings/VXString.h"

namespace vx {

/// A view of `length()` bytes of one `VXString`, from position `start()`: the
/// string object viewed, the start and the length. A view owns nothing,
/// takes no count on the string's record and never allocates; it reads the
/// string object's current text at each use, so a view made before the
/// string changed reads the new bytes at the same positions. It must not
/// outlive its string, and its range must lie inside the string's current
/// text when it is used.
///
/// The null sub-string has `start()` `NPOS` and `length()` 0; its `data()` is
/// a static empty text and it equals every empty text or view.
///
///     vx::VXString s("  key  ");
///     vx::VXSubString key = s.strip(vx::VXString::Both, ' ');
///     bool same = key == "key";           // true
///     vx::VXString owned = key;           // "key", a record of its own
class VX_API VXSubString {
 public:
  /// The null sub-string.
  VXSubString() noexcept : string_(nullptr), start_(kNullStart), length_(0) {}
  /// The view of `length` bytes of `string` from `start`, stored unchecked;
  /// `start` `NPOS` with `length` 0 is the null sub-string.
  VXSubString(const VXString& string, size_t start, size_t length) noexcept
      : string_(&string), start_(start), length_(length) {}

  /// The first viewed byte, read from the string now; the static empty text
  /// for the null sub-string. Not terminated after `length()` bytes unless
  /// the view reaches the end of the text.
  const char* data() const noexcept {
    return start_ == kNullStart ? VXString::EmptyData() : string_->data() + start_;
  }
  /// Number of viewed bytes.
  size_t length() const noexcept { return length_; }
  /// Position of the first viewed byte in the string; `NPOS` for the null
  /// sub-string.
  size_t start() const noexcept { return start_; }

 private:
  static constexpr size_t kNullStart = static_cast<size_t>(-1);

  const VXString* string_;
  size_t start_;
  size_t length_;
};

// Equality compares bytes only, exactly: the same length and the same bytes,
// whatever strings or positions are viewed. A text is measured up to its
// first NUL (null: "").

/// True when both views have the same length and bytes.
VX_API bool operator==(const VXSubString& a, const VXSubString& b) noexcept;
/// True when the string's text has the view's length and bytes.
VX_API bool operator==(const VXString& a, const VXSubString& b) noexcept;
/// True when the NUL-terminated text has the view's length and bytes.
VX_API bool operator==(const char* s, const VXSubString& b) noexcept;
/// The same as `a == b`.
inline bool operator==(const VXSubString& b, const VXString& a) noexcept { return a == b; }
/// The same as `s == b`.
inline bool operator==(const VXSubString& b, const char* s) noexcept { return s == b; }
/// The negation of `a == b`.
inline bool operator!=(const VXSubString& a, const VXSubString& b) noexcept { return !(a == b); }
/// The negation of `a == b`.
inline bool operator!=(const VXString& a, const VXSubString& b) noexcept { return !(a == b); }
/// The negation of `a == b`.
inline bool operator!=(const VXSubString& b, const VXString& a) noexcept { return !(a == b); }
/// The negation of `s == b`.
inline bool operator!=(const char* s, const VXSubString& b) noexcept { return !(s == b); }
/// The negation of `s == b`.
inline bool operator!=(const VXSubString& b, const char* s) noexcept { return !(s == b); }

}  // namespace vx

#endif  // VEXLO_STRINGS_VXSUBSTRING_H
