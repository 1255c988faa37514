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

/// Each byte as two upper-case hexadecimal digits, high nibble first.
inline std::string Hex(const unsigned char* bytes, size_t n) {
  std::string hex;
  for (size_t i = 0; i < n; ++i)
    hex += {"0123456789ABCDEF"[bytes[i] >> 4], "0123456789ABCDEF"[bytes[i] & 15]};
  return hex;
}

/// The same, of the bytes of `s`.
inline std::string Hex(std::string_view s) {
  return Hex(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_CASES_H
