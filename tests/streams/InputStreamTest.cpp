#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <string>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CStreamFormatException.h"

namespace {

using tvc::TVCBufferUnderrunException;
using vx::CStreamFormatException;
using namespace vxtest;

template <class Format>
class InputStreams : public ::testing::Test {};
using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
TYPED_TEST_SUITE(InputStreams, Formats, FormatNames);

TYPED_TEST(InputStreams, ReadBackTheWorkedExamplesOneReadPerValue) {
  StringReader reader(TypeParam::Encode(
      Bytes("41 E9 FE FF FE FF E8 03 00 00 00 5E D0 B2 FF FF FF FF FF FF FF FF "
            "00 00 00 00 00 00 04 C0 FE FF FF FF FF FF FF FF FE FF FF FF FF FF FF FF "
            "2C 01 00 00 00 00 00 00 48 69 21")));
  typename TypeParam::In stream(&reader);
  using In = tvc::ITVCInStream;
  EXPECT_EQ((Read<char, &In::GetChar>(stream)), 'A');
  EXPECT_EQ((Read<unsigned char, &In::GetBYTE>(stream)), 0xE9);
  EXPECT_EQ((Read<short, &In::GetShort>(stream)), -2);
  EXPECT_EQ((Read<unsigned short, &In::GetWORD>(stream)), 0xFFFE);
  EXPECT_EQ((Read<int, &In::GetInt>(stream)), 1000);
  EXPECT_EQ((Read<unsigned int, &In::GetUint>(stream)), 3000000000u);
  EXPECT_EQ((Read<long, &In::GetLong>(stream)), -1) << "32 bits, sign-extended";
  EXPECT_EQ((Read<unsigned long, &In::GetDWORD>(stream)), 0xFFFFFFFFul) << "zero-extended";
  EXPECT_EQ((Read<double, &In::GetDouble>(stream)), -2.5);
  EXPECT_EQ((Read<std::int64_t, &In::GetInt64>(stream)), -2);
  EXPECT_EQ((Read<std::uint64_t, &In::GetUint64>(stream)), 0xFFFFFFFFFFFFFFFEull);
  EXPECT_EQ((Read<size_t, &In::GetSizet>(stream)), 300u);
  char block[3] = {};
  stream.GetN(block, 3);
  EXPECT_EQ(std::string(block, 3), "Hi!");
  const size_t k = TypeParam::kCharsPerByte;
  EXPECT_EQ(reader.sizes, (std::vector<size_t>{k, k, 2 * k, 2 * k, 4 * k, 4 * k, 4 * k, 4 * k,
                                               8 * k, 8 * k, 8 * k, 8 * k, 3 * k}));
  stream.GetN(nullptr, 0);  // one empty Read; the destination is not touched
  EXPECT_EQ(reader.sizes.back(), 0u);
}

// Every get against a channel one character short of its value, then
// against arbitrary bytes: the value arrives, or the documented exception
// passes with the destination untouched (although the reader scribbled on
// the buffer it was given), and the stream reads on. Under the asan preset
// this is also the memory-safety check of the decoders.
TYPED_TEST(InputStreams, ShortOrHostileInputLeavesTheDestinationUntouched) {
  alignas(8) unsigned char value[8];
  const auto untouched = [&value] { return std::count(value, value + 8, 0xA7) == 8; };
  for (const GetCase& c : AllGets()) {
    const std::string full = TypeParam::Encode(std::string(c.width, '\1'));
    StringReader reader(full.substr(0, full.size() - 1));
    typename TypeParam::In stream(&reader);
    std::memset(value, 0xA7, 8);
    EXPECT_THROW(c.get(stream, value), TVCBufferUnderrunException) << c.width;
    EXPECT_TRUE(untouched());
    reader.content = full;
    c.get(stream, value);  // the stream reads on
  }
  std::mt19937 rng(20240601u);
  int outcomes[3] = {};  // value, underrun, malformed
  for (int round = 0; round < 3000; ++round) {
    // Half of the rounds mostly digits, to get past the first character.
    std::string content(rng() % 60, '\0');
    const bool digits = rng() % 2 == 0;
    for (char& ch : content) {
      ch = digits && rng() % 50 != 0 ? "0123456789ABCDEF"[rng() % 16] : static_cast<char>(rng());
    }
    StringReader reader(content);
    typename TypeParam::In stream(&reader);
    for (int step = 0; step < 8; ++step) {
      std::memset(value, 0xA7, 8);
      int outcome = 0;
      try {
        AllGets()[rng() % AllGets().size()].get(stream, value);
      } catch (const TVCBufferUnderrunException&) {
        outcome = 1;
      } catch (const CStreamFormatException&) {
        outcome = 2;
      }
      ++outcomes[outcome];
      ASSERT_TRUE(outcome == 0 || untouched()) << round;
    }
  }
  EXPECT_TRUE(outcomes[0] > 0 && outcomes[1] > 0 && outcomes[2] > 0);
}

TYPED_TEST(InputStreams, OnlyBlocksAboveTheStackLimitAllocate) {
  const size_t limit = TypeParam::kStackBlock;
  const std::string block = Pattern(limit + 1);
  StringReader reader(TypeParam::Encode(block));
  typename TypeParam::In stream(&reader);
  std::string out(limit + 1, 'z');
  if (AllocationFailureInjectable()) {
    {
      ScopedAllocationFailure failNext(1);
      stream.GetN(&out[0], limit);
      EXPECT_FALSE(AllocationFailureFired());
    }
    EXPECT_EQ(out.substr(0, limit), block.substr(0, limit));
    reader.position = 0;
    out.assign(limit + 1, 'z');
    reader.sizes.clear();
    const int points = ForEachAllocationFailure(
        [&] { stream.GetN(&out[0], limit + 1); },
        [&] { EXPECT_TRUE(out == std::string(limit + 1, 'z') && reader.sizes.empty()); });
    EXPECT_GE(points, 2) << "the array and the holder's count";
    EXPECT_EQ(out, block);
  }
  reader.position = 1;  // one character short: the heap scratch is freed
  const long before = LiveAllocations();
  out.assign(limit + 1, 'z');
  EXPECT_THROW(stream.GetN(&out[0], limit + 1), TVCBufferUnderrunException);
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_EQ(out, std::string(limit + 1, 'z'));
  char byte = 'z';
  const size_t reads = reader.sizes.size();
  EXPECT_THROW(stream.GetN(&byte, SIZE_MAX), std::bad_array_new_length);
  EXPECT_THROW(stream.GetN(&byte, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(reader.sizes.size(), reads) << "impossible sizes are refused before reading";
}

TEST(CPortableInputStream, OnlyTIsTrueAndBoolGoesThroughTheVirtualGetChar) {
  StringReader reader("5446017446");
  vx::CPortableInputStream stream(&reader);
  bool values[4] = {false, true, true, true};
  for (bool& value : values) stream.GetBool(value);
  EXPECT_EQ(values[0] * 1000 + values[1] * 100 + values[2] * 10 + values[3], 1000);
  struct AlwaysT : vx::CPortableInputStream {
    using CPortableInputStream::CPortableInputStream;
    void GetChar(char& c) override { CPortableInputStream::GetChar(c), c = 'T'; }
  } derived(&reader);
  derived.GetBool(values[1]);  // reads "46"
  EXPECT_TRUE(values[1]);
}

// Every byte value in either place of a pair: only the 16 upper-case
// digits decode; anything else, lower case included, is rejected untouched.
TEST(CPortableInputStream, OnlyUpperCaseDigitsDecode) {
  for (int c = 0; c < 256; ++c) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 55 : -1;
    const std::string text = {'7', static_cast<char>(c), static_cast<char>(c), '7'};
    StringReader reader(text);
    vx::CPortableInputStream stream(&reader);
    for (int expected : {0x70 + digit, digit * 16 + 7}) {
      unsigned char byte = 0x5A;
      if (digit < 0) {
        ASSERT_THROW(stream.GetBYTE(byte), CStreamFormatException) << c;
      } else {
        stream.GetBYTE(byte);
      }
      ASSERT_EQ(byte, digit < 0 ? 0x5A : expected) << c;
    }
  }
}

TEST(CPortableInputStream, RejectionSaysWhatAndWhereAtAnyPlaceOfAnyBlock) {
  StringReader reader("E803g000E80300000\n");
  vx::CPortableInputStream stream(&reader);
  int value = 42;
  EXPECT_EQ(WhatOf([&] { stream.GetInt(value); }),
            "CPortableInputStream: 'g' (0x67) at character 5 of 8 is not an upper-case "
            "hexadecimal digit");
  EXPECT_EQ(value, 42);
  stream.GetInt(value);
  EXPECT_EQ(value, 1000) << "the stream reads on";
  EXPECT_EQ(WhatOf([&] { stream.GetBYTE(*reinterpret_cast<unsigned char*>(&value)); }),
            "CPortableInputStream: byte 0x0A at character 2 of 2 is not an upper-case "
            "hexadecimal digit");
  for (size_t n : {size_t{7}, size_t{2048}, size_t{5000}}) {
    for (size_t at : {size_t{0}, n + 1, 2 * n - 1}) {
      std::string text = Hex(Pattern(n));
      text[at] = 'a';
      StringReader blockReader(text);
      vx::CPortableInputStream blockStream(&blockReader);
      std::string out(n, 'z');
      EXPECT_THROW(blockStream.GetN(&out[0], n), CStreamFormatException) << n << " " << at;
      EXPECT_EQ(out, std::string(n, 'z'));
    }
  }
}

TEST(CBinaryInputStream, BoolIsZeroOrOneAndNothingElse) {
  StringReader reader(Bytes("01 00 02 01"));
  vx::CBinaryInputStream stream(reader);
  bool a = false, b = true, c = false;
  stream.GetBool(a), stream.GetBool(b);
  EXPECT_EQ(WhatOf([&] { stream.GetBool(c); }),
            "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)");
  EXPECT_TRUE(a && !b && !c);
  stream.GetBool(c);
  EXPECT_TRUE(c);
  const std::string longText(500, 'x');
  EXPECT_EQ(CStreamFormatException(longText.c_str()).what(),
            longText.substr(0, CStreamFormatException::MaxMessageLength));
  EXPECT_STREQ(CStreamFormatException().what(), "malformed stream data");
}

}  // namespace
