#include "vexlo/strings/VXString.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <type_traits>

#include "vexlo/strings/internal/ByteScan.h"

namespace vx {

const size_t NPOS = static_cast<size_t>(-1);
// Spelled so that it also fits a 32-bit long.
const long VXString::Unshareable = -2147483647L - 1;

static_assert(sizeof(VXString) == sizeof(void*), "a string is one pointer to its record");
static_assert(std::is_nothrow_move_constructible_v<VXString> &&
                  std::is_nothrow_move_assignable_v<VXString> && std::is_nothrow_swappable_v<VXString>,
              "containers move strings on growth");

// Constant-initialised: no code runs for it when the library loads. Its count,
// 0, is the count of no held record, so every path that would count, change
// or free a record recognises it; having no buffer, it also never passes the
// in-place tests of append(char) and replace, which need room.
detail::VXStringRep VXString::MovedFrom{nullptr, 0, 0, kMovedFromCount};

namespace {

using detail::VXStringRep;

const char EmptyText[1] = {'\0'};

// Requests beyond this length fail like an allocation, before any size
// arithmetic can wrap.
constexpr size_t kMaxLength = static_cast<size_t>(PTRDIFF_MAX) - 16;

size_t Measure(const char* s) noexcept { return s != nullptr ? std::strlen(s) : 0; }

// The growth rule: nothing while `needed` stays below the capacity; else the
// larger of `needed + 1` and 1.5 times the capacity, rounded up to 8. The new
// buffer is filled before the old one is let go, so a failed allocation
// leaves the record as it was.
void Reserve(VXStringRep& rep, size_t needed) {
  if (needed < rep.capacity) return;
  if (needed > kMaxLength) throw std::bad_alloc();
  // Capacities are multiples of 8, so c + c / 2 is exactly (3 * c) >> 1,
  // without the overflow of 3 * c.
  const size_t wanted = std::max(needed + 1, rep.capacity + rep.capacity / 2);
  const size_t capacity = ((wanted - 1) / 8) * 8 + 8;
  char* const buffer = new char[capacity];
  if (rep.buffer != nullptr) std::memcpy(buffer, rep.buffer, rep.length);
  buffer[rep.length] = '\0';
  delete[] rep.buffer;
  rep.buffer = buffer;
  rep.capacity = capacity;
}

// A fresh record (count 1) with room for `needed` bytes and an empty text.
VXStringRep* NewRep(size_t needed) {
  VXStringRep* const rep = new VXStringRep{nullptr, 0, 0, 1};
  try {
    Reserve(*rep, needed);
  } catch (...) {
    delete rep;
    throw;
  }
  return rep;
}

// Case folding hands each byte, as the signed char it is stored as, to the
// runtime's toupper/tolower of the current locale, and the low byte of the
// answer, again as a signed char, is the folded byte. Two values need care:
// - 0xFF is -1, which is EOF, and EOF comes back unchanged: 0xFF never folds.
// - -128..-2 are outside what these functions accept (undefined; glibc's
//   tables answer for them what they answer for the unsigned twin v + 256,
//   other runtimes assert), so they go in as that twin instead.
// Taking every answer as a signed char makes a byte the locale changes and a
// byte it leaves alone the same kind of value: in Latin-1, 0xE9 folds to
// 0xC9, which is -55 like 0xC9 itself, so the two compare equal. In the
// default locale only a-z / A-Z change, and 0x80 against 'A' compares -193.
constexpr char kEofByte = static_cast<char>(-1);
int Upper(char c) noexcept {
  return c == kEofByte ? -1 : static_cast<signed char>(std::toupper(static_cast<unsigned char>(c)));
}
int Lower(char c) noexcept {
  return c == kEofByte ? -1 : static_cast<signed char>(std::tolower(static_cast<unsigned char>(c)));
}

// From this many bytes on, a search or comparison that ignores case first
// reads the folding of all 256 bytes from the locale (256 calls of toupper)
// instead of calling toupper twice per byte it compares.
constexpr size_t kFoldTableFrom = 256;

// Upper() of every byte, taken at the start of one search or comparison, and
// whether the locale folds the plain ASCII way (a-z to A-Z, nothing else),
// as the default locale does: then the block scans of ByteScan.h can fold.
struct FoldTable {
  int folded[256];
  bool asciiOnly;

  FoldTable() noexcept : asciiOnly(true) {
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      folded[b] = Upper(c);
      if (folded[b] != static_cast<signed char>(detail::AsciiUpperByte(c))) asciiOnly = false;
    }
  }

