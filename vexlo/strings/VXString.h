#ifndef VEXLO_STRINGS_VXSTRING_H
#define VEXLO_STRINGS_VXSTRING_H

/// \file
/// `vx::VXString`, the library's copy-on-write byte string, and `vx::NPOS`.

#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string_view>

#include "vexlo/Export.h"

namespace vx {

class VXString;
class VXSubString;

/// The `size_t` with all bits set. As a search result: nothing found. As a
/// count of bytes to remove: up to the end of the text. As the start of a
/// `VXSubString`: the null sub-string.
extern VX_API const size_t NPOS;

namespace detail {

/// The shared record behind one or more `VXString` handles. Only the string
/// classes read or write it.
///
/// - `buffer` is null exactly when `capacity` is 0, and then `length` is 0.
/// - Otherwise `length < capacity`, `buffer[length]` is NUL and `capacity` is
///   a multiple of 8. `buffer` comes from `new[]`, the record from `new`.
/// - `refCount` is the number of holders (at least 1), or the unshareable
///   mark (the most negative 32-bit value), which means exactly one holder,
///   or 0 for the one empty record that moved-from strings hold: it has no
///   buffer, is never counted, changed or freed.
/// - `buffer`, `capacity` and `length` change only while one string holds it.
struct VXStringRep {
  /// The text and its NUL, or null.
  char* buffer;
  /// Bytes allocated for `buffer`.
  size_t capacity;
  /// Text bytes, not counting the NUL.
  size_t length;
  /// Holders, or the unshareable mark.
  std::atomic<std::int32_t> refCount;
};

/// Defined only by the library's tests, to look at a string's record.
struct VXStringTestAccess;

}  // namespace detail

/// A byte string whose text lives in a shared, reference-counted record.
///
/// Copying a string shares the record (one atomic increment, no bytes
/// copied); a string about to change its text first takes a private copy of
/// the record if anyone else holds it (copy on write). The text is a sequence
/// of bytes that may contain NUL bytes; a NUL byte always follows it, so
/// `data()` can be passed wherever a NUL-terminated text is expected.
///
///     vx::VXString a("hello");
///     vx::VXString b = a;             // shares a's record: a.data() == b.data()
///     b.append(", world");            // b detaches; a still reads "hello"
///     size_t at = b.index("WORLD", 0, vx::VXString::IgnoreCase);  // 7
///
/// Threads: different `VXString` objects may be used on different threads at
/// once, also when they share a record; one object may be read (const
/// members, copying from it) by several threads at once. A change of one
/// object must not overlap any other use of that object.
///
/// Errors: nothing is reported but allocation failure, which propagates as
/// `std::bad_alloc` and leaves the string, its record and every other holder
/// as they were. Lengths beyond `PTRDIFF_MAX` are reported the same way.
///
/// Capacity: `capacity()` counts the bytes allocated, the terminator's byte
/// included, and is 0 or a multiple of 8. Growth in place (filling, resizing,
/// case folding, writable index) takes the larger of `needed + 1` and one and
/// a half times the old capacity, rounded up to 8: one byte at a time from
/// nothing gives 8, 16, 24, 40, 64, 96, 144, ... A fresh or copied record gets
/// only `needed + 1` rounded up to 8, and so do the splicing edits (`append`,
/// `insert`, `replace`, ... with a text) when the result does not fit.
///
/// Case folding (`toUpper`, `toLower`, and `IgnoreCase` in `index`,
/// `contains` and `compareTo`) is that of the C library's `toupper` and
/// `tolower` in the calling thread's current locale, read when the operation
/// runs: a program that changes the locale (`setlocale`, or `uselocale` for
/// one thread) between two calls sees the new folding at the second. Each
/// byte is taken as a signed char; 0xFF, which is then `EOF`, never changes;
/// 0x80 to 0xFE, which these functions do not accept as signed chars, go in
/// as their unsigned values; the low byte of the answer, as a signed char, is
/// the folded byte. In the default locale only A-Z / a-z change; in Latin-1,
/// 0xE9 (e acute) upper-cases to 0xC9 and compares equal to it.
/// Cost: equal bytes need no folding, so texts equal byte for byte compare
/// without consulting the locale. With glibc the C library's own table for
/// the thread's locale is read (no call per byte, nothing prepared), and a
/// locale that folds as ASCII does (the default one, the UTF-8 ones) folds 16
/// or 32 bytes per step; the global locale's tables, which the C library
/// never unloads, are recognised by their address, while a thread's own
/// locale (`uselocale`) has its table examined (255 entries) at each
/// operation that folds. Other C libraries: each thread keeps a table of 256
/// `toupper` answers, taken again when the locale's name changes.
///
/// Caller errors that the text-level contract leaves undefined are treated as
/// follows. Debug builds assert on them; release builds do what is stated:
/// - A null pointer given to a form that measures a NUL-terminated text
///   (no count argument) is taken as the empty text, in every build.
/// - A null pointer with a count inserts nothing in the splicing forms (any
///   build); elsewhere (counted constructor, `first`, `index`, `compareTo`) it
///   must come with the count 0.
/// - A splicing position beyond `length()` asserts; release uses `length()`.
/// - `insert`/`prepend` with a `VXString` source and a count beyond the
///   source's length assert; release uses the whole source. So does the
///   sequence search with a `VXString` pattern and a pattern length beyond it.
/// - `index(c, start)` with `start` beyond `length()` answers `NPOS`, as the
///   sequence search does (every build).
/// - Index operators beyond `length()` assert; release does not check. The
///   writable ones may reach the terminator but must not change it.
/// - A view from `operator()(start, length)` that does not fit asserts;
///   release stores it unchecked.
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

