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

// The place of the first character of the `length` at `text` that is not a
// digit, or `length`. Whole blocks go to the vector scan of HexBlocks.h,
// which stops before the block that holds such a character; a value's few
// characters are not worth the call.
size_t FirstNonDigit(const unsigned char* text, size_t length) {
  size_t i = length >= 32 ? detail::SkipHexDigitBlocks(text, length) : 0;
  while (i < length && (kDigits.low[text[i]] & kNotADigit) == 0) ++i;
  return i;
}

// Decodes the 2n characters at `text`, all digits, into n bytes at `out`;
// whole blocks of 16 bytes go to the vector decoder of HexBlocks.h.
void DecodeDigits(const unsigned char* text, size_t n, unsigned char* out) {
  for (size_t i = n >= 16 ? detail::DecodeHexBlocks(text, n, out) : 0; i < n; ++i) {
    out[i] = static_cast<unsigned char>(kDigits.high[text[2 * i]] | kDigits.low[text[2 * i + 1]]);
  }
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

// The portable text: two digits per byte. The whole text is checked before
// the first byte is decoded into the destination, so that a character that
// is no digit, reported by its place, leaves the destination untouched.
struct HexFormat {
  static constexpr bool kEncodedAsIs = false;
  static constexpr size_t kMaxBlock = MaxHexBlockSize;  // above it, 2n would wrap
  static constexpr size_t EncodedSize(size_t n) { return 2 * n; }
  static void Decode(const unsigned char* text, size_t n, unsigned char* destination) {
    const size_t bad = FirstNonDigit(text, 2 * n);
    if (bad != 2 * n) ThrowBadCharacter(text[bad], bad, 2 * n);
    DecodeDigits(text, n, destination);
  }
};

}  // namespace

VX_DEFINE_INPUT_STREAM_MEMBERS(CPortableInputStream, HexFormat)

void CPortableInputStream::GetBool(bool& value) {
  char c = 0;
  GetChar(c);
  value = c == 'T';
}

}  // namespace vx