  int operator()(char c) const noexcept { return folded[static_cast<unsigned char>(c)]; }
};

}  // namespace

// --- Records ----------------------------------------------------------------

void VXString::FreeRep(VXStringRep* rep) noexcept {
  delete[] rep->buffer;
  delete rep;
}

VXString::VXStringRep* VXString::CopyRep(const VXStringRep& source, size_t room) {
  const size_t length = source.length;
  VXStringRep* const rep = NewRep(std::max(length, room));
  if (length != 0) std::memcpy(rep->buffer, source.buffer, length);
  rep->buffer[length] = '\0';
  rep->length = length;
  return rep;
}

const char* VXString::EmptyData() noexcept { return EmptyText; }

// The one place where a string makes its record its own. The copy is built
// before anything is given up, so a failed allocation changes nothing.
void VXString::AboutToModify(size_t needed, bool unshareable) {
  VXStringRep* const rep = rep_;
  const long count = IntAtomicGet(rep->refCount);
  if (count == kMovedFromCount) {
    rep_ = NewRep(needed);
  } else if (count <= 1) {
    Reserve(*rep, needed);
  } else {
    VXStringRep* const copy = CopyRep(*rep, needed);
    if (IntAtomicDecrement(rep->refCount) >= 1) {
      rep_ = copy;
    } else {
      // Every other holder let go between the load and the decrement (the
      // decrement's acquire half orders us after their last reads): the old
      // record is ours alone. Its count goes back to 1 before growing, so
      // that a failed allocation leaves a consistent, exclusive record.
      FreeRep(copy);
      rep->refCount.store(1, std::memory_order_relaxed);
      Reserve(*rep, needed);
    }
  }
  rep_->refCount.store(unshareable ? kUnshareableCount : 1, std::memory_order_relaxed);
}

// --- Construction and assignment --------------------------------------------

VXString::VXString() : rep_(new VXStringRep{nullptr, 0, 0, 1}) {}

VXString::VXString(const char* s) : VXString(s, Measure(s)) {}

VXString::VXString(const char* s, size_t n) : rep_(NewRep(n)) {
  assert(s != nullptr || n == 0);
  if (n != 0) std::memcpy(rep_->buffer, s, n);
  rep_->buffer[n] = '\0';
  rep_->length = n;
}

VXString::VXString(size_t n) : rep_(NewRep(n)) {}

VXString::VXString(char c, size_t n) : rep_(NewRep(n)) {
  std::memset(rep_->buffer, c, n);
  rep_->buffer[n] = '\0';
  rep_->length = n;
}

VXString::VXString(const VXSubString& view) : VXString(view.data(), view.length()) {}

VXString& VXString::AssignCopy(const VXString& other) {
  const size_t n = other.length();
  AboutToModify(n, false);
  std::memcpy(rep_->buffer, other.data(), n);
  rep_->buffer[n] = '\0';
  rep_->length = n;
  return *this;
}

VXString& VXString::operator=(char c) {
  AboutToModify(1, false);
  rep_->buffer[0] = c;
  rep_->buffer[1] = '\0';
  rep_->length = 1;
  return *this;
}

VXString& VXString::operator=(const char* s) {
  replace(0, length(), s, Measure(s));
  return *this;
}

// --- Splicing ---------------------------------------------------------------

VXString& VXString::replace(size_t pos, size_t n, const char* s, size_t m) {
  VXStringRep* const rep = rep_;
  const size_t len = rep->length;
  assert(pos <= len && "position beyond the text");
  pos = std::min(pos, len);
  if (s == nullptr) m = 0;
  const size_t removed = std::min(n, len - pos);
  const size_t tail = len - pos - removed;
  if (m > kMaxLength - (len - removed)) throw std::bad_alloc();
  const size_t newLength = len - removed + m;

  // std::less orders any two pointers, also when `s` is not in our buffer.
  const std::less<const char*> before;
  const char* const text = data();
  const bool sourceOutside = before(s, text) || !before(s, text + len);
  if (sourceOutside && rep->capacity > newLength && IntAtomicGet(rep->refCount) <= 1) {
    char* const buffer = rep->buffer;
    if (tail != 0 && removed != m) std::memmove(buffer + pos + m, buffer + pos + removed, tail);
    if (m != 0) std::memmove(buffer + pos, s, m);
    buffer[newLength] = '\0';
    rep->length = newLength;
    rep->refCount.store(1, std::memory_order_relaxed);
    return *this;
  }

  // Built beside the old record, which stays held until the end: `s` may
  // point into it (s.append(s)).
  VXStringRep* const fresh = NewRep(std::max(len, newLength));
  char* const out = fresh->buffer;
  if (pos != 0) std::memcpy(out, text, pos);
  if (m != 0) std::memcpy(out + pos, s, m);
  if (tail != 0) std::memcpy(out + pos + m, text + pos + removed, tail);
  out[newLength] = '\0';
  fresh->length = newLength;
  Release(rep);
  rep_ = fresh;
  return *this;
}