  /// The empty string without buffer: `length()` 0, `capacity()` 0, and
  /// `data()` the shared empty text of every string without buffer.
  VXString();
  /// The bytes of `s` before its first NUL, in a buffer of their own: even ""
  /// gets capacity 8. A null `s` is taken as "".
  VXString(const char* s);  // NOLINT: implicit by design, like a text literal
  /// Exactly `n` bytes of `s`, NUL bytes included, capacity `n + 1` rounded up
  /// to 8. With `n` 0, `s` is not read (and may be null).
  VXString(const char* s, size_t n);
  /// An empty text with room for `n` bytes: capacity `n + 1` rounded up to 8
  /// (5 and 7 give 8, 8 gives 16).
  explicit VXString(size_t n);
  /// `n` copies of `c`; capacity `n + 1` rounded up to 8.
  VXString(char c, size_t n);
  /// Shares `other`'s record (one atomic increment). If `other` holds a
  /// record marked by a writable index, the bytes are copied instead into a
  /// record with capacity `other.length() + 1` rounded up to 8.
  VXString(const VXString& other) : rep_(other.rep_) {
    const long count = IntAtomicGet(rep_->refCount);
    if (count >= 1) {
      IntAtomicIncrement(rep_->refCount);
    } else if (count == kUnshareableCount) {
      rep_ = CopyRep(*rep_, 0);
    }
  }
  /// Takes `other`'s record as it stands (no count changes, no allocation;
  /// an unshareable mark goes along) and leaves `other`, without allocating,
  /// to behave as `VXString()` in every operation.
  VXString(VXString&& other) noexcept : rep_(other.rep_) { other.rep_ = MovedFromRep(); }
  /// A new string holding a copy of the viewed bytes in a record of its own,
  /// as `VXString(view.data(), view.length())`; never shares with the viewed
  /// string.
  VXString(const VXSubString& view);  // NOLINT: implicit, a view becomes a string
  /// As `VXString(text.data(), text.size())`.
  explicit VXString(std::string_view text) : VXString(text.data(), text.size()) {}
  /// Gives the record up; the last holder frees it.
  ~VXString() { Release(rep_); }

  // --- Assignment ----------------------------------------------------------

  /// Shares `other`'s record (one atomic increment); nothing at all happens
  /// when both already hold the same record. From a string marked by a
  /// writable index the bytes are copied into this string's own record.
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
  /// Gives this string's record up and takes `other`'s as the move
  /// constructor does; `other` is left as a moved-from string. Moving a
  /// string to itself changes nothing.
  VXString& operator=(VXString&& other) noexcept {
    if (this != &other) {
      Release(rep_);
      rep_ = other.rep_;
      other.rep_ = MovedFromRep();
    }
    return *this;
  }
  /// Exchanges the two strings' records; no count changes, no allocation.
  void swap(VXString& other) noexcept {
    VXStringRep* const mine = rep_;
    rep_ = other.rep_;
    other.rep_ = mine;
  }
  /// The text becomes the one byte `c` (growth in place).
  VXString& operator=(char c);
  /// The text becomes the bytes of `s` before its first NUL, as
  /// `replace(0, length(), s, strlen(s))`. A null `s` is taken as "".
  VXString& operator=(const char* s);

