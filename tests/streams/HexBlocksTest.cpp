// The portable streams encode and decode whole 16-byte blocks with vector
// code where the processor has it, and the rest byte by byte. These tests
// drive both paths through PutN and GetN against a byte-by-byte reference
// written here: every length from 0 to 300 and some large ones, the block at
// every offset within 64 bytes, and for decoding a character that is no digit
// planted at every position of the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/Cases.h"
#include "vexlo/vexlo.h"

using namespace vx;

namespace {

// Every byte value turns up, in an order that differs with `seed`.
std::vector<unsigned char> Bytes(size_t n, size_t seed) {
  std::vector<unsigned char> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 73 + seed * 31 + i / 7);
  return bytes;
}

const std::vector<size_t> kLengths =
    vxtest::Lengths(300, {1000, 2047, 2048, 2049, 4096, 4111, 70001});

// Characters just outside the digits' ranges, the lower-case digits and bytes
// far from them; one is planted at each position in turn.
const char kNotDigits[] = "/:@G`afg\0\x7F\x80\xFF";

}  // namespace

// Each test stops at its first failing case, which it names.
TEST(HexBlocks, PutNMatchesTheByteLoopAtEveryLengthAndOffset) {
  for (size_t n : kLengths) {
    const std::vector<unsigned char> source = Bytes(n + 64, n);
    for (size_t offset = 0; offset < 64; offset += (n > 300 ? 13 : 1)) {
      CMemWriter writer;
      CPortableOutputStream(&writer).PutN(source.data() + offset, n);
      const std::string written(reinterpret_cast<const char*>(writer.GetData()), writer.GetSize());
      if (written != vxtest::Hex(source.data() + offset, n))
        return ADD_FAILURE() << "PutN: " << n << " bytes at offset " << offset;
    }
  }
}

TEST(HexBlocks, GetNMatchesTheByteLoopAtEveryLengthAndOffset) {
  for (size_t n : kLengths) {
    const std::vector<unsigned char> bytes = Bytes(n, n + 1);
    const std::string text = vxtest::Hex(bytes.data(), n);
    for (size_t offset = 0; offset < 64; offset += (n > 300 ? 13 : 1)) {
      std::vector<unsigned char> destination(n + 64, 0x5A), expected = destination;
      std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
      CMemReader reader(reinterpret_cast<const unsigned char*>(text.data()), text.size());
      CPortableInputStream(&reader).GetN(destination.data() + offset, n);
      if (destination != expected)
        return ADD_FAILURE() << "GetN: " << n << " bytes at offset " << offset;
    }
  }
}

// The first character that is no digit is the one reported, by its place
// (counted from 1) and the text's length, and nothing reaches the
// destination; a second bad character after it changes nothing. Large blocks
// get the character at the edges of every block at the front, in the middle
// and at the end.
TEST(HexBlocks, GetNReportsTheFirstBadCharacterWhereverItLies) {
  for (size_t n : kLengths) {
    const std::string text = vxtest::Hex(Bytes(n, n + 2).data(), n);
    const size_t middle = text.size() / 2;
    for (size_t at = 0; at < text.size(); ++at) {
      if (n > 300 && at >= 64 && at + 64 < text.size() && (at < middle - 32 || at >= middle + 32))
        continue;
      std::string bad = text;
      bad[at] = kNotDigits[at % (sizeof kNotDigits - 1)];
      if (at % 5 == 0 && at + 1 < bad.size()) bad.back() = 'x';
      std::vector<unsigned char> destination(n, 0x5A);
      CMemReader reader(reinterpret_cast<const unsigned char*>(bad.data()), bad.size());
      std::string what = "nothing thrown";
      try {
        CPortableInputStream(&reader).GetN(destination.data(), n);
      } catch (const CStreamFormatException& e) {
        what = e.what();
      }
      const std::string place =
          " at character " + std::to_string(at + 1) + " of " + std::to_string(text.size()) + " ";
      if (what.find(place) == std::string::npos ||
          destination != std::vector<unsigned char>(n, 0x5A)) {
        return ADD_FAILURE() << "GetN: " << n << " bytes, bad character at " << at << ": " << what;
      }
    }
  }
}

// Values of 1 to 8 bytes take their own path both ways: every byte value at
// every place of the value, written as PutN writes it and read back by the
// fixed-width gets; a character that is no digit at each place is refused.
TEST(HexBlocks, ValuesMatchTheByteLoopWithEveryByteAtEveryPlace) {
  for (size_t width : {1, 2, 4, 8}) {
    for (size_t place = 0; place < width; ++place) {
      for (int b = 0; b < 256; ++b) {
        unsigned char bytes[8];
        for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(0x3C + 41 * i + b);
        bytes[place] = static_cast<unsigned char>(b);
        std::uint64_t value = 0;
        for (size_t i = width; i-- > 0;) value = value << 8 | bytes[i];
        CMemWriter writer;
        CPortableOutputStream out(&writer);
        if (width == 1) out.PutBYTE(static_cast<unsigned char>(value));
        if (width == 2) out.PutWORD(static_cast<unsigned short>(value));
        if (width == 4) out.PutUint(static_cast<unsigned>(value));
        if (width == 8) out.PutUint64(value);
        std::string text(reinterpret_cast<const char*>(writer.GetData()), writer.GetSize());
        if (text != vxtest::Hex(bytes, width))
          return ADD_FAILURE() << "Put: " << width << " bytes, byte " << b << " at " << place;
        text[2 * place + b % 2] = kNotDigits[b % (sizeof kNotDigits - 1)];
        const std::string good = vxtest::Hex(bytes, width);
        const std::string* const texts[] = {&good, &text};
        for (const std::string* t : texts) {
          CMemReader reader(reinterpret_cast<const unsigned char*>(t->data()), t->size());
          CPortableInputStream in(&reader);
          unsigned char v1 = 0;
          unsigned short v2 = 0;
          unsigned v4 = 0;
          std::uint64_t v8 = 0;
          bool refused = false;
          try {
            if (width == 1) in.GetBYTE(v1);
            if (width == 2) in.GetWORD(v2);
            if (width == 4) in.GetUint(v4);
            if (width == 8) in.GetUint64(v8);
          } catch (const CStreamFormatException&) {
            refused = true;
          }
          const std::uint64_t read = width == 1 ? v1 : width == 2 ? v2 : width == 4 ? v4 : v8;
          if (t == &good ? refused || read != value : !refused) {
            return ADD_FAILURE() << (t == &good ? "Get: " : "Get, bad character: ") << width
                                 << " bytes, byte " << b << " at " << place;
          }
        }
      }
    }
  }
}
