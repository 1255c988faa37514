#include "vexlo/streams/CPortableInputStream.h"

#include <cstdint>
#include <cstdio>
#include <typeinfo>

#include "vexlo/internal/ByteOrder.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/internal/HexBlocks.h"
#include "vexlo/streams/internal/InputStreamBody.h"
#include "vexlo/streams/internal/LengthLimit.h"

namespace vx {

namespace {

// The digit tables, one per position of a character in its pair: `high`
// gives a digit's value shifted into the high nibble, `low` its value, and
// both give kNotADigit (bit 8) for every character that is not a digit of
// the format, so that `high[h] | low[l]` is the decoded byte or carries the
// flag.
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
    const auto c = static_cast<unsigned char>(detail::kHexDigits[d]);
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

// Eight characters, the first in the lowest byte of `text`, as the four
// bytes they spell (the first in the lowest byte of `out`); false when one
// is no digit. Every test and step works on all eight bytes at once: a byte
// below 0x80 raised by 0x80 - c has its top bit set exactly when it is at
// least c, and no sum leaves its byte; 'A' to 'F' are the digits with bit 6
// set, worth their low four bits plus 9.
bool DecodeEightDigits(std::uint64_t text, std::uint32_t& out) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kTops = 0x8080808080808080u;
  const auto atLeast = [text](unsigned c) { return text + kOnes * (0x80 - c); };
  const std::uint64_t digit = atLeast('0') & ~atLeast('9' + 1);
  const std::uint64_t letter = atLeast('A') & ~atLeast('F' + 1);
  if (((digit | letter) & ~text & kTops) != kTops) return false;
  const std::uint64_t values = (text & kOnes * 0x0F) + 9 * ((text >> 6) & kOnes);
  constexpr std::uint64_t kLowOfEachPair = 0x00FF00FF00FF00FFu;
  std::uint64_t bytes = ((values & kLowOfEachPair) << 4) | ((values >> 8) & kLowOfEachPair);
  bytes = (bytes | (bytes >> 8)) & 0x0000FFFF0000FFFFu;
  out = static_cast<std::uint32_t>(bytes | (bytes >> 16));
  return true;
}

// The path of values (1, 2, 4 or 8 bytes) where the build has no vector code
// for them (HexBlocks.h): eight characters at a time, the two or four of a
// 1- or 2-byte value made up to eight with "0"s, and the bytes reach
// `destination` only when every character was a digit. False, with
// `destination` untouched, when one was not or `n` is another size: the
// caller then takes the general way, which finds and reports the character.
bool DecodeValue(const unsigned char* text, size_t n, unsigned char* destination) {
  constexpr std::uint64_t kZeros = 0x3030303030303030u;
  std::uint64_t first = 0;
  switch (n) {
    case 1:
      first = detail::LoadLittleEndian<std::uint16_t>(text) | (kZeros << 16);
      break;
    case 2:
      first = detail::LoadLittleEndian<std::uint32_t>(text) | (kZeros << 32);
      break;
    case 4:
    case 8:
      first = detail::LoadLittleEndian<std::uint64_t>(text);
      break;
    default:
      return false;
  }
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  if (!DecodeEightDigits(first, low)) return false;
  if (n == 8) {
    if (!DecodeEightDigits(detail::LoadLittleEndian<std::uint64_t>(text + 8), high)) return false;
    detail::StoreLittleEndian(high, destination + 4);
  }
  if (n == 1) {
    *destination = static_cast<unsigned char>(low);
  } else if (n == 2) {
    detail::StoreLittleEndian(static_cast<std::uint16_t>(low), destination);
  } else {
    detail::StoreLittleEndian(low, destination);
  }
  return true;
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
  static constexpr size_t kMaxBlock = detail::kMaxHexBlockSize;  // above it, 2n would wrap
  static constexpr size_t EncodedSize(size_t n) { return 2 * n; }
  static void Decode(const unsigned char* text, size_t n, unsigned char* destination) {
    if (detail::DecodeHexValue(text, n, destination)) return;
    if (n <= 8 && DecodeValue(text, n, destination)) return;
    const size_t bad = FirstNonDigit(text, 2 * n);
    if (bad != 2 * n) ThrowBadCharacter(text[bad], bad, 2 * n);
    DecodeDigits(text, n, destination);
  }
};

using Body = detail::InputStreamBody<HexFormat>;

}  // namespace