  // --- Reading -------------------------------------------------------------

  /// The text, NUL-terminated; never null. Valid until the string changes or
  /// dies. All strings without buffer give one shared empty text.
  const char* data() const noexcept {
    const char* const buffer = rep_->buffer;
    return buffer != nullptr ? buffer : EmptyData();
  }
  /// The same pointer as `data()`.
  operator const char*() const noexcept { return data(); }  // NOLINT: by design
  /// Number of text bytes, NUL bytes inside the text included.
  size_t length() const noexcept { return rep_->length; }
  /// Bytes allocated, the terminator's included; 0 without buffer.
  size_t capacity() const noexcept { return rep_->capacity; }
  /// True when `length()` is 0, with or without buffer.
  bool isNull() const noexcept { return rep_->length == 0; }
  /// The byte at `i`, 0 <= i <= length(); `length()` gives the NUL.
  char operator[](size_t i) const noexcept {
    assert(i <= length());
    return data()[i];
  }
  /// The same byte as `operator[]`.
  char operator()(size_t i) const noexcept { return (*this)[i]; }
  /// The text as a view; valid as `data()` is.
  std::string_view view() const noexcept { return {data(), length()}; }
  /// The text's bytes, for range-for; valid as `data()` is.
  const char* begin() const noexcept { return data(); }
  /// One past the text's last byte.
  const char* end() const noexcept { return data() + length(); }

  // --- Writable index ------------------------------------------------------

  /// A reference to the byte at `i`, 0 <= i < length(). The string first
  /// takes a record of its own (copying a shared one) and marks it
  /// unshareable, so that writes through the reference reach this string
  /// only: copies made while the mark stands copy the bytes, and the next
  /// change of the text through any other member lifts the mark. On a string
  /// without buffer this allocates one (capacity 8).
  char& operator[](size_t i) {
    if (IntAtomicGet(rep_->refCount) != kUnshareableCount) AboutToModify(0, true);
    assert(i <= rep_->length);
    return rep_->buffer[i];
  }
  /// The same reference as the writable `operator[]`.
  char& operator()(size_t i) { return (*this)[i]; }

  // --- Splicing ------------------------------------------------------------
  // Every form below is `replace(pos, n, s, m)`. It edits in place when this
  // string is the record's only holder, the result fits, and `s` does not
  // point into this string's text; otherwise it builds the result in a new
  // record of capacity max(old length, new length) + 1 rounded up to 8. A
  // source inside this string's own text is therefore fine
  // (`s.append(s)`). Afterwards the string is the only holder of a record
  // with a buffer, and any unshareable mark is gone. Each returns *this.
  //
  //     vx::VXString s("hello");
  //     s.replace(1, 3, "XY");      // "hXYo"
  //     s.remove(1, vx::NPOS);      // "h"

  /// Replaces the `n` bytes at `pos` (cut to the end of the text) by the `m`
  /// bytes at `s`. A null `s` inserts nothing. `pos` <= length().
  VXString& replace(size_t pos, size_t n, const char* s, size_t m);
  /// `replace(pos, n, s, strlen(s))`.
  VXString& replace(size_t pos, size_t n, const char* s);
  /// `replace(pos, n, str.data(), str.length())`.
  VXString& replace(size_t pos, size_t n, const VXString& str);
  /// `replace(pos, n, str.data(), min(m, str.length()))`.
  VXString& replace(size_t pos, size_t n, const VXString& str, size_t m);

  /// `replace(length(), 0, s, strlen(s))`.
  VXString& append(const char* s);
  /// `replace(length(), 0, s, n)`.
  VXString& append(const char* s, size_t n);
  /// `replace(length(), 0, str.data(), str.length())`.
  VXString& append(const VXString& str);
  /// `replace(length(), 0, str.data(), min(n, str.length()))`.
  VXString& append(const VXString& str, size_t n);
  /// The same as `append(s)`.
  VXString& operator+=(const char* s) { return append(s); }
  /// The same as `append(str)`.
  VXString& operator+=(const VXString& str) { return append(str); }

