#ifndef VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H
#define VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H

// Test-side look into a string's record, and the invariants every string
// keeps after every operation.

#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <string>

struct vx::detail::VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
  static long Unshareable() { return VXString::Unshareable; }
  static const char* EmptyText() { return VXString::EmptyData(); }
};

namespace vxtest {

using Access = vx::detail::VXStringTestAccess;

inline std::string Text(const vx::VXString& s) { return std::string(s.data(), s.length()); }

// Capacity 0 means the shared empty text; else a multiple of 8 above the
// length. A NUL follows the text, and the count is a count or the mark.
inline void ExpectWellFormed(const vx::VXString& s) {
  EXPECT_EQ(s.capacity() == 0, s.data() == Access::EmptyText());
  EXPECT_EQ(s.capacity() % 8, 0u);
  EXPECT_TRUE(s.capacity() == 0 || s.length() < s.capacity());
  EXPECT_EQ(s.data()[s.length()], '\0');
  EXPECT_TRUE(Access::Count(s) >= 1 || Access::Count(s) == Access::Unshareable());
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H
