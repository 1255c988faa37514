// VXString's queries: search, comparison, equality, the byte hash and views.
// The exported members all reach the same few workers of this file directly,
// so a short query costs one call into the library. The block scans are in
// internal/ByteScan.h, the locale's folding in internal/CaseFolding.h.
#include <algorithm>
#include <cstring>

#include "vexlo/strings/VXString.h"
#include "vexlo/strings/internal/ByteScan.h"
#include "vexlo/strings/internal/CaseFolding.h"

namespace vx {

namespace {

using detail::AsciiUpperByte;
using detail::CaseFolding;

size_t Measure(const char* s) noexcept { return s != nullptr ? std::strlen(s) : 0; }

size_t FindByte(const char* text, size_t len, char c, size_t start) noexcept {
  if (start >= len) return NPOS;
  const size_t k = detail::FindByte(text + start, len - start, c);
  return k != detail::kNoPosition ? start + k : NPOS;
}

int AsciiUpperValue(char c) noexcept { return static_cast<signed char>(AsciiUpperByte(c)); }

// A candidate must match the pattern's first and last byte before its middle
// is compared: the block scans test both for many candidates at a time, and
// the answer is still the leftmost full match.
size_t FindExact(const char* text, size_t lastCandidate, const char* pat, size_t span,
                 size_t start) noexcept {
  for (size_t i = start;; ++i) {
    i = detail::FindBytePair(text, i, lastCandidate, pat[0], pat[span], span);
    if (i == detail::kNoPosition) return NPOS;
    if (span < 2 || std::memcmp(text + i + 1, pat + 1, span - 1) == 0) return i;
  }
}

size_t FindIgnoringCase(const char* text, size_t lastCandidate, const char* pat, size_t span,
                        size_t start) noexcept {
  const CaseFolding fold = CaseFolding::Current();
  if (fold.AsciiOnly()) {
    const auto first = static_cast<char>(AsciiUpperByte(pat[0]));
    const auto lastByte = static_cast<char>(AsciiUpperByte(pat[span]));
    for (size_t i = start;; ++i) {
      i = detail::FindBytePairAsciiUpper(text, i, lastCandidate, first, lastByte, span);
      if (i == detail::kNoPosition) return NPOS;
      if (span < 2 || detail::AsciiUpperEqualPrefix(text + i + 1, pat + 1, span - 1) == span - 1) {
        return i;
      }
    }
  }
  const int first = fold.Upper(pat[0]);
  const int lastByte = fold.Upper(pat[span]);
  for (size_t i = start; i <= lastCandidate; ++i) {
    if (fold.Upper(text[i]) != first || fold.Upper(text[i + span]) != lastByte) continue;
    size_t k = 1;
    while (k < span && fold.Upper(text[i + k]) == fold.Upper(pat[k])) ++k;
    if (k >= span) return i;
  }
  return NPOS;
}

size_t Find(const VXString& s, const char* pat, size_t patLen, size_t start,
            VXString::ECaseComp mode) noexcept {
  assert(pat != nullptr || patLen == 0);
  const size_t len = s.length();
  if (start > len || patLen > len - start) return NPOS;
  if (patLen == 0) return start < len ? start : NPOS;
  const char* const text = s.data();
  if (mode != VXString::IgnoreCase) {
    if (patLen == 1) return FindByte(text, len, pat[0], start);
    return FindExact(text, len - patLen, pat, patLen - 1, start);
  }
  return FindIgnoringCase(text, len - patLen, pat, patLen - 1, start);
}

// The order of the `n` bytes at `a` and `b` when case is ignored, in a
// locale that folds as ASCII: the difference of the first pair that differs
// folded, or 0.
inline int AsciiFoldedOrder(const char* a, const char* b, size_t n) noexcept {
  const size_t k = detail::AsciiUpperEqualPrefix(a, b, n);
  return k < n ? AsciiUpperValue(a[k]) - AsciiUpperValue(b[k]) : 0;
}

// The same in whatever locale the thread has, asked for first; out of line,
// so that the paths of the default locale keep their frames small.
__attribute__((noinline)) int FoldedOrder(const char* a, const char* b, size_t n) noexcept {
  const CaseFolding fold = CaseFolding::Current();
  if (fold.AsciiOnly()) return AsciiFoldedOrder(a, b, n);
  for (size_t k = 0; k < n; ++k) {
    const int x = fold.Upper(a[k]);
    const int y = fold.Upper(b[k]);
    if (x != y) return x - y;
  }
  return 0;
}

int ByLength(size_t len, size_t n) noexcept { return len == n ? 0 : (len < n ? -1 : 1); }

// Equal bytes fold equally, so the stretch of equal bytes is passed over
// first, and the locale is looked at only when a pair of bytes differs.
__attribute__((noinline)) int CompareAny(const char* text, size_t len, const char* other, size_t n,
                                         VXString::ECaseComp mode) noexcept {
  const size_t common = std::min(len, n);
  // The first 32 bytes first; texts that differ in case differ there, and
  // go on to the folded comparison without a scan of the rest.
  const size_t head = std::min<size_t>(common, 32);
  size_t k = detail::EqualPrefix(text, other, head);
  if (k == head && head < common) k += detail::EqualPrefix(text + k, other + k, common - k);
  if (k < common) {
    if (mode != VXString::IgnoreCase) {
      return static_cast<unsigned char>(text[k]) - static_cast<unsigned char>(other[k]);
    }
    const int order = CaseFolding::KnownAsciiNow()
                          ? AsciiFoldedOrder(text + k, other + k, common - k)
                          : FoldedOrder(text + k, other + k, common - k);
    if (order != 0) return order;
  }
  return ByLength(len, n);
}

// Case-blind order of any texts, from the first byte: also the path that
// first asks the locale for its folding, which the short path's check below
// then knows.
__attribute__((noinline)) int CompareFolded(const char* text, size_t len, const char* other,
                                            size_t n) noexcept {
  const int order = FoldedOrder(text, other, std::min(len, n));
  return order != 0 ? order : ByLength(len, n);
}

// The short texts' path, 16 to 32 common bytes: no call but to CompareAny
// or CompareFolded, and that as the last step, so that it needs no stack
// frame. Case-blind, in a locale known to fold as ASCII (asked first), the
// folded comparison alone gives the answer: texts that differ in case take
// one pass, not an exact one first. Elsewhere equal texts still need no
// folding.
__attribute__((always_inline)) inline int Compare(const char* text, size_t len, const char* other,
                                                  size_t n, VXString::ECaseComp mode) noexcept {
  assert(other != nullptr || n == 0);
  const size_t common = std::min(len, n);
  if (common - 16 > 16) return CompareAny(text, len, other, n, mode);
  const int byLength = ByLength(len, n);
  if (__builtin_expect(mode == VXString::IgnoreCase, 1)) {
    if (__builtin_expect(CaseFolding::KnownAsciiNow(), 1)) {
      const size_t folded = detail::AsciiUpperEqualPrefix(text, other, common);
      if (folded == common) return byLength;
      return AsciiUpperValue(text[folded]) - AsciiUpperValue(other[folded]);
    }
    if (detail::EqualPrefix(text, other, common) == common) return byLength;
    return CompareFolded(text, len, other, n);
  }
  const size_t k = detail::EqualPrefix(text, other, common);
  if (k == common) return byLength;
  return static_cast<unsigned char>(text[k]) - static_cast<unsigned char>(other[k]);
}

}  // namespace

// --- Search -----------------------------------------------------------------

// The record's buffer as it stands: null only with length 0, never read.
size_t VXString::first(char c) const noexcept { return FindByte(rep_->buffer, rep_->length, c, 0); }

size_t VXString::index(char c, size_t start) const noexcept {
  return FindByte(rep_->buffer, rep_->length, c, start);
}

size_t VXString::last(char c) const noexcept {
  const char* const text = data();
  for (size_t i = length(); i != 0; --i) {
    if (text[i - 1] == c) return i - 1;
  }
  return NPOS;
}

size_t VXString::first(const char* set) const noexcept { return first(set, Measure(set)); }

// One pass over the text against a 256-bit membership table: the smallest
// matching position, as a scan that tries every member at each position.
size_t VXString::first(const char* set, size_t n) const noexcept {
  assert(set != nullptr || n == 0);
  const size_t len = length();
  if (n == 0 || len == 0) return NPOS;
  if (n == 1) return FindByte(data(), len, set[0], 0);
  std::uint64_t members[4] = {0, 0, 0, 0};
  for (size_t k = 0; k < n; ++k) {
    const unsigned byte = static_cast<unsigned char>(set[k]);
    members[byte >> 6] |= std::uint64_t{1} << (byte & 63);
  }
  const char* const text = data();
  for (size_t i = 0; i < len; ++i) {
    const unsigned byte = static_cast<unsigned char>(text[i]);
    if ((members[byte >> 6] >> (byte & 63)) & 1) return i;
  }
  return NPOS;
}

size_t VXString::index(const char* pat, size_t patLen, size_t start,
                       ECaseComp mode) const noexcept {
  return Find(*this, pat, patLen, start, mode);
}

size_t VXString::index(const VXString& pat, size_t patLen, size_t start,
                       ECaseComp mode) const noexcept {
  assert(patLen <= pat.length() && "pattern length beyond the pattern");
  return Find(*this, pat.data(), std::min(patLen, pat.length()), start, mode);
}

size_t VXString::index(const char* pat, size_t start, ECaseComp mode) const noexcept {
  return Find(*this, pat, Measure(pat), start, mode);
}

size_t VXString::index(const VXString& pat, size_t start, ECaseComp mode) const noexcept {
  return Find(*this, pat.data(), pat.length(), start, mode);
}

bool VXString::contains(const char* pat, ECaseComp mode) const noexcept {
  return Find(*this, pat, Measure(pat), 0, mode) != NPOS;
}

bool VXString::contains(const VXString& pat, ECaseComp mode) const noexcept {
  return Find(*this, pat.data(), pat.length(), 0, mode) != NPOS;
}

// --- Comparison and hash ----------------------------------------------------

int VXString::compareTo(const char* s, size_t n, ECaseComp mode) const noexcept {
  return Compare(data(), length(), s, n, mode);
}

int VXString::compareTo(const char* s, ECaseComp mode) const noexcept {
  return Compare(data(), length(), s, Measure(s), mode);
}

// The records' buffers as they stand: a string without buffer has length 0,
// and no comparison reads a byte of a text of length 0.
int VXString::compareTo(const VXString& other, ECaseComp mode) const noexcept {
  return Compare(rep_->buffer, rep_->length, other.rep_->buffer, other.rep_->length, mode);
}

size_t VXString::hash(const VXString& s) noexcept {
  std::uint64_t h = 0;
  const char* const text = s.data();
  for (size_t i = 0, len = s.length(); i < len; ++i) {
    // Each byte as a signed char, sign-extended: 0xFF adds 2^64 - 1.
    const auto v =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<signed char>(text[i])));
    h ^= v + 0x9E3779B9u + (h << 6) + (h >> 2);
  }
  return static_cast<size_t>(h);
}