  /// `replace(0, 0, s, strlen(s))`.
  VXString& prepend(const char* s);
  /// `replace(0, 0, s, n)`.
  VXString& prepend(const char* s, size_t n);
  /// `replace(0, 0, str.data(), str.length())`.
  VXString& prepend(const VXString& str);
  /// `replace(0, 0, str.data(), n)`; `n` <= str.length() (not cut).
  VXString& prepend(const VXString& str, size_t n);

  /// `replace(pos, 0, s, strlen(s))`.
  VXString& insert(size_t pos, const char* s);
  /// `replace(pos, 0, s, n)`.
  VXString& insert(size_t pos, const char* s, size_t n);
  /// `replace(pos, 0, str.data(), str.length())`.
  VXString& insert(size_t pos, const VXString& str);
  /// `replace(pos, 0, str.data(), n)`; `n` <= str.length() (not cut).
  VXString& insert(size_t pos, const VXString& str, size_t n);

  /// `replace(pos, length() - pos, nullptr, 0)`: cuts the text at `pos`.
  VXString& remove(size_t pos);
  /// `replace(pos, n, nullptr, 0)`; `n` may be `NPOS`.
  VXString& remove(size_t pos, size_t n);

  // --- Filling and whole-text changes --------------------------------------
  // These grow in place (by at least half) and leave the string the only
  // holder of its record, without unshareable mark.

  /// Appends `count` copies of `c`.
  VXString& append(char c, size_t count);
  /// Appends `c`: `append(c, 1)`.
  VXString& append(char c) {
    // The common case inline: the only holder of a record with room for the
    // byte and its NUL. It ends as append(c, 1) does, with the count at 1.
    VXStringRep* const rep = rep_;
    const size_t len = rep->length;
    const long count = IntAtomicGet(rep->refCount);
    if (len + 1 < rep->capacity && count <= 1) {
      char* const buffer = rep->buffer;
      buffer[len] = c;
      buffer[len + 1] = '\0';
      rep->length = len + 1;
      if (count != 1) rep->refCount.store(1, std::memory_order_relaxed);
      return *this;
    }
    return append(c, 1);
  }
  /// The same as `append(c)`.
  VXString& operator+=(char c) { return append(c); }
  /// Puts `count` copies of `c` in front of the text.
  VXString& prepend(char c, size_t count);
  /// Makes the text `n` bytes long, padding with spaces or cutting the end;
  /// cutting keeps the capacity. To the current length it does nothing at
  /// all: a shared record stays shared, a mark stays.
  void resize(size_t n);
  /// Folds every byte to lower case (see Case folding above).
  void toLower();
  /// Folds every byte to upper case (see Case folding above).
  void toUpper();

  // --- Search --------------------------------------------------------------
  // Searches answer a position counted from 0, or `NPOS` when nothing is
  // found. NUL bytes inside the text are ordinary bytes. None allocates.

  /// First position of the byte `c`.
  size_t first(char c) const noexcept;
  /// The same as `first(c)`.
  size_t index(char c) const noexcept { return first(c); }
  /// First position at or after `start` of the byte `c`; `NPOS` when `start`
  /// is `length()` or beyond.
  size_t index(char c, size_t start) const noexcept;
  /// Last position of the byte `c`.
  size_t last(char c) const noexcept;
  /// First position whose byte is any byte of `set` before its first NUL
  /// (so NUL is never found). Null or empty `set`: `NPOS`.
  size_t first(const char* set) const noexcept;
  /// First position whose byte is any of the `n` bytes at `set`.
  size_t first(const char* set, size_t n) const noexcept;