CPortableInputStream::CPortableInputStream(tvc::ITVCBinaryReader* reader)
    : reader_(reader), lengthLimit_(SIZE_MAX) {}
CPortableInputStream::CPortableInputStream(IReadWriteDevice& device)
    : reader_(device.GetReader()), lengthLimit_(SIZE_MAX) {}
CPortableInputStream::CPortableInputStream(IReadWriteDevice* device)
    : CPortableInputStream(*device) {}

// Through the virtual GetChar, as CPortableOutputStream::PutBool puts it.
void CPortableInputStream::GetBool(bool& value) {
  char c = 0;
  GetChar(c);
  value = c == 'T';
}
void CPortableInputStream::GetChar(char& value) { Body(reader_).GetChar(value); }
void CPortableInputStream::GetBYTE(unsigned char& value) { Body(reader_).GetBYTE(value); }
void CPortableInputStream::GetInt(int& value) { Body(reader_).GetInt(value); }
void CPortableInputStream::GetUint(unsigned int& value) { Body(reader_).GetUint(value); }
void CPortableInputStream::GetShort(short& value) { Body(reader_).GetShort(value); }
void CPortableInputStream::GetLong(long& value) { Body(reader_).GetLong(value); }
void CPortableInputStream::GetDWORD(unsigned long& value) { Body(reader_).GetDWORD(value); }
void CPortableInputStream::GetWORD(unsigned short& value) { Body(reader_).GetWORD(value); }
void CPortableInputStream::GetDouble(double& value) { Body(reader_).GetDouble(value); }
void CPortableInputStream::GetInt64(std::int64_t& value) { Body(reader_).GetInt64(value); }
void CPortableInputStream::GetUint64(std::uint64_t& value) { Body(reader_).GetUint64(value); }
void CPortableInputStream::GetSizet(size_t& value) { Body(reader_).GetSizet(value); }
void CPortableInputStream::GetN(void* data, size_t count) { Body(reader_).GetN(data, count); }

void CPortableInputStream::SetLengthLimit(size_t maxBytes) { lengthLimit_ = maxBytes; }
size_t CPortableInputStream::GetLengthLimit() const { return lengthLimit_; }

void CPortableInputStream::ReadType(PersistTypeUnion& u, size_t n) {
  Body(reader_).GetValueBytes(u.bytes, n);
}

// The limit is found by the stream's type, so this has to name both input
// streams. Neither a virtual operation nor a base class could carry it
// without changing the binary interface: the typed input interface's
// operations and their order are fixed, and a new base would change the
// streams' layout and type information. The exact type is asked first, by
// the address of its type information, which costs a comparison where
// type_info's operator== may compare names and a dynamic_cast walks the
// hierarchy; classes derived from the two streams, and a type whose
// information a module holds twice, take the longer way.
size_t detail::LengthLimitOf(const tvc::ITVCInStream& stream) {
  const std::type_info* const type = &typeid(stream);
  if (type == &typeid(CBinaryInputStream)) {
    return static_cast<const CBinaryInputStream&>(stream).GetLengthLimit();
  }
  if (type == &typeid(CPortableInputStream)) {
    return static_cast<const CPortableInputStream&>(stream).GetLengthLimit();
  }
  if (const auto* binary = dynamic_cast<const CBinaryInputStream*>(&stream)) {
    return binary->GetLengthLimit();
  }
  if (const auto* portable = dynamic_cast<const CPortableInputStream*>(&stream)) {
    return portable->GetLengthLimit();
  }
  return SIZE_MAX;
}

}  // namespace vx
