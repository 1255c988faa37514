#ifndef VEXLO_STRINGS_VXSTRING_H
#define VEXLO_STRINGS_VXSTRING_H

/// \file
/// `vx::VXString`, the library's copy-on-write byte string, and `vx::NPOS`.

#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vexlo/Export.h"
#include "vexlo/strings/VXStringRep.h"

namespace vx {

class VXSubString;

/// The `size_t` with all bits set. As a search result: nothing found. As a count of bytes to
/// remove: up to the end of the text. As the start of a `VXSubString`: the null sub-string.
extern VX_API const size_t NPOS;

namespace detail {
struct VXStringTestAccess;  // defined only by the library's tests, to look at a record
}  // namespace detail

/// A byte string whose text lives in a shared, reference-counted record.
///
/// Copying shares the record (one atomic increment, no bytes copied); a string about to change
/// its text first takes a private copy if anyone else holds the record (copy on write). The
/// text may hold NUL bytes and is always followed by one, so `data()` serves wherever a
/// NUL-terminated text is expected.
///
///     vx::VXString a("hello");
///     vx::VXString b = a;             // shares a's record: a.data() == b.data()
///     b.append(", world");            // b detaches; a still reads "hello"
///     size_t at = b.index("WORLD", 0, vx::VXString::IgnoreCase);  // 7
///
/// Rules shared by the members:
/// - **Threads.** Different objects may be used on different threads at once, also when they
///   share a record; one object may be read (const members, copying from it) by several
///   threads at once. A change of one object must not overlap any other use of it.
/// - **Errors.** Only allocation failure is reported: `std::bad_alloc` propagates and leaves
///   the string, its record and every other holder as they were. Lengths beyond `PTRDIFF_MAX`
///   are reported the same way.
/// - **Texts.** A `const char*` without a count is read up to its first NUL, and a null one is
///   the empty text (every build). Searches and comparisons take NUL bytes inside the text as
///   ordinary bytes and never allocate; a search answers a position counted from 0, or `NPOS`.
/// - **Detaching.** A member that changes the text leaves this string the only holder of a
///   record and lifts the unshareable mark of a writable index.
/// - **Capacity.** `capacity()` counts the bytes allocated, the terminator's included: 0 or a
///   multiple of 8. A fresh or copied record gets `needed + 1` rounded up to 8. Growth in place
///   (filling, `resize`, case folding, writable index) takes the larger of `needed + 1` and one
///   and a half times the old capacity, rounded up to 8: one byte at a time from nothing gives
///   8, 16, 24, 40, 64, 96, 144, ...
/// - **Case folding** (`toUpper`, `toLower`, the `IgnoreCase` mode) is that of the C library's
///   `toupper`/`tolower` in the calling thread's locale when the call runs, so a `setlocale` or
///   `uselocale` between two calls shows at the second. Each byte is taken as a signed char:
///   0xFF (then `EOF`) never changes; 0x80 to 0xFE go in as their unsigned values; the low byte
///   of the answer, as a signed char, is the folded byte. The default locale changes only A-Z
///   and a-z; in Latin-1, 0xE9 (e acute) upper-cases to 0xC9 and compares equal to it. Equal
///   bytes are never folded, so texts equal byte for byte compare without the locale.
/// - **Caller errors.** Debug builds assert on these; release builds do what is stated:
///   - a null pointer with a count inserts nothing in the splicing forms (every build); in the
///     counted constructor, `first`, `index` and `compareTo` it must come with the count 0;
///   - a splicing position beyond `length()`: release uses `length()`;
///   - `insert`/`prepend` with a `VXString` source and a count beyond its length, or a search
///     for a `VXString` pattern with a `patLen` beyond its length: release uses all of it;
///   - `index(c, start)` with `start` beyond `length()` answers `NPOS`, as the sequence search
///     does (every build);
///   - an index operator beyond `length()`: release does not check; the writable ones may
///     reach the terminator but must not change it;
///   - a view from `operator()(start, length)` that does not fit: release stores it unchecked.
class VX_API VXString {
 public:
  /// How `index`, `contains` and `compareTo` compare bytes.
  enum ECaseComp : int {
    Exact = 0,       ///< as they stand (unsigned byte order)
    IgnoreCase = 1,  ///< each byte folded to upper case first (Case folding, above)
  };