  /// Leftmost occurrence at or after `start` of the `patLen` bytes at `pat`.
  /// `NPOS` when `start > length()` or the pattern does not fit in the rest.
  /// The empty pattern is found at `start` when `start < length()`, never at
  /// `length()`.
  ///
  ///     vx::VXString("hello").index("LL", 2, 0, vx::VXString::IgnoreCase);  // 2
  size_t index(const char* pat, size_t patLen, size_t start, ECaseComp mode = Exact) const noexcept;
  /// The search for the first `patLen` bytes of `pat` (`patLen` <=
  /// `pat.length()`; release builds cut it to that).
  size_t index(const VXString& pat, size_t patLen, size_t start,
               ECaseComp mode = Exact) const noexcept;
  /// The search for `pat` up to its first NUL (null: the empty pattern).
  size_t index(const char* pat, size_t start = 0, ECaseComp mode = Exact) const noexcept;
  /// The search for the whole of `pat`.
  size_t index(const VXString& pat, size_t start = 0, ECaseComp mode = Exact) const noexcept;
  /// Not declared to search: a mode passed where the start belongs would
  /// otherwise be taken as start 1 (`IgnoreCase`) and an exact search.
  /// Write `index(pat, 0, mode)`.
  size_t index(const char* pat, ECaseComp mode) const = delete;
  size_t index(const VXString& pat, ECaseComp mode) const = delete;
  /// Whether `index(pat, 0, mode)` finds something: the empty pattern is
  /// contained in every non-empty text and in no empty one.
  bool contains(const char* pat, ECaseComp mode = Exact) const noexcept;
  /// As `contains(const char*, ECaseComp)`, with the whole of `pat`.
  bool contains(const VXString& pat, ECaseComp mode = Exact) const noexcept;

  // --- Comparison and hash -------------------------------------------------

  /// Three-way comparison of the text with the `n` bytes at `s` (no more
  /// than min(length(), n) of them are read). At the first differing pair of
  /// bytes: `Exact`, their difference as unsigned bytes (the order of
  /// `memcmp`); `IgnoreCase`, the difference of the two folded bytes, each a
  /// signed char: 'a' vs 'B' is -1; 0x80 vs 'A' is -193; '_' vs 'a' is +30,
  /// since '_' (0x5F) sorts after the letters when case is ignored. When the
  /// common part agrees: exactly -1, 0 or +1 by length.
  int compareTo(const char* s, size_t n, ECaseComp mode = Exact) const noexcept;
  /// Against `s` up to its first NUL (null: "").
  int compareTo(const char* s, ECaseComp mode = Exact) const noexcept;
  /// As `compareTo(const char*, size_t, ECaseComp)`, with `other`'s text.
  int compareTo(const VXString& other, ECaseComp mode = Exact) const noexcept;

  /// The byte hash: h = 0; for each byte b taken as a sign-extended signed
  /// char v, h ^= v + 0x9E3779B9 + (h << 6) + (h >> 2) (64-bit). "" gives 0,
  /// "\0" 0x9E3779B9, "\xFF" 0x9E3779B8, "a" 0x9E377A1A.
  size_t hash() const noexcept { return hash(*this); }
  /// The hash of `s`'s bytes; `s.hash()` gives the same.
  static size_t hash(const VXString& s) noexcept;

  // --- Views ---------------------------------------------------------------

  /// The view of `length` bytes from `start`, stored unchecked (debug builds
  /// assert that it fits). `(NPOS, 0)` gives the null sub-string.
  VXSubString operator()(size_t start, size_t length);
  /// The `const` form of `operator()(size_t, size_t)`.
  VXSubString operator()(size_t start, size_t length) const;
  /// The view of this string without the run of `c` at the chosen sides.
  /// A text made only of `c` gives an empty view at `length()` (Leading,
  /// Both) or at 0 (Trailing).
  ///
  ///     vx::VXString("  ab  ").strip(vx::VXString::Both, ' ');  // "ab", start 2
  VXSubString strip(EStripType type, char c);
  /// The `const` form of `strip`.
  const VXSubString strip(EStripType type, char c) const;

 private:
  friend class VXSubString;
  friend struct detail::VXStringTestAccess;
  using VXStringRep = detail::VXStringRep;
  using RefCount = std::atomic<std::int32_t>;

  /// The count that marks a record as unshareable: `Unshareable`, as the
  /// record's 32-bit count stores it.
  static constexpr std::int32_t kUnshareableCount = INT32_MIN;
  /// The count of the moved-from record, which no string counts.
  static constexpr std::int32_t kMovedFromCount = 0;
  /// 0x80000000 as a `long`: -2147483648.
  static const long Unshareable;

