#ifndef VEXLO_TESTS_SUPPORT_CASES_H
#define VEXLO_TESTS_SUPPORT_CASES_H

// Generated cases that several test programs share.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vxtest {

/// Every length from 0 to `upTo`, then each of `large`.
inline std::vector<size_t> Lengths(size_t upTo, std::initializer_list<size_t> large) {
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= upTo; ++n) lengths.push_back(n);
  lengths.insert(lengths.end(), large);
  return lengths;
}

/// Each byte of `s` as two upper-case hexadecimal digits, high nibble first.
inline std::string Hex(std::string_view s) {
  std::string hex;
  for (const unsigned char byte : s)
    hex += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
  return hex;
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_CASES_H