  /// Which sides `strip` removes; the bits are tested separately.
  enum EStripType : int {
    Leading = 1,   ///< the front
    Trailing = 2,  ///< the end
    Both = 3,      ///< the front, then the end
  };

  // --- Construction --------------------------------------------------------
  /// The empty string without buffer: capacity 0, `data()` the shared empty text.
  VXString();
  /// `s` up to its first NUL, in a buffer of its own: even "" gets capacity 8.
  VXString(const char* s);  // NOLINT: implicit by design, like a text literal
  /// Exactly `n` bytes of `s`, NUL bytes included; with `n` 0, `s` is not read.
  VXString(const char* s, size_t n);
  /// An empty text with room for `n` bytes (5 and 7 give capacity 8, 8 gives 16).
  explicit VXString(size_t n);
  /// `n` copies of `c`.
  VXString(char c, size_t n);
  /// Shares `other`'s record; from a record marked by a writable index, copies the bytes into a
  /// fresh record instead.
  VXString(const VXString& other) : rep_(other.rep_) {
    const long count = IntAtomicGet(rep_->refCount);
    if (count >= 1) {
      IntAtomicIncrement(rep_->refCount);
    } else if (count == kUnshareableCount) {
      rep_ = CopyRep(*rep_, 0);
    }
  }
  /// Takes `other`'s record as it stands (no count change, no allocation; a mark goes along).
  /// `other` is left, without allocating, behaving as `VXString()` in every operation.
  VXString(VXString&& other) noexcept : rep_(other.rep_) { other.rep_ = MovedFromRep(); }
  /// `VXString(view.data(), view.length())`: never shares with the viewed string.
  VXString(const VXSubString& view);  // NOLINT: implicit, a view becomes a string
  /// `VXString(text.data(), text.size())`.
  explicit VXString(std::string_view text) : VXString(text.data(), text.size()) {}
  /// Gives the record up; the last holder frees it.
  ~VXString() { Release(rep_); }

  // --- Assignment ----------------------------------------------------------
  /// Shares `other`'s record; nothing happens when both hold the same one. From a record
  /// marked by a writable index, the bytes are copied into this string's own record.
  VXString& operator=(const VXString& other) {
    VXStringRep* const theirs = other.rep_;
    if (this == &other || theirs == rep_) return *this;
    const long count = IntAtomicGet(theirs->refCount);
    if (count == kUnshareableCount) {
      AssignCopy(other);
      return *this;
    }
    if (count >= 1) IntAtomicIncrement(theirs->refCount);
    Release(rep_);
    rep_ = theirs;
    return *this;
  }
  /// Gives this record up and takes `other`'s as the move constructor does. Moving a string to
  /// itself changes nothing.
  VXString& operator=(VXString&& other) noexcept {
    if (this != &other) {
      Release(rep_);
      rep_ = other.rep_;
      other.rep_ = MovedFromRep();
    }
    return *this;
  }
  /// Exchanges the two records; no count changes, no allocation.
  void swap(VXString& other) noexcept {
    VXStringRep* const mine = rep_;
    rep_ = other.rep_;
    other.rep_ = mine;
  }
  /// The text becomes the one byte `c` (growth in place).
  VXString& operator=(char c);
  /// `replace(0, length(), s, strlen(s))`.
  VXString& operator=(const char* s);

  // --- Reading -------------------------------------------------------------
  /// The text, NUL-terminated, never null; valid until the string changes or dies. Every string
  /// without buffer gives the one shared empty text.
  const char* data() const noexcept {
    const char* const buffer = rep_->buffer;
    return buffer != nullptr ? buffer : EmptyData();
  }
  /// `data()`.
  operator const char*() const noexcept { return data(); }  // NOLINT: by design
  /// Number of text bytes, NUL bytes inside the text included.
  size_t length() const noexcept { return rep_->length; }
  /// Bytes allocated, the terminator's included; 0 without buffer.
  size_t capacity() const noexcept { return rep_->capacity; }
  /// True when `length()` is 0, with or without buffer.
  bool isNull() const noexcept { return rep_->length == 0; }
  /// The byte at `i` <= `length()`; `length()` gives the NUL.
  char operator[](size_t i) const noexcept {
    assert(i <= length());
    return data()[i];
  }
  /// `(*this)[i]`.
  char operator()(size_t i) const noexcept { return (*this)[i]; }
  /// The text as a view, valid as `data()` is.
  std::string_view view() const noexcept { return {data(), length()}; }
  /// The first byte, for range-for; valid as `data()` is.
  const char* begin() const noexcept { return data(); }
  /// One past the last byte.
  const char* end() const noexcept { return data() + length(); }