VXString& VXString::replace(size_t pos, size_t n, const char* s) {
  return replace(pos, n, s, Measure(s));
}
VXString& VXString::replace(size_t pos, size_t n, const VXString& str) {
  return replace(pos, n, str.data(), str.length());
}
VXString& VXString::replace(size_t pos, size_t n, const VXString& str, size_t m) {
  return replace(pos, n, str.data(), std::min(m, str.length()));
}

VXString& VXString::append(const char* s) { return replace(length(), 0, s, Measure(s)); }
VXString& VXString::append(const char* s, size_t n) { return replace(length(), 0, s, n); }
VXString& VXString::append(const VXString& str) {
  return replace(length(), 0, str.data(), str.length());
}
VXString& VXString::append(const VXString& str, size_t n) {
  return replace(length(), 0, str.data(), std::min(n, str.length()));
}

VXString& VXString::prepend(const char* s) { return replace(0, 0, s, Measure(s)); }
VXString& VXString::prepend(const char* s, size_t n) { return replace(0, 0, s, n); }
VXString& VXString::prepend(const VXString& str) { return replace(0, 0, str.data(), str.length()); }
// The count is the caller's to keep within the source; release builds keep
// the copy inside it rather than read past its terminator.
VXString& VXString::prepend(const VXString& str, size_t n) {
  assert(n <= str.length() && "count beyond the source");
  return replace(0, 0, str.data(), std::min(n, str.length()));
}

VXString& VXString::insert(size_t pos, const char* s) { return replace(pos, 0, s, Measure(s)); }
VXString& VXString::insert(size_t pos, const char* s, size_t n) { return replace(pos, 0, s, n); }
VXString& VXString::insert(size_t pos, const VXString& str) {
  return replace(pos, 0, str.data(), str.length());
}
VXString& VXString::insert(size_t pos, const VXString& str, size_t n) {
  assert(n <= str.length() && "count beyond the source");
  return replace(pos, 0, str.data(), std::min(n, str.length()));
}

VXString& VXString::remove(size_t pos) { return replace(pos, length() - pos, nullptr, 0); }
VXString& VXString::remove(size_t pos, size_t n) { return replace(pos, n, nullptr, 0); }

// --- Filling and whole-text changes ----------------------------------------

VXString& VXString::append(char c, size_t count) {
  const size_t len = length();
  if (count > kMaxLength - len) throw std::bad_alloc();
  AboutToModify(len + count, false);
  char* const buffer = rep_->buffer;
  if (count == 1) {
    buffer[len] = c;
  } else {
    std::memset(buffer + len, c, count);
  }
  buffer[len + count] = '\0';
  rep_->length = len + count;
  return *this;
}

VXString& VXString::prepend(char c, size_t count) {
  const size_t len = length();
  if (count > kMaxLength - len) throw std::bad_alloc();
  AboutToModify(len + count, false);
  char* const buffer = rep_->buffer;
  std::memmove(buffer + count, buffer, len + 1);
  std::memset(buffer, c, count);
  rep_->length = len + count;
  return *this;
}

void VXString::resize(size_t n) {
  const size_t len = length();
  if (n == len) return;
  AboutToModify(n, false);
  char* const buffer = rep_->buffer;
  if (n > len) std::memset(buffer + len, ' ', n - len);
  buffer[n] = '\0';
  rep_->length = n;
}

void VXString::toLower() {
  AboutToModify(0, false);
  char* const buffer = rep_->buffer;
  for (size_t i = 0, len = rep_->length; i < len; ++i)
    buffer[i] = static_cast<char>(Lower(buffer[i]));
}

void VXString::toUpper() {
  AboutToModify(0, false);
  char* const buffer = rep_->buffer;
  for (size_t i = 0, len = rep_->length; i < len; ++i)
    buffer[i] = static_cast<char>(Upper(buffer[i]));
}

// --- Search -----------------------------------------------------------------

size_t VXString::first(char c) const noexcept { return index(c, 0); }

