// What one format does and the other does not: the bool encodings, the
// binary stream's direct writes, the portable stream's digits, messages and
// heap scratch areas.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/StreamOperators.h"

namespace {

using vx::CPortableInputStream;
using vx::CPortableOutputStream;
using vx::CStreamFormatException;
using vx::VXString;
using namespace vxtest;

TEST(CBinaryInputStream, BoolIsZeroOrOneAndNothingElse) {
  StringReader reader(Unhex("01 00 02 01"));
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

TEST(CBinaryOutputStream, PassesTheCallersBytesAndNeverAllocates) {
  RecordingWriter writer;
  writer.calls.reserve(4);
  writer.pointers.reserve(4);
  vx::CBinaryOutputStream stream(writer);
  const std::int64_t i64 = -7;
  const std::uint64_t u64 = 7;
  const char block[] = "abc";
  const long before = LiveAllocations();
  {
    ScopedAllocationFailure armed(AllocationFailureInjectable() ? 1 : 0);
    stream.PutInt64(i64), stream.PutUint64(u64);
    stream.PutN(block, 3);  // the writer's copies are short strings: no allocation
  }
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_EQ(writer.pointers, (std::vector<const void*>{&i64, &u64, block}));
}

// Bools are 'T' and 'F', written and read through the virtual PutChar and
// GetChar, so a derived stream that changes those changes bools too; only
// 'T' is true.
TEST(CPortableStreams, BoolsAreTOrFThroughTheVirtualCharCalls) {
  struct Shifted : CPortableOutputStream {
    using CPortableOutputStream::CPortableOutputStream;
    void PutChar(char c) override { CPortableOutputStream::PutChar(static_cast<char>(c + 1)); }
  };
  RecordingWriter writer;
  Shifted out(&writer);
  out.PutBool(true), out.PutBool(false);
  EXPECT_EQ(writer.All(), "5547");  // 'U', 'G'
  EXPECT_STREQ(CPortableOutputStream::HexDigits, "0123456789ABCDEF");
  StringReader reader("5446017446");
  CPortableInputStream stream(&reader);
  bool values[4] = {false, true, true, true};
  for (bool& value : values) stream.GetBool(value);
  EXPECT_TRUE(values[0] && !values[1] && !values[2] && !values[3]);
  struct AlwaysT : CPortableInputStream {
    using CPortableInputStream::CPortableInputStream;
    void GetChar(char& c) override { CPortableInputStream::GetChar(c), c = 'T'; }
  } derived(&reader);
  derived.GetBool(values[1]);  // reads "46"
  EXPECT_TRUE(values[1]);
}

TEST(CPortableInputStream, RejectionSaysWhatAndWhereAtAnyPlaceOfAnyBlock) {
  StringReader reader("E803g000E80300000\n");
  CPortableInputStream stream(&reader);
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
  for (size_t at : {size_t{0}, size_t{5001}, size_t{9999}}) {  // in a heap scratch area
    std::string text = Hex(Sample(5000)), out(5000, 'z');
    text[at] = 'a';
    StringReader blockReader(text);
    CPortableInputStream blockStream(&blockReader);
    EXPECT_THROW(blockStream.GetN(&out[0], 5000), CStreamFormatException) << at;
    EXPECT_EQ(out, std::string(5000, 'z'));
  }
}

TEST(CPortableOutputStream, OnlyBlocksAbove2048BytesAllocateAndFailuresLeakNothing) {
  if (!AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const std::string block = Sample(2049);
  RecordingWriter writer;
  writer.calls.reserve(8);
  writer.pointers.reserve(8);
  CPortableOutputStream stream(&writer);
  {
    ScopedAllocationFailure failSecond(2);  // the first is the writer's copy
    stream.PutN(block.data(), 2048);
    EXPECT_FALSE(AllocationFailureFired());
  }
  size_t counted = 2048;
  const int points =
      ForEachAllocationFailure([&] { counted += 2049, stream.PutN(block.data(), 2049); },
                               [&] {
                                 EXPECT_EQ(writer.calls.size(), 1u) << "nothing written";
                                 EXPECT_EQ(stream.Tell(), counted) << "counted first";
                               });
  EXPECT_GE(points, 2) << "the array and the holder's count";
  EXPECT_EQ(writer.calls.back(), Hex(block));
  const long before = LiveAllocations();
  writer.failNext = true;
  EXPECT_THROW(stream.PutN(block.data(), 2049), WriterFailure);
  EXPECT_EQ(LiveAllocations(), before);
}

// A text size that overflows is refused uncounted; one that size_t holds but
// no array can is counted, then refused by the allocation.
TEST(CPortableOutputStream, BlockWhoseTextSizeOverflowsIsRefusedUncounted) {
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  const char byte = 0;  // never read
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(stream.Tell(), 0u);
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_EQ(stream.Tell(), SIZE_MAX / 2);
  EXPECT_TRUE(writer.calls.empty());
}

// Strings of up to 4096 bytes are read on the stack, longer ones through one
// heap array and its holder: two more failure points. The portable stream's
// own scratch is on the heap for both lengths.
TEST(StreamOperators, OnlyStringsAbove4096BytesAllocateAScratchArea) {
  if (!AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  int points[2][2] = {};
  for (size_t n : {size_t{4096}, size_t{4097}}) {
    RecordingWriter writer;
    CPortableOutputStream out(&writer);
    const std::string text = Sample(n);
    out << VXString(text.data(), n);
    StringReader reader(writer.All());
    CPortableInputStream in(&reader);
    VXString target("old");
    VXString* pointer = &target;
    points[n - 4096][0] = ForEachAllocationFailure([&] { reader.position = 0, in >> target; },
                                                   [&] { EXPECT_EQ(target, "old"); });
    points[n - 4096][1] = ForEachAllocationFailure([&] { reader.position = 0, in >> pointer; },
                                                   [&] { EXPECT_EQ(pointer, &target); });
    EXPECT_EQ(target.view(), text);
    EXPECT_EQ(pointer->view(), text);
    delete pointer;
  }
  EXPECT_EQ(points[1][0], points[0][0] + 2);
  EXPECT_EQ(points[1][1], points[0][1] + 2);
}

// The portable streams encode and decode whole blocks of 16 bytes with vector
// instructions where the processor has them, and the rest byte by byte: both
// parts held against the plain text at every length around a block, and every
// character tried at every place of three blocks and a tail.
TEST(PortableHexBlocks, BlocksAndTailsEncodeAndDecodeAsTheyStand) {
  for (size_t n = 0; n <= 70; ++n) {
    const std::string block = Sample(n + 200).substr(200);
    RecordingWriter writer;
    vx::CPortableOutputStream out(&writer);
    out.PutN(block.data(), n);
    ASSERT_EQ(writer.All(), Hex(block)) << n;
    StringReader reader(writer.All());
    vx::CPortableInputStream in(&reader);
    std::string back(n, 'z');
    in.GetN(&back[0], n);
    EXPECT_EQ(back, block) << n;
  }
}

TEST(PortableHexBlocks, EveryCharacterAtEveryPlaceOfBlocksAndTail) {
  const std::string block = Sample(49);  // three blocks of 16 bytes and a tail
  for (int c = 0; c < 256; ++c) {        // lower case included: only upper-case digits decode
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 55 : -1;
    for (size_t at = 0; at < 98; ++at) {
      std::string text = Hex(block);
      text[at] = static_cast<char>(c);
      std::string expected = block;
      if (digit >= 0) {
        unsigned char& byte = reinterpret_cast<unsigned char&>(expected[at / 2]);
        byte = static_cast<unsigned char>(at % 2 == 0 ? (digit << 4) | (byte & 0x0F)
                                                      : (byte & 0xF0) | digit);
      }
      StringReader reader(text);
      vx::CPortableInputStream in(&reader);
      std::string back(block.size(), 'z');
      if (digit < 0) {
        ASSERT_THROW(in.GetN(&back[0], back.size()), vx::CStreamFormatException) << c << " " << at;
        ASSERT_EQ(back, std::string(block.size(), 'z'));
      } else {
        in.GetN(&back[0], back.size());
        ASSERT_EQ(back, expected) << c << " " << at;
      }
    }
  }
}

}  // namespace
