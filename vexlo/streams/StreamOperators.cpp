#include "vexlo/streams/StreamOperators.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/streams/internal/LengthLimit.h"

namespace vx {

namespace {

void PutText(tvc::ITVCOutStream& s, const char* text, size_t n) {
  const std::uint64_t length = n;
  s.PutUint64(length);
  s.PutN(text, n);
}

// Reads a string's length and bytes into `scratch`; nothing of the target is
// touched here, so a failure leaves it as it was.
template <class Use>
void ReadText(tvc::ITVCInStream& s, Use use) {
  std::uint64_t length = 0;
  s.GetUint64(length);
  detail::CheckLengthLimit(s, length, "VXString");
  if (length > static_cast<std::uint64_t>(PTRDIFF_MAX)) throw std::bad_array_new_length();
  const auto n = static_cast<size_t>(length);
  detail::CScratchArea<char> scratch(n);
  s.GetN(scratch.get(), n);
  use(scratch.get(), n);
}

}  // namespace

tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const VXString& str) {
  PutText(s, str.data(), str.length());
  return s;
}

tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const char* const& p) {
  PutText(s, p, std::strlen(p));
  return s;
}

tvc::ITVCOutStream& PutLPCSTR(tvc::ITVCOutStream& s, const char* const& p, size_t maxLen) {
  size_t n = 0;
  while (n < maxLen && p[n] != '\0') ++n;
  PutText(s, p, n);
  return s;
}

// The result is a record of `str`'s own, of the capacity that
// VXString(text, n) gives (n + 1 rounded up to 8). When `str` already has
// that capacity, replace gives the same result without a new record: in
// place if `str` holds its record alone, else in a copy of exactly that
// capacity (the old length is below it). A string read again and again at
// one length (a record's fields) then costs no allocation. Otherwise the new
// record is moved in, which leaves `str` its only holder.
tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, VXString& str) {
  ReadText(s, [&str](const char* text, size_t n) {
    if (str.capacity() == n / 8 * 8 + 8) {
      str.replace(0, str.length(), text, n);
    } else {
      str = VXString(text, n);
    }
  });
  return s;
}

tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, VXString*& pstr) {
  ReadText(s, [&pstr](const char* text, size_t n) { pstr = new VXString(text, n); });
  return s;
}

tvc::ITVCOutStream& operator<<(tvc::ITVCOutStream& s, const CBitVector& v) {
  v.WriteTo(s);
  return s;
}

tvc::ITVCInStream& operator>>(tvc::ITVCInStream& s, CBitVector& v) {
  v.ReadFrom(s);
  return s;
}

}  // namespace vx
