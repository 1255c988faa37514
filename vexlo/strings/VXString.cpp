#include "vexlo/strings/VXString.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <type_traits>

#include "vexlo/strings/internal/CaseFolding.h"

namespace vx {

const size_t NPOS = static_cast<size_t>(-1);
// Spelled so that it also fits a 32-bit long.
const long VXString::Unshareable = -2147483647L - 1;

static_assert(sizeof(VXString) == sizeof(void*), "a string is one pointer to its record");
static_assert(std::is_nothrow_move_constructible_v<VXString> &&
                  std::is_nothrow_move_assignable_v<VXString> &&
                  std::is_nothrow_swappable_v<VXString>,
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

// Both fold by the rule of CaseFolding.h, so that a text folded here and the
// comparison that ignores case agree byte for byte.
void VXString::toLower() {
  AboutToModify(0, false);
  char* const buffer = rep_->buffer;
  for (size_t i = 0, len = rep_->length; i < len; ++i) {
    buffer[i] = static_cast<char>(detail::LowerNow(buffer[i]));
  }
}

void VXString::toUpper() {
  AboutToModify(0, false);
  const detail::CaseFolding fold = detail::CaseFolding::Current();
  char* const buffer = rep_->buffer;
  for (size_t i = 0, len = rep_->length; i < len; ++i) {
    buffer[i] = static_cast<char>(fold.Upper(buffer[i]));
  }
}

std::ostream& operator<<(std::ostream& out, const VXString& s) { return out << s.view(); }

}  // namespace vx
