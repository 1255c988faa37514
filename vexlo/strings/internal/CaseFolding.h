#ifndef VEXLO_STRINGS_INTERNAL_CASEFOLDING_H
#define VEXLO_STRINGS_INTERNAL_CASEFOLDING_H

/// \file
/// Internal (not exported, not part of the interface): the case folding of
/// the current locale, as the string classes apply it. This file and
/// CaseFolding.cpp are the only ones of the string classes that know how the
/// C library keeps its locale.
///
/// The rule for one byte: it is taken as a signed char; 0xFF, which is then
/// EOF, never changes; 0x80 to 0xFE, which as signed chars (-128 to -2) the
/// C library's functions do not accept, go in as their unsigned values; the
/// low byte of the answer, taken as a signed char, is the folded value. So a
/// byte the locale changes and one it leaves alone compare alike: in Latin-1
/// 0xE9 folds to 0xC9, which is -55 like 0xC9 itself.

#include <atomic>
#include <cstdint>

namespace vx {
namespace detail {

#if defined(__GLIBC__)
/// Where this thread's pointer to its toupper table lives, asked for once
/// per thread; before that, a slot of the library's that holds null, which
/// no known table matches. Initial-exec, so reached without a call.
extern __thread const std::int32_t* const* upperTableSlot
    __attribute__((tls_model("initial-exec")));
/// Tables of the global locale whose folding is known, the low bit set for
/// those that fold as ASCII; 0 marks a free slot (CaseFolding.cpp).
constexpr int kKnownTables = 8;
extern std::atomic<std::uintptr_t> knownTables[kKnownTables];
/// The first of them found to fold as ASCII; until then 1, which no table's
/// address is.
extern std::atomic<std::uintptr_t> asciiTable;
#endif

/// The upper-case folding of every byte in the calling thread's current
/// locale, read when `Current()` runs; valid until the thread's next call of
/// `Current()` or change of locale.
class CaseFolding {
 public:
  /// The folding in force now.
  static CaseFolding Current() noexcept {
#if defined(__GLIBC__)
    if (KnownAsciiNow()) return CaseFolding(*upperTableSlot, true);
#endif
    return Look();
  }
  /// True when the thread's table is `asciiTable` (then
  /// `Current().AsciiOnly()`); false says nothing. Inline, no call.
  static bool KnownAsciiNow() noexcept {
#if defined(__GLIBC__)
    return asciiTable.load(std::memory_order_relaxed) ==
           reinterpret_cast<std::uintptr_t>(*upperTableSlot);
#else
    return false;
#endif
  }
  /// `c` folded to upper case, as a signed char value (-128 to 127).
  int Upper(char c) const noexcept {
    const auto u = static_cast<unsigned char>(c);
    return u == 0xFF ? -1 : static_cast<signed char>(upper_[u]);
  }
  /// True when the locale folds a-z to A-Z and changes no other byte, as the
  /// default locale does: then the ASCII block scans of ByteScan.h fold alike.
  bool AsciiOnly() const noexcept { return asciiOnly_; }

 private:
  /// `Current()` the long way: finds the table, and whether it folds as ASCII.
  static CaseFolding Look() noexcept;

  CaseFolding(const std::int32_t* upper, bool asciiOnly) noexcept
      : upper_(upper), asciiOnly_(asciiOnly) {}

  const std::int32_t* upper_;  // toupper of 0 to 254
  bool asciiOnly_;
};

/// `c` folded to lower case in the current locale, by the same rule.
int LowerNow(char c) noexcept;

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STRINGS_INTERNAL_CASEFOLDING_H
