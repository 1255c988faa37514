#ifndef VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H
#define VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H

// Test-side look into a string's record, and the invariants every string
// keeps after every operation.

#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::detail {

struct VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
  static long Unshareable() { return VXString::Unshareable; }
  static const char* EmptyText() { return VXString::EmptyData(); }
  static bool HasBuffer(const VXString& s) { return s.rep_->buffer != nullptr; }
};

}  // namespace vx::detail

namespace vxtest {

using Access = vx::detail::VXStringTestAccess;

inline std::string Text(const vx::VXString& s) { return std::string(s.data(), s.length()); }

// Buffer and capacity agree, the capacity is a multiple of 8 above the
// length, and a NUL follows the text.
inline void ExpectWellFormed(const vx::VXString& s) {
  if (s.capacity() == 0) {
    EXPECT_FALSE(Access::HasBuffer(s));
    EXPECT_EQ(s.length(), 0u);
    EXPECT_EQ(s.data(), Access::EmptyText());
  } else {
    EXPECT_TRUE(Access::HasBuffer(s));
    EXPECT_EQ(s.capacity() % 8, 0u);
    EXPECT_LT(s.length(), s.capacity());
  }
  EXPECT_EQ(s.data()[s.length()], '\0');
  const long count = Access::Count(s);
  EXPECT_TRUE(count >= 1 || count == Access::Unshareable()) << count;
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_STRINGS_STRINGTESTSUPPORT_H
