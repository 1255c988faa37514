#include "vexlo/strings/internal/CaseFolding.h"

#include <atomic>
#include <cctype>
#include <clocale>
#include <cstring>

#include "vexlo/strings/internal/ByteScan.h"

#if defined(__GLIBC__)
# include <ctype.h>
# include <locale.h>
#endif

namespace vx {
namespace detail {

namespace {

// Whether `upper` (toupper of 0 to 254) folds exactly as AsciiUpperByte does.
bool FoldsAsAscii(const std::int32_t* upper) noexcept {
  for (int b = 0; b < 255; ++b) {
    const char c = static_cast<char>(b);
    if (static_cast<signed char>(upper[b]) != static_cast<signed char>(AsciiUpperByte(c))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int LowerNow(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return u == 0xFF ? -1 : static_cast<signed char>(std::tolower(u));
}

#if defined(__GLIBC__)

// The C library keeps, per thread, a pointer to the toupper table of the
// thread's current locale (valid for -128 to 255), and toupper itself reads
// it; so reading that pointer is reading toupper.
// Whether the table folds as ASCII does is remembered by its address, for
// the tables of the global locale only: the C library never unloads those
// (a locale that setlocale has used stays loaded), so their addresses are
// never reused for other tables. A thread's own locale (uselocale) may be
// freed and its address reused, so its table is examined at every call
// (255 entries).
// All constant-initialised: the slot is set at a thread's first fold (the
// library's null slot before, so that the inline check needs no null test),
// the tables are filled as they appear, and the ASCII one is set once.
namespace {
const std::int32_t* const noTable = nullptr;
}  // namespace
__thread const std::int32_t* const* upperTableSlot = &noTable;
std::atomic<std::uintptr_t> knownTables[kKnownTables];
std::atomic<std::uintptr_t> asciiTable{1};

namespace {

// Takes the first free slot. Two threads that race for one slot may leave
// only one entry there: the other table is simply examined again next time.
void Remember(std::uintptr_t entry) noexcept {
  for (std::atomic<std::uintptr_t>& slot : knownTables) {
    const std::uintptr_t held = slot.load(std::memory_order_relaxed);
    if (held == entry) return;
    if (held == 0) {
      slot.store(entry, std::memory_order_relaxed);
      return;
    }
  }
}

}  // namespace

CaseFolding CaseFolding::Look() noexcept {
  const std::int32_t* const* slot = upperTableSlot;
  if (slot == &noTable) upperTableSlot = slot = __ctype_toupper_loc();
  const std::int32_t* const upper = *slot;
  const auto address = reinterpret_cast<std::uintptr_t>(upper);
  for (const std::atomic<std::uintptr_t>& known : knownTables) {
    const std::uintptr_t entry = known.load(std::memory_order_relaxed);
    if ((entry & ~std::uintptr_t{1}) == address) return {upper, (entry & 1) != 0};
    if (entry == 0) break;
  }
  const bool ascii = FoldsAsAscii(upper);
  if (uselocale(nullptr) == LC_GLOBAL_LOCALE) {
    Remember(address | (ascii ? 1 : 0));
    std::uintptr_t none = 1;
    if (ascii) asciiTable.compare_exchange_strong(none, address, std::memory_order_relaxed);
  }
  return {upper, ascii};
}

#else

// Elsewhere the C library's tables are not reachable: each thread keeps the
// toupper of every byte, taken with the locale whose name setlocale
// answers, and takes it again when the name changes (255 calls of toupper).
namespace {

struct FoldingCache {
  char locale[128];
  bool valid;
  bool ascii;
  std::int32_t upper[256];
};
thread_local FoldingCache cache;

}  // namespace

CaseFolding CaseFolding::Look() noexcept {
  const char* const name = std::setlocale(LC_CTYPE, nullptr);
  if (name != nullptr && cache.valid && std::strcmp(name, cache.locale) == 0) {
    return {cache.upper, cache.ascii};
  }
  for (int b = 0; b < 255; ++b) cache.upper[b] = std::toupper(b);
  cache.ascii = FoldsAsAscii(cache.upper);
  cache.valid = name != nullptr && std::strlen(name) < sizeof cache.locale;
  if (cache.valid) std::strcpy(cache.locale, name);
  return {cache.upper, cache.ascii};
}

#endif

}  // namespace detail
}  // namespace vx