size_t VXString::index(char c, size_t start) const noexcept {
  const size_t len = length();
  if (start >= len) return NPOS;
  const char* const text = data();
  const void* const hit = std::memchr(text + start, c, len - start);
  return hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - text) : NPOS;
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
  if (n == 1) return index(set[0], 0);
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
  assert(pat != nullptr || patLen == 0);
  const size_t len = length();
  if (start > len || patLen > len - start) return NPOS;
  if (patLen == 0) return start < len ? start : NPOS;
  const char* const text = data();
  const size_t lastCandidate = len - patLen;
  const size_t span = patLen - 1;
  // A candidate must match the pattern's first and last byte before its
  // middle is compared: the block scan tests both for 16 candidates at a
  // time, and the answer is still the leftmost full match.
  if (mode != IgnoreCase) {
    if (patLen == 1) return index(pat[0], start);
    for (size_t i = start;; ++i) {
      i = detail::FindBytePair(text, i, lastCandidate, pat[0], pat[span], span);
      if (i == detail::kNoPosition) return NPOS;
      if (std::memcmp(text + i + 1, pat + 1, span - 1) == 0) return i;
    }
  }
  if (len - start < kFoldTableFrom) {
    const int first = Upper(pat[0]);
    for (size_t i = start; i <= lastCandidate; ++i) {
      if (Upper(text[i]) != first) continue;
      size_t k = 1;
      while (k < patLen && Upper(text[i + k]) == Upper(pat[k])) ++k;
      if (k == patLen) return i;
    }
    return NPOS;
  }
  const FoldTable fold;
  const int first = fold(pat[0]);
  const int lastByte = fold(pat[span]);
  for (size_t i = start;; ++i) {
    if (fold.asciiOnly) {
      i = detail::FindBytePairAsciiUpper(text, i, lastCandidate, static_cast<char>(first),
                                         static_cast<char>(lastByte), span);
      if (i == detail::kNoPosition) return NPOS;
    } else {
      while (i <= lastCandidate && (fold(text[i]) != first || fold(text[i + span]) != lastByte))
        ++i;
      if (i > lastCandidate) return NPOS;
    }
    size_t k = 1;
    while (k < span && fold(text[i + k]) == fold(pat[k])) ++k;
    if (k >= span) return i;
  }
}

size_t VXString::index(const VXString& pat, size_t patLen, size_t start,
                       ECaseComp mode) const noexcept {
  assert(patLen <= pat.length() && "pattern length beyond the pattern");
  return index(pat.data(), std::min(patLen, pat.length()), start, mode);
}

size_t VXString::index(const char* pat, size_t start, ECaseComp mode) const noexcept {
  return index(pat, Measure(pat), start, mode);
}

size_t VXString::index(const VXString& pat, size_t start, ECaseComp mode) const noexcept {
  return index(pat.data(), pat.length(), start, mode);
}

bool VXString::contains(const char* pat, ECaseComp mode) const noexcept {
  return index(pat, Measure(pat), 0, mode) != NPOS;
}

bool VXString::contains(const VXString& pat, ECaseComp mode) const noexcept {
  return index(pat.data(), pat.length(), 0, mode) != NPOS;
}

// --- Comparison and hash ----------------------------------------------------

int VXString::compareTo(const char* s, size_t n, ECaseComp mode) const noexcept {
  assert(s != nullptr || n == 0);
  const size_t len = length();
  const size_t common = std::min(len, n);
  if (common != 0) {
    const char* const text = data();
    if (mode == IgnoreCase) {
      // Equal bytes fold equally, so the stretch of equal bytes is passed
      // over first. What follows is folded byte by byte, or, when it is
      // long, through the table and the block scan.
      size_t k = detail::EqualPrefix(text, s, common);
      if (common - k < kFoldTableFrom) {
        for (; k < common; ++k) {
          if (text[k] == s[k]) continue;
          const int a = Upper(text[k]);
          const int b = Upper(s[k]);
          if (a != b) return a - b;
        }
      } else {
        const FoldTable fold;
        if (fold.asciiOnly) k += detail::AsciiUpperEqualPrefix(text + k, s + k, common - k);
        for (; k < common; ++k) {
          const int a = fold(text[k]);
          const int b = fold(s[k]);
          if (a != b) return a - b;
        }
      }
    } else {
      const int order = std::memcmp(text, s, common);
      if (order != 0) return order;
    }
  }
  return len == n ? 0 : (len < n ? -1 : 1);
}

int VXString::compareTo(const char* s, ECaseComp mode) const noexcept {
  return compareTo(s, Measure(s), mode);
}

int VXString::compareTo(const VXString& other, ECaseComp mode) const noexcept {
  return compareTo(other.data(), other.length(), mode);
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

std::ostream& operator<<(std::ostream& out, const VXString& s) { return out << s.view(); }

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
