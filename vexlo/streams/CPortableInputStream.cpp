#include "vexlo/streams/CPortableInputStream.h"

#include <cstdio>
#include <cstring>

#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CScratchArea.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/HostByteOrder.h"

namespace vx {

namespace {

// Value of every character as a digit, 0xFF for the characters that are not
// digits of the format. Any bad character sets the high nibble, so a whole
// run can be validated by OR-ing its values and testing one mask.
struct DigitValueTable {
  unsigned char value[256];
};

constexpr DigitValueTable MakeDigitValueTable() {
  DigitValueTable table{};
  for (int c = 0; c < 256; ++c) table.value[c] = 0xFF;
  for (int d = 0; d < 16; ++d) {
    table.value[static_cast<unsigned char>(CPortableOutputStream::HexDigits[d])] =
        static_cast<unsigned char>(d);
  }
  return table;
}

constexpr DigitValueTable kDigits = MakeDigitValueTable();
constexpr unsigned kBadDigit = 0xF0;

static_assert(kDigits.value[0x46] == 15 && kDigits.value[0x66] == 0xFF, "'F' is 15, 'f' no digit");

[[noreturn]] void ThrowBadCharacter(const unsigned char* text, size_t length) {
  size_t at = 0;
  while (at < length && (kDigits.value[text[at]] & kBadDigit) == 0) ++at;
  const unsigned c = text[at];
  char message[CStreamFormatException::MaxMessageLength + 1];
  if (c >= 0x20 && c < 0x7F) {
    std::snprintf(message, sizeof message,
                  "CPortableInputStream: '%c' (0x%02X) at character %zu of %zu is not an "
                  "upper-case hexadecimal digit",
                  static_cast<int>(c), c, at + 1, length);
  } else {
    std::snprintf(message, sizeof message,
                  "CPortableInputStream: byte 0x%02X at character %zu of %zu is not an "
                  "upper-case hexadecimal digit",
                  c, at + 1, length);
  }
  throw CStreamFormatException(message);
}

// True when the 2n characters at `text` are all digits. Eight characters per
// step: the lookups are independent and the test is one branch per step.
bool IsHexText(const unsigned char* text, size_t length) {
  unsigned bad = 0;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    bad |= kDigits.value[text[i]] | kDigits.value[text[i + 1]] | kDigits.value[text[i + 2]] |
           kDigits.value[text[i + 3]] | kDigits.value[text[i + 4]] | kDigits.value[text[i + 5]] |
           kDigits.value[text[i + 6]] | kDigits.value[text[i + 7]];
    if (bad & kBadDigit) return false;
  }
  for (; i < length; ++i) bad |= kDigits.value[text[i]];
  return (bad & kBadDigit) == 0;
}

// Decodes validated text; two bytes per step.
void DecodeHex(const unsigned char* text, size_t n, unsigned char* out) {
  size_t i = 0;
  for (; i + 2 <= n; i += 2, text += 4) {
    out[i] = static_cast<unsigned char>(kDigits.value[text[0]] << 4 | kDigits.value[text[1]]);
    out[i + 1] = static_cast<unsigned char>(kDigits.value[text[2]] << 4 | kDigits.value[text[3]]);
  }
  if (i < n)
    out[i] = static_cast<unsigned char>(kDigits.value[text[0]] << 4 | kDigits.value[text[1]]);
}

// The whole of a get: one Read into the scratch area, validation of every
// character, and only then the decoding into the destination, so that a
// short channel or a bad character leaves the destination untouched.
void ReadHex(tvc::ITVCBinaryReader* reader, unsigned char* destination, size_t n) {
  if (n > MaxHexBlockSize) throw std::bad_array_new_length();
  const size_t length = 2 * n;
  CScratchArea<unsigned char> scratch(length);
  reader->Read(scratch.get(), length);
  if (!IsHexText(scratch.get(), length)) ThrowBadCharacter(scratch.get(), length);
  DecodeHex(scratch.get(), n, destination);
}

template <class T>
T ValueOf(const PersistTypeUnion& u) {
  T value;
  std::memcpy(&value, u.bytes, sizeof value);
  return value;
}

}  // namespace

CPortableInputStream::CPortableInputStream(tvc::ITVCBinaryReader* reader) : reader(reader) {}

CPortableInputStream::CPortableInputStream(IReadWriteDevice& device) : reader(device.GetReader()) {}

CPortableInputStream::CPortableInputStream(IReadWriteDevice* device)
    : CPortableInputStream(*device) {}

void CPortableInputStream::ReadType(PersistTypeUnion& u, size_t n) { ReadHex(reader, u.bytes, n); }

void CPortableInputStream::GetBool(bool& value) {
  char c = 0;
  GetChar(c);
  value = c == 'T';
}

void CPortableInputStream::GetChar(char& value) {
  PersistTypeUnion u;
  ReadType(u, 1);
  value = ValueOf<char>(u);
}

void CPortableInputStream::GetBYTE(unsigned char& value) {
  PersistTypeUnion u;
  ReadType(u, 1);
  value = ValueOf<unsigned char>(u);
}

void CPortableInputStream::GetInt(int& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<int>(u);
}

void CPortableInputStream::GetUint(unsigned int& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<unsigned int>(u);
}

void CPortableInputStream::GetShort(short& value) {
  PersistTypeUnion u;
  ReadType(u, 2);
  value = ValueOf<short>(u);
}

void CPortableInputStream::GetLong(long& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<std::int32_t>(u);
}

void CPortableInputStream::GetDWORD(unsigned long& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<std::uint32_t>(u);
}

void CPortableInputStream::GetWORD(unsigned short& value) {
  PersistTypeUnion u;
  ReadType(u, 2);
  value = ValueOf<unsigned short>(u);
}

void CPortableInputStream::GetDouble(double& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<double>(u);
}

void CPortableInputStream::GetInt64(std::int64_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<std::int64_t>(u);
}

void CPortableInputStream::GetUint64(std::uint64_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<std::uint64_t>(u);
}

void CPortableInputStream::GetSizet(size_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = static_cast<size_t>(ValueOf<std::uint64_t>(u));
}

void CPortableInputStream::GetN(void* data, size_t count) {
  ReadHex(reader, static_cast<unsigned char*>(data), count);
}

}  // namespace vx
