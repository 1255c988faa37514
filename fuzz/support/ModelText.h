#ifndef VEXLO_FUZZ_SUPPORT_MODELTEXT_H
#define VEXLO_FUZZ_SUPPORT_MODELTEXT_H

/// \file
/// The read-only string queries of the reference model: search, three-way
/// comparison, hashing and stripping, each written directly from the rules of
/// the real string's queries, over a `std::string` (which may hold NUL
/// bytes). Case folding is the default locale's: 'a' to 'z' fold to upper
/// case, every other byte, 0x80 and above included, stays as it is and takes
/// part as a signed value.
///
///     vxfuzz::model::FindSequence("hello", "LL", 0, true) == 2
///     vxfuzz::model::Hash("a") == 0x9E377A1A

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace vxfuzz {
namespace model {

constexpr std::size_t kNpos = static_cast<std::size_t>(-1);

/// A byte as the case-insensitive operations see it: signed, folded to upper
/// case.
inline int Folded(char c) {
  const int v = static_cast<signed char>(c);
  return v >= 'a' && v <= 'z' ? v - ('a' - 'A') : v;
}

/// `index(char, start)`; `first(char)` is the start 0.
inline std::size_t FindByte(const std::string& text, char c, std::size_t start) {
  for (std::size_t i = start; i < text.size(); ++i) {
    if (text[i] == c) return i;
  }
  return kNpos;
}

/// `last(char)`.
inline std::size_t LastByte(const std::string& text, char c) {
  for (std::size_t i = text.size(); i > 0; --i) {
    if (text[i - 1] == c) return i - 1;
  }
  return kNpos;
}

/// `first(set)`: the smallest position whose byte is in the set.
inline std::size_t FindAnyOf(const std::string& text, const std::string& set) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (set.find(text[i]) != std::string::npos) return i;
  }
  return kNpos;
}

/// The sequence search, with its rule for the empty pattern at the end.
inline std::size_t FindSequence(const std::string& text, const std::string& pattern,
                                std::size_t start, bool ignoreCase) {
  const std::size_t l = text.size();
  const std::size_t p = pattern.size();
  if (start > l || p > l - start) return kNpos;
  for (std::size_t i = start; p <= l - i; ++i) {
    std::size_t k = 0;
    while (k < p &&
           (ignoreCase ? Folded(text[i + k]) == Folded(pattern[k]) : text[i + k] == pattern[k])) {
      ++k;
    }
    if (k == p) return i == l ? kNpos : i;
  }
  return kNpos;
}

/// The result of a three-way comparison. For an exact comparison decided by
/// a byte, only the sign is fixed (the magnitude is the C runtime's), so
/// `signOnly` is set and `value` is -1 or +1.
struct Comparison {
  int value;
  bool signOnly;
};

/// `compareTo(other, mode)`.
inline Comparison Compare(const std::string& text, const std::string& other, bool ignoreCase) {
  const std::size_t m = text.size() < other.size() ? text.size() : other.size();
  for (std::size_t k = 0; k < m; ++k) {
    if (ignoreCase) {
      const int a = Folded(text[k]);
      const int b = Folded(other[k]);
      if (a != b) return {a - b, false};
    } else {
      const auto a = static_cast<unsigned char>(text[k]);
      const auto b = static_cast<unsigned char>(other[k]);
      if (a != b) return {a < b ? -1 : 1, true};
    }
  }
  if (text.size() == other.size()) return {0, false};
  return {text.size() < other.size() ? -1 : 1, false};
}

/// Whether `actual` is the comparison result that `expected` describes.
inline bool Agrees(int actual, Comparison expected) {
  if (!expected.signOnly) return actual == expected.value;
  return expected.value < 0 ? actual < 0 : actual > 0;
}

/// The byte hash: each byte, sign-extended, combined into the running value.
inline std::size_t Hash(const std::string& text) {
  std::uint64_t h = 0;
  for (char c : text) {
    const auto v =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<signed char>(c)));
    h ^= v + 0x9E3779B9u + (h << 6) + (h >> 2);
  }
  return static_cast<std::size_t>(h);
}

/// `strip(type, c)`: the start and length of the view, for the type bits
/// 1 (front) and 2 (end).
inline std::pair<std::size_t, std::size_t> Strip(const std::string& text, int type, char c) {
  std::size_t start = 0;
  std::size_t length = text.size();
  if ((type & 1) != 0) {
    while (start < text.size() && text[start] == c) {
      ++start;
      --length;
    }
  }
  if ((type & 2) != 0) {
    while (length > 0 && text[start + length - 1] == c) --length;
  }
  return {start, length};
}

/// The bytes of a NUL-terminated text: up to its first NUL.
inline std::string UpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace model
}  // namespace vxfuzz

#endif  // VEXLO_FUZZ_SUPPORT_MODELTEXT_H
