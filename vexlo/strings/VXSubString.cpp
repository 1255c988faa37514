#include "vexlo/strings/VXSubString.h"

#include <cstring>

namespace vx {

namespace {

bool SameBytes(const char* a, size_t aLength, const char* b, size_t bLength) noexcept {
  return aLength == bLength && (aLength == 0 || std::memcmp(a, b, aLength) == 0);
}

}  // namespace

bool operator==(const VXSubString& a, const VXSubString& b) noexcept {
  return SameBytes(a.data(), a.length(), b.data(), b.length());
}

bool operator==(const VXString& a, const VXSubString& b) noexcept {
  return SameBytes(a.data(), a.length(), b.data(), b.length());
}

bool operator==(const char* s, const VXSubString& b) noexcept {
  const size_t n = s != nullptr ? std::strlen(s) : 0;
  return SameBytes(s, n, b.data(), b.length());
}

}  // namespace vx
