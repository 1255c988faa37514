#ifndef VEXLO_TESTS_SUPPORT_HEX_H
#define VEXLO_TESTS_SUPPORT_HEX_H

// What the test and fuzz programs print of bytes.

#include <string>
#include <string_view>

namespace vxtest {

/// Each byte of `s` as two upper-case hexadecimal digits, high nibble first.
inline std::string Hex(std::string_view s) {
  std::string hex;
  for (const unsigned char byte : s)
    hex += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
  return hex;
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_HEX_H