bool operator==(const VXString& a, const char* s) noexcept {
  const size_t n = Measure(s);
  return n == a.length() && (n == 0 || std::memcmp(a.data(), s, n) == 0);
}

bool operator==(const VXString& a, const VXString& b) noexcept {
  const size_t n = a.length();
  if (n != b.length()) return false;
  const char* const left = a.data();
  const char* const right = b.data();
  return left == right || std::memcmp(left, right, n) == 0;
}

// --- Views ------------------------------------------------------------------

VXSubString VXString::operator()(size_t start, size_t length) {
  return static_cast<const VXString&>(*this)(start, length);
}

VXSubString VXString::operator()(size_t start, size_t length) const {
  assert(start == NPOS ? length == 0 : start <= this->length() && length <= this->length() - start);
  return VXSubString(*this, start, length);
}

VXSubString VXString::strip(EStripType type, char c) {
  return static_cast<const VXString&>(*this).strip(type, c);
}

const VXSubString VXString::strip(EStripType type, char c) const {
  const char* const text = data();
  const size_t len = length();
  size_t start = 0;
  size_t count = len;
  if ((type & Leading) != 0) {
    while (start < len && text[start] == c) {
      ++start;
      --count;
    }
  }
  if ((type & Trailing) != 0) {
    while (count > 0 && text[start + count - 1] == c) --count;
  }
  return VXSubString(*this, start, count);
}

}  // namespace vx