  // The count functions take the record's count as the 32-bit atomic it is
  // (a `long` is 64 bits on some platforms) and answer its value as a `long`.
  // Increment and decrement are sequentially consistent read-modify-writes;
  // the stores of 1 or the mark at the end of a change are relaxed, as the
  // string is then the record's only holder.
  /// The count, with acquire order: a holder that sees itself alone (1 or the
  /// mark) is ordered after every other holder's last use of the record.
  static long IntAtomicGet(const RefCount& value) noexcept {
    return value.load(std::memory_order_acquire);
  }
  /// Adds 1 (sequentially consistent); answers the new value.
  static long IntAtomicIncrement(RefCount& value) noexcept {
    return value.fetch_add(1, std::memory_order_seq_cst) + 1;
  }
  /// Subtracts 1 (sequentially consistent); answers the new value.
  static long IntAtomicDecrement(RefCount& value) noexcept {
    return value.fetch_sub(1, std::memory_order_seq_cst) - 1;
  }

  /// Gives `rep` up: frees a record it holds alone (count 1 or the mark) at
  /// once, leaves the moved-from record alone, else counts down and frees it
  /// when the count falls below 1.
  static void Release(VXStringRep* rep) noexcept {
    const long count = IntAtomicGet(rep->refCount);
    const bool alone = count == 1 || count == kUnshareableCount;
    if (alone || (count != kMovedFromCount && IntAtomicDecrement(rep->refCount) < 1)) {
      FreeRep(rep);
    }
  }
  static void FreeRep(VXStringRep* rep) noexcept;
  /// A fresh record (count 1) holding a copy of `source`'s text, with room
  /// for max(source length, `room`) bytes.
  static VXStringRep* CopyRep(const VXStringRep& source, size_t room);
  /// The shared empty text of strings without buffer.
  static const char* EmptyData() noexcept;
  /// The record of moved-from strings: no buffer, count `kMovedFromCount`.
  static VXStringRep* MovedFromRep() noexcept { return &MovedFrom; }
  static VXStringRep MovedFrom;

  /// Makes this string the only holder of a record with room for `needed`
  /// bytes (text unchanged), then stores 1 or the mark in its count.
  void AboutToModify(size_t needed, bool unshareable);
  VXString& AssignCopy(const VXString& other);

  VXStringRep* rep_;
};

/// Exchanges the records of `a` and `b` (`a.swap(b)`); found by
/// argument-dependent lookup, so `using std::swap; swap(a, b)` takes it.
inline void swap(VXString& a, VXString& b) noexcept { a.swap(b); }

/// True when `s`, up to its first NUL (null: ""), has exactly the bytes of
/// `a`. A string holding a NUL byte equals no such text.
VX_API bool operator==(const VXString& a, const char* s) noexcept;
/// True when both texts have the same length and bytes.
VX_API bool operator==(const VXString& a, const VXString& b) noexcept;
/// Equality with the text on the left; agrees with `a == s`.
inline bool operator==(const char* s, const VXString& a) noexcept { return a == s; }
/// The negation of `a == s`.
inline bool operator!=(const VXString& a, const char* s) noexcept { return !(a == s); }
/// The negation of `a == s`.
inline bool operator!=(const char* s, const VXString& a) noexcept { return !(a == s); }
/// The negation of `a == b`.
inline bool operator!=(const VXString& a, const VXString& b) noexcept { return !(a == b); }

/// Exact byte order of two strings (`compareTo(b, Exact)`), for ordered
/// containers. Only string against string: a mixed comparison with a text
/// does not compile (it would otherwise compare pointers); use `compareTo`.
inline bool operator<(const VXString& a, const VXString& b) noexcept { return a.compareTo(b) < 0; }
/// `b < a`.
inline bool operator>(const VXString& a, const VXString& b) noexcept { return b < a; }
/// `!(b < a)`.
inline bool operator<=(const VXString& a, const VXString& b) noexcept { return !(b < a); }
/// `!(a < b)`.
inline bool operator>=(const VXString& a, const VXString& b) noexcept { return !(a < b); }

/// Writes the text's bytes, NUL bytes included, formatted like a
/// `std::string_view` (the stream's width and fill apply).
VX_API std::ostream& operator<<(std::ostream& out, const VXString& s);

}  // namespace vx

namespace std {
/// Hashes a string with `VXString::hash()`.
template <>
struct hash<vx::VXString> {
  /// `s.hash()`.
  size_t operator()(const vx::VXString& s) const noexcept { return s.hash(); }
};
}  // namespace std

// The views that `operator()` and `strip` answer.
#include "vexlo/strings/VXSubString.h"  // IWYU pragma: export

#endif  // VEXLO_STRINGS_VXSTRING_H