  // --- Writable index ------------------------------------------------------
  /// A reference to the byte at `i` < `length()`. The string first takes a record of its own
  /// (copying a shared one; a string without buffer gets capacity 8) and marks it unshareable,
  /// so writes through the reference reach this string only: copies made while the mark stands
  /// copy the bytes, and the next change through any other member lifts the mark.
  char& operator[](size_t i) {
    if (IntAtomicGet(rep_->refCount) != kUnshareableCount) AboutToModify(0, true);
    assert(i <= rep_->length);
    return rep_->buffer[i];
  }
  /// The writable `(*this)[i]`.
  char& operator()(size_t i) { return (*this)[i]; }

  // --- Splicing ------------------------------------------------------------
  // Every form is `replace(pos, n, s, m)` and returns *this. It edits in place when this string
  // holds its record alone, the result fits and `s` does not point into this text; otherwise it
  // builds the result in a new record of capacity max(old, new length) + 1 rounded up to 8, so
  // a source inside this string's own text is fine (`s.append(s)`). The result has a buffer.
  //
  //     vx::VXString s("hello");
  //     s.replace(1, 3, "XY");      // "hXYo"
  //     s.remove(1, vx::NPOS);      // "h"

  /// Replaces the `n` bytes at `pos` <= `length()` (cut to the end of the text) by the `m`
  /// bytes at `s`; a null `s` inserts nothing.
  VXString& replace(size_t pos, size_t n, const char* s, size_t m);
  VXString& replace(size_t pos, size_t n, const char* s);        ///< With `strlen(s)` bytes of `s`.
  VXString& replace(size_t pos, size_t n, const VXString& str);  ///< With all of `str`.
  /// With the first min(`m`, `str.length()`) bytes of `str`.
  VXString& replace(size_t pos, size_t n, const VXString& str, size_t m);

  VXString& append(const char* s);                  ///< `replace(length(), 0, s, strlen(s))`.
  VXString& append(const char* s, size_t n);        ///< `replace(length(), 0, s, n)`.
  VXString& append(const VXString& str);            ///< Appends all of `str`.
  VXString& append(const VXString& str, size_t n);  ///< Appends up to `n` bytes of `str`.
  VXString& operator+=(const char* s) { return append(s); }          ///< `append(s)`.
  VXString& operator+=(const VXString& str) { return append(str); }  ///< `append(str)`.

  VXString& prepend(const char* s);                  ///< `replace(0, 0, s, strlen(s))`.
  VXString& prepend(const char* s, size_t n);        ///< `replace(0, 0, s, n)`.
  VXString& prepend(const VXString& str);            ///< Prepends all of `str`.
  VXString& prepend(const VXString& str, size_t n);  ///< The first `n` <= `str.length()`.

  VXString& insert(size_t pos, const char* s);            ///< `replace(pos, 0, s, strlen(s))`.
  VXString& insert(size_t pos, const char* s, size_t n);  ///< `replace(pos, 0, s, n)`.
  VXString& insert(size_t pos, const VXString& str);      ///< Inserts all of `str`.
  /// Inserts the first `n` <= `str.length()` bytes of `str`.
  VXString& insert(size_t pos, const VXString& str, size_t n);

  /// `replace(pos, length() - pos, nullptr, 0)`: cuts the text at `pos`.
  VXString& remove(size_t pos);
  VXString& remove(size_t pos, size_t n);  ///< `replace(pos, n, nullptr, 0)`; `n` may be `NPOS`.

