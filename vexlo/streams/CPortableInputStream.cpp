#include "vexlo/streams/CPortableInputStream.h"

#include <cstdint>
#include <cstdio>

#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/internal/HexBlocks.h"
#include "vexlo/streams/internal/InputStreamBody.h"

namespace vx {

namespace {

// The digit tables, one per position of a character in its pair: `high`
// gives a digit's value shifted into the high nibble, `low` its value, and
// both give kNotADigit (bit 8) for every character that is not a digit of
// the format, so that `high[h] | low[l]` is the decoded byte or carries the
// flag. Derived from HexDigits, the one definition of the alphabet.
constexpr unsigned kNotADigit = 0x100;

struct DigitTables {
  std::uint16_t high[256];
  std::uint16_t low[256];
};

constexpr DigitTables MakeDigitTables() {
  DigitTables tables{};
  for (int c = 0; c < 256; ++c) {
    tables.high[c] = kNotADigit;
    tables.low[c] = kNotADigit;
  }
  for (int d = 0; d < 16; ++d) {
    const auto c = static_cast<unsigned char>(CPortableOutputStream::HexDigits[d]);
    tables.high[c] = static_cast<std::uint16_t>(d << 4);
    tables.low[c] = static_cast<std::uint16_t>(d);
  }
  return tables;
}

constexpr DigitTables kDigits = MakeDigitTables();

static_assert(kDigits.high[0x46] == 0xF0 && kDigits.low[0x46] == 0x0F, "'F' is 15");
static_assert(kDigits.low[0x66] == kNotADigit, "'f' is no digit of the format");

constexpr size_t kAllDigits = SIZE_MAX;

// Decodes the 2n characters at `text` into n bytes at the front of the same
// area. Writing byte i only after characters 2i..2i+7 were loaded keeps every
// character intact until it is used. Stops at the first group holding a
// character that is not a digit and returns that character's index, which
// is still intact; returns kAllDigits when the whole text decoded. Whole
// blocks of 16 bytes go to the vector decoder of HexBlocks.h first, which
// stops before a block that holds a non-digit and leaves it intact.
size_t DecodeInPlace(unsigned char* text, size_t n) {
  size_t i = detail::DecodeHexBlocks(text, n);
  for (; i + 4 <= n; i += 4) {
    const unsigned char* t = text + 2 * i;
    const unsigned r0 = kDigits.high[t[0]] | kDigits.low[t[1]];
    const unsigned r1 = kDigits.high[t[2]] | kDigits.low[t[3]];
    const unsigned r2 = kDigits.high[t[4]] | kDigits.low[t[5]];
    const unsigned r3 = kDigits.high[t[6]] | kDigits.low[t[7]];
    if (((r0 | r1 | r2 | r3) & kNotADigit) != 0) break;
    text[i] = static_cast<unsigned char>(r0);
    text[i + 1] = static_cast<unsigned char>(r1);
    text[i + 2] = static_cast<unsigned char>(r2);
    text[i + 3] = static_cast<unsigned char>(r3);
  }
  for (; i < n; ++i) {
    const unsigned char* t = text + 2 * i;
    if (((kDigits.high[t[0]] | kDigits.low[t[1]]) & kNotADigit) != 0) {
      return 2 * i + ((kDigits.low[t[0]] & kNotADigit) != 0 ? 0 : 1);
    }
    text[i] = static_cast<unsigned char>(kDigits.high[t[0]] | kDigits.low[t[1]]);
  }
  return kAllDigits;
}

[[noreturn]] void ThrowBadCharacter(unsigned c, size_t at, size_t length) {
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

// The portable text: two digits per byte, decoded in place, a character that
// is no digit reported by its place.
struct HexFormat {
  static constexpr size_t kMaxBlock = MaxHexBlockSize;  // above it, 2n would wrap
  static size_t EncodedSize(size_t n) { return 2 * n; }
  static void Decode(unsigned char* text, size_t n) {
    const size_t bad = DecodeInPlace(text, n);
    if (bad != kAllDigits) ThrowBadCharacter(text[bad], bad, 2 * n);
  }
};

}  // namespace

VX_DEFINE_INPUT_STREAM_MEMBERS(CPortableInputStream, HexFormat)

void CPortableInputStream::ReadType(PersistTypeUnion& u, size_t n) {
  detail::ReadBlock<HexFormat>(reader, u.bytes, n);
}

void CPortableInputStream::GetBool(bool& value) {
  char c = 0;
  GetChar(c);
  value = c == 'T';
}

}  // namespace vx