  // --- Filling and whole-text changes (growth in place) --------------------
  /// Appends `count` copies of `c`.
  VXString& append(char c, size_t count);
  /// `append(c, 1)`.
  VXString& append(char c) {
    // Inline for the common case: the only holder of a shareable record (count 1, which the
    // append leaves as it is) with room for the byte and its NUL.
    VXStringRep* const rep = rep_;
    const size_t len = rep->length;
    if (len + 1 < rep->capacity && IntAtomicGet(rep->refCount) == 1) {
      char* const buffer = rep->buffer;
      buffer[len] = c;
      buffer[len + 1] = '\0';
      rep->length = len + 1;
      return *this;
    }
    return append(c, 1);
  }
  VXString& operator+=(char c) { return append(c); }  ///< `append(c)`.
  /// Puts `count` copies of `c` in front of the text.
  VXString& prepend(char c, size_t count);
  /// Makes the text `n` bytes long, padding with spaces or cutting the end (capacity kept). To
  /// the current length it does nothing at all: a shared record stays shared, a mark stays.
  void resize(size_t n);
  void toLower();  ///< Folds every byte to lower case.
  void toUpper();  ///< Folds every byte to upper case.

  // --- Search --------------------------------------------------------------
  size_t first(char c) const noexcept;                      ///< First position of `c`.
  size_t index(char c) const noexcept { return first(c); }  ///< `first(c)`.
  size_t last(char c) const noexcept;                       ///< Last position of `c`.
  /// First position at or after `start` of `c`; `NPOS` when `start` >= `length()`.
  size_t index(char c, size_t start) const noexcept;
  /// First position holding a byte of `set` before its first NUL (so NUL is never found);
  /// `NPOS` for a null or empty `set`.
  size_t first(const char* set) const noexcept;
  /// First position holding one of the `n` bytes at `set`.
  size_t first(const char* set, size_t n) const noexcept;

  /// Leftmost occurrence at or after `start` of the `patLen` bytes at `pat`; `NPOS` when
  /// `start > length()` or the pattern does not fit in the rest. The empty pattern is found at
  /// `start` when `start < length()`, never at `length()`.
  ///
  ///     vx::VXString("hello").index("LL", 2, 0, vx::VXString::IgnoreCase);  // 2
  size_t index(const char* pat, size_t patLen, size_t start, ECaseComp mode = Exact) const noexcept;
  /// The search for the first `patLen` <= `pat.length()` bytes of `pat`.
  size_t index(const VXString& pat, size_t patLen, size_t start,
               ECaseComp mode = Exact) const noexcept;
  /// The search for `pat` up to its first NUL.
  size_t index(const char* pat, size_t start = 0, ECaseComp mode = Exact) const noexcept;
  /// The search for the whole of `pat`.
  size_t index(const VXString& pat, size_t start = 0, ECaseComp mode = Exact) const noexcept;
  /// Deleted: a mode in the place of the start would be taken as start 1 (`IgnoreCase`) and an
  /// exact search. Write `index(pat, 0, mode)`.
  size_t index(const char* pat, ECaseComp mode) const = delete;
  size_t index(const VXString& pat, ECaseComp mode) const = delete;
  /// Whether `index(pat, 0, mode)` finds something: the empty pattern is in every non-empty
  /// text and in no empty one.
  bool contains(const char* pat, ECaseComp mode = Exact) const noexcept;
  /// `contains` with the whole of `pat`.
  bool contains(const VXString& pat, ECaseComp mode = Exact) const noexcept;

  // --- Comparison and hash -------------------------------------------------
  /// Three-way comparison of the text with the `n` bytes at `s`, reading at most
  /// min(`length()`, `n`) of them. At the first differing pair: `Exact` answers their
  /// difference as unsigned bytes (`memcmp` order); `IgnoreCase` the difference of the folded
  /// bytes as signed chars: 'a' vs 'B' is -1, 0x80 vs 'A' is -193, '_' vs 'a' is +30 ('_', 0x5F,
  /// sorts after the letters). When the common part agrees: exactly -1, 0 or +1 by length.
  int compareTo(const char* s, size_t n, ECaseComp mode = Exact) const noexcept;
  /// Against `s` up to its first NUL.
  int compareTo(const char* s, ECaseComp mode = Exact) const noexcept;
  /// Against `other`'s text.
  int compareTo(const VXString& other, ECaseComp mode = Exact) const noexcept;

  /// The byte hash: h = 0; for each byte as a sign-extended signed char v,
  /// h ^= v + 0x9E3779B9 + (h << 6) + (h >> 2) (64-bit). "" gives 0, "\0" 0x9E3779B9,
  /// "\xFF" 0x9E3779B8, "a" 0x9E377A1A.
  size_t hash() const noexcept { return hash(*this); }
  static size_t hash(const VXString& s) noexcept;  ///< `s.hash()`.

  // --- Views ---------------------------------------------------------------
  /// The view of `length` bytes from `start`, stored unchecked; `(NPOS, 0)` gives the null
  /// sub-string.
  VXSubString operator()(size_t start, size_t length);
  VXSubString operator()(size_t start, size_t length) const;  ///< The `const` form.
  /// The view without the run of `c` at the chosen sides. A text made only of `c` gives an
  /// empty view at `length()` (`Leading`, `Both`) or at 0 (`Trailing`).
  ///
  ///     vx::VXString("  ab  ").strip(vx::VXString::Both, ' ');  // "ab", start 2
  VXSubString strip(EStripType type, char c);
  const VXSubString strip(EStripType type, char c) const;  ///< The `const` form.

 private:
  friend class VXSubString;
  friend struct detail::VXStringTestAccess;
  using VXStringRep = detail::VXStringRep;
  using RefCount = std::atomic<std::int32_t>;

  // The count of a record marked unshareable (`Unshareable` as the 32-bit count stores it),
  // and the count of the moved-from record, which no string counts.
  static constexpr std::int32_t kUnshareableCount = INT32_MIN;
  static constexpr std::int32_t kMovedFromCount = 0;
  static const long Unshareable;  // 0x80000000 as a `long`: -2147483648

  // The 32-bit count's value as a `long`. The load is acquire: a holder that sees itself alone
  // (1 or the mark) is ordered after every other holder's last use. Increment and decrement
  // are sequentially consistent and answer the new value. The stores of 1 or the mark that end
  // a change are relaxed, the string being then the only holder.
  static long IntAtomicGet(const RefCount& value) noexcept {
    return value.load(std::memory_order_acquire);
  }
  static long IntAtomicIncrement(RefCount& value) noexcept {
    return value.fetch_add(1, std::memory_order_seq_cst) + 1;
  }
  static long IntAtomicDecrement(RefCount& value) noexcept {
    return value.fetch_sub(1, std::memory_order_seq_cst) - 1;
  }

  // Frees a record held alone (count 1 or the mark) at once, leaves the moved-from record
  // alone, else counts down and frees the record when the count falls below 1.
  static void Release(VXStringRep* rep) noexcept {
    const long count = IntAtomicGet(rep->refCount);
    const bool alone = count == 1 || count == kUnshareableCount;
    if (alone || (count != kMovedFromCount && IntAtomicDecrement(rep->refCount) < 1)) {
      FreeRep(rep);
    }
  }
  static void FreeRep(VXStringRep* rep) noexcept;
  // A fresh record (count 1) with a copy of `source`'s text and room for max(its length, room).
  static VXStringRep* CopyRep(const VXStringRep& source, size_t room);
  static const char* EmptyData() noexcept;  // the shared empty text
  static VXStringRep* MovedFromRep() noexcept { return &MovedFrom; }
  static VXStringRep MovedFrom;  // no buffer, count kMovedFromCount

  // Makes this string the only holder of a record with room for `needed` bytes (text
  // unchanged), then stores 1 or the mark in its count.
  void AboutToModify(size_t needed, bool unshareable);
  VXString& AssignCopy(const VXString& other);

  VXStringRep* rep_;
};

}  // namespace vx

// The free operators, `swap` and `std::hash`.
#include "vexlo/strings/VXStringOperators.h"  // IWYU pragma: export
// The views that `operator()` and `strip` answer.
#include "vexlo/strings/VXSubString.h"  // IWYU pragma: export

#endif  // VEXLO_STRINGS_VXSTRING_H
