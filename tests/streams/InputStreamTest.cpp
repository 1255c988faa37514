// The contract both input streams share, run over each, then what is
// particular to each.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <type_traits>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using tvc::TVCBufferUnderrunException;
using vx::CBinaryInputStream;
using vx::CPortableInputStream;
using vx::CStreamFormatException;
using vxtest::Bytes;
using vxtest::FakeDevice;
using vxtest::Hex;
using vxtest::Pattern;
using vxtest::StringReader;

static_assert(std::is_base_of<tvc::TVCIPCException, CStreamFormatException>::value, "");
static_assert(std::is_nothrow_copy_constructible<CStreamFormatException>::value, "");
static_assert(!std::is_convertible<tvc::ITVCBinaryReader*, CPortableInputStream>::value, "");

struct BinaryFormat {
  using Stream = CBinaryInputStream;
  static std::string Encode(const std::string& raw) { return raw; }
  static constexpr size_t kCharsPerByte = 1;
  static constexpr size_t kStackBlock = 4096;  // largest GetN read on the stack
};

struct PortableFormat {
  using Stream = CPortableInputStream;
  static std::string Encode(const std::string& raw) { return Hex(raw); }
  static constexpr size_t kCharsPerByte = 2;
  static constexpr size_t kStackBlock = 2048;
};

template <class Format>
class InputStreamContract : public ::testing::Test {
 protected:
  // A reader holding the encoding of the bytes given in hex.
  static StringReader ReaderOf(const char* rawHex) {
    return StringReader(Format::Encode(Bytes(rawHex)));
  }
};

using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
// Names the instantiations after the format (and gives the macro its
// optional argument, which Clang's pedantic mode asks for).
struct FormatNames {
  template <class Format>
  static std::string GetName(int) {
    return std::is_same<Format, BinaryFormat>::value ? "Binary" : "Portable";
  }
};
TYPED_TEST_SUITE(InputStreamContract, Formats, FormatNames);

TYPED_TEST(InputStreamContract, WorkedExamplesReadBack) {
  StringReader reader = TestFixture::ReaderOf(
      "41 E9 A5 FE FF 34 12 E8 03 00 00 00 5E D0 B2 9C FF FF FF 78 56 34 12 "
      "00 00 00 00 00 00 04 C0 FE FF FF FF FF FF FF FF 08 07 06 05 04 03 02 01 "
      "2C 01 00 00 00 00 00 00 48 69 21");
  typename TypeParam::Stream stream(&reader);
  char c = 0;
  unsigned char uc = 0;
  unsigned char byte = 0;
  short s = 0;
  unsigned short w = 0;
  int i = 0;
  unsigned int u = 0;
  long l = 0;
  unsigned long dw = 0;
  double d = 0;
  std::int64_t i64 = 0;
  std::uint64_t u64 = 0;
  size_t z = 0;
  char block[3] = {};
  stream.GetChar(c);
  stream.GetBYTE(uc);
  stream.GetBYTE(byte);
  stream.GetShort(s);
  stream.GetWORD(w);
  stream.GetInt(i);
  stream.GetUint(u);
  stream.GetLong(l);
  stream.GetDWORD(dw);
  stream.GetDouble(d);
  stream.GetInt64(i64);
  stream.GetUint64(u64);
  stream.GetSizet(z);
  stream.GetN(block, 3);
  EXPECT_EQ(c, 'A');
  EXPECT_EQ(uc, 0xE9);
  EXPECT_EQ(byte, 0xA5);
  EXPECT_EQ(s, -2);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(i, 1000);
  EXPECT_EQ(u, 3000000000u);
  EXPECT_EQ(l, -100);
  EXPECT_EQ(dw, 0x12345678ul);
  EXPECT_EQ(d, -2.5);
  EXPECT_EQ(i64, -2);
  EXPECT_EQ(u64, 0x0102030405060708ULL);
  EXPECT_EQ(z, 300u);
  EXPECT_EQ(std::string(block, 3), "Hi!");
  EXPECT_EQ(reader.Remaining(), 0u);
  // One Read per value, of exactly the value's encoded size.
  const std::vector<size_t> widths = {1, 1, 1, 2, 2, 4, 4, 4, 4, 8, 8, 8, 8, 3};
  ASSERT_EQ(reader.sizes.size(), widths.size());
  for (size_t k = 0; k < widths.size(); ++k) {
    EXPECT_EQ(reader.sizes[k], widths[k] * TypeParam::kCharsPerByte) << "get " << k;
  }
}

TYPED_TEST(InputStreamContract, MembersOfOneWidthReadEachOther) {
  StringReader reader = TestFixture::ReaderOf(
      "FF FF FF FF FF FF FF FF FF FF FF FF  00 00 00 80 00 00 00 80  FE FF FE FF  "
      "FE FF FF FF FF FF FF FF FE FF FF FF FF FF FF FF FE FF FF FF FF FF FF FF  E9 E9");
  typename TypeParam::Stream stream(&reader);
  int i = 0;
  unsigned int u = 0;
  long l = 0;
  unsigned long dw = 0;
  stream.GetInt(i);
  stream.GetUint(u);
  stream.GetLong(l);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(u, 0xFFFFFFFFu);
  EXPECT_EQ(l, -1) << "a 32-bit value, sign-extended";
  stream.GetLong(l);
  stream.GetDWORD(dw);
  EXPECT_EQ(l, static_cast<long>(std::numeric_limits<std::int32_t>::min()));
  EXPECT_EQ(dw, 0x80000000ul) << "a 32-bit value, zero-extended";
  short s = 0;
  unsigned short w = 0;
  stream.GetShort(s);
  stream.GetWORD(w);
  EXPECT_EQ(s, -2);
  EXPECT_EQ(w, 0xFFFE);
  std::int64_t i64 = 0;
  std::uint64_t u64 = 0;
  size_t z = 0;
  stream.GetInt64(i64);
  stream.GetUint64(u64);
  stream.GetSizet(z);
  EXPECT_EQ(i64, -2);
  EXPECT_EQ(u64, 0xFFFFFFFFFFFFFFFEULL);
  EXPECT_EQ(z, static_cast<size_t>(0xFFFFFFFFFFFFFFFEULL));
  char c = 0;
  unsigned char b = 0;
  stream.GetChar(c);
  stream.GetBYTE(b);
  EXPECT_EQ(static_cast<unsigned char>(c), 0xE9);
  EXPECT_EQ(b, 0xE9);
}

TYPED_TEST(InputStreamContract, DoubleKeepsItsBitPattern) {
  StringReader reader = TestFixture::ReaderOf(
      "EF CD AB 00 00 00 F8 7F  00 00 00 00 00 00 00 80  00 00 00 00 00 00 F0 3F");
  typename TypeParam::Stream stream(&reader);
  double nan = 0, negativeZero = 1, one = 0;
  stream.GetDouble(nan);
  stream.GetDouble(negativeZero);
  stream.GetDouble(one);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &nan, 8);
  EXPECT_EQ(bits, 0x7FF8000000ABCDEFULL);
  EXPECT_EQ(negativeZero, 0.0);
  EXPECT_TRUE(std::signbit(negativeZero));
  EXPECT_EQ(one, 1.0);
}

TYPED_TEST(InputStreamContract, EmptyBlockIsOneEmptyReadAndTouchesNothing) {
  StringReader reader;
  typename TypeParam::Stream stream(&reader);
  stream.GetN(nullptr, 0);
  ASSERT_EQ(reader.sizes.size(), 1u);
  EXPECT_EQ(reader.sizes[0], 0u);
}

// Every get against a channel one character short of its value: the
// reader's exception passes, the destination keeps its value although the
// reader scribbled over the buffer it was given, and the stream reads on.
TYPED_TEST(InputStreamContract, ShortChannelLeavesDestinationAndStreamUsable) {
  const std::string content = TypeParam::Encode(Bytes("01 02 03 04 05 06 07"));
  auto shortBy1 = [&](size_t width) {
    return StringReader(content.substr(0, width * TypeParam::kCharsPerByte - 1));
  };
  {
    StringReader reader = shortBy1(1);
    typename TypeParam::Stream stream(&reader);
    char c = 'x';
    unsigned char b = 9;
    bool flag = true;
    EXPECT_THROW(stream.GetChar(c), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetBYTE(b), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetBool(flag), TVCBufferUnderrunException);
    EXPECT_EQ(c, 'x');
    EXPECT_EQ(b, 9);
    EXPECT_TRUE(flag);
  }
  {
    StringReader reader = shortBy1(2);
    typename TypeParam::Stream stream(&reader);
    short s = 5;
    unsigned short w = 6;
    EXPECT_THROW(stream.GetShort(s), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetWORD(w), TVCBufferUnderrunException);
    EXPECT_EQ(s, 5);
    EXPECT_EQ(w, 6);
  }
  {
    StringReader reader = shortBy1(4);
    typename TypeParam::Stream stream(&reader);
    int i = 5;
    unsigned int u = 6;
    long l = 7;
    unsigned long dw = 8;
    EXPECT_THROW(stream.GetInt(i), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetUint(u), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetLong(l), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetDWORD(dw), TVCBufferUnderrunException);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(u, 6u);
    EXPECT_EQ(l, 7);
    EXPECT_EQ(dw, 8u);
    char bytes[4] = {'a', 'b', 'c', 'd'};
    EXPECT_THROW(stream.GetN(bytes, 4), TVCBufferUnderrunException);
    EXPECT_EQ(std::string(bytes, 4), "abcd");
    // The stream goes on: what is there can still be read.
    short s = 0;
    stream.GetShort(s);
    EXPECT_EQ(s, 0x0201);
  }
  {
    StringReader reader = shortBy1(8);
    typename TypeParam::Stream stream(&reader);
    double d = 1.5;
    std::int64_t i64 = 5;
    std::uint64_t u64 = 6;
    size_t z = 7;
    EXPECT_THROW(stream.GetDouble(d), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetInt64(i64), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetUint64(u64), TVCBufferUnderrunException);
    EXPECT_THROW(stream.GetSizet(z), TVCBufferUnderrunException);
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(i64, 5);
    EXPECT_EQ(u64, 6u);
    EXPECT_EQ(z, 7u);
  }
}

TYPED_TEST(InputStreamContract, BlocksOnEitherSideOfTheStackLimitReadTheSame) {
  const size_t limit = TypeParam::kStackBlock;
  for (size_t n : {limit - 1, limit, limit + 1, size_t{100000}}) {
    SCOPED_TRACE(n);
    const std::string block = Pattern(n);
    StringReader reader(TypeParam::Encode(block));
    typename TypeParam::Stream stream(&reader);
    std::string out(n, '\0');
    stream.GetN(&out[0], n);
    EXPECT_EQ(out, block);
    ASSERT_EQ(reader.sizes.size(), 1u);
    EXPECT_EQ(reader.sizes[0], n * TypeParam::kCharsPerByte);
  }
}

TYPED_TEST(InputStreamContract, OnlyBlocksAboveTheStackLimitAllocate) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const size_t limit = TypeParam::kStackBlock;
  const std::string block = Pattern(limit + 1);
  StringReader reader(TypeParam::Encode(block) + TypeParam::Encode(block));
  reader.sizes.reserve(64);
  typename TypeParam::Stream stream(&reader);
  std::string out(limit + 1, 'z');
  {
    vxtest::ScopedAllocationFailure failNext(1);
    stream.GetN(&out[0], limit);
    EXPECT_FALSE(vxtest::AllocationFailureFired());
  }
  EXPECT_EQ(out.substr(0, limit), block.substr(0, limit));
  // The rest of the first block, then the whole second block, failing at
  // every allocation first: nothing read, nothing written, nothing leaked.
  reader.position = 0;
  out.assign(limit + 1, 'z');
  reader.sizes.clear();
  const int points = vxtest::ForEachAllocationFailure([&] { stream.GetN(&out[0], limit + 1); },
                                                      [&] {
                                                        EXPECT_EQ(out, std::string(limit + 1, 'z'));
                                                        EXPECT_TRUE(reader.sizes.empty());
                                                        EXPECT_EQ(reader.position, 0u);
                                                      });
  EXPECT_GE(points, 2) << "the array and the holder's count";
  EXPECT_EQ(out, block);
}

TYPED_TEST(InputStreamContract, HeapScratchIsFreedWhenTheReaderThrows) {
  const std::string block = Pattern(9000);
  StringReader reader(TypeParam::Encode(block.substr(0, 8999)));
  reader.sizes.reserve(4);
  typename TypeParam::Stream stream(&reader);
  std::string out(9000, 'z');
  const long before = vxtest::LiveAllocations();
  EXPECT_THROW(stream.GetN(&out[0], 9000), TVCBufferUnderrunException);
  EXPECT_EQ(vxtest::LiveAllocations(), before);
  EXPECT_EQ(out, std::string(9000, 'z'));
}

TYPED_TEST(InputStreamContract, ImpossibleBlockSizeIsRefusedBeforeReading) {
  StringReader reader(TypeParam::Encode("abc"));
  typename TypeParam::Stream stream(&reader);
  char byte = 'z';
  EXPECT_THROW(stream.GetN(&byte, SIZE_MAX), std::bad_array_new_length);
  EXPECT_THROW(stream.GetN(&byte, static_cast<size_t>(PTRDIFF_MAX) + 1), std::bad_array_new_length);
  EXPECT_TRUE(reader.sizes.empty());
  EXPECT_EQ(byte, 'z');
}

TYPED_TEST(InputStreamContract, CopiesConsumeFromTheSameReader) {
  StringReader reader = TestFixture::ReaderOf("01 02 03");
  typename TypeParam::Stream stream(&reader);
  typename TypeParam::Stream copy(stream);
  StringReader other;
  typename TypeParam::Stream assigned(&other);
  assigned = stream;
  unsigned char a = 0, b = 0, c = 0;
  stream.GetBYTE(a);
  copy.GetBYTE(b);
  assigned.GetBYTE(c);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  EXPECT_TRUE(other.sizes.empty());
}

TYPED_TEST(InputStreamContract, DeviceIsAskedForItsReaderOnce) {
  StringReader reader = TestFixture::ReaderOf("07 00");
  FakeDevice device(&reader, nullptr);
  typename TypeParam::Stream byReference(device);
  typename TypeParam::Stream byPointer(&static_cast<vx::IReadWriteDevice&>(device));
  EXPECT_EQ(device.readerCalls, 2);
  EXPECT_EQ(device.writerCalls, 0);
  unsigned char a = 0, b = 0;
  byReference.GetBYTE(a);
  byPointer.GetBYTE(b);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(device.readerCalls, 2);
  device.fail = true;
  EXPECT_THROW(typename TypeParam::Stream failing(device), std::runtime_error);
}

// ---- CPortableInputStream --------------------------------------------------

TEST(CPortableInputStream, OnlyTIsTrue) {
  StringReader reader(
      "54"
      "46"
      "01"
      "00"
      "74"
      "FF");
  CPortableInputStream stream(&reader);
  bool values[6] = {false, true, true, true, true, true};
  for (bool& value : values) stream.GetBool(value);
  EXPECT_TRUE(values[0]);
  for (int k = 1; k < 6; ++k) EXPECT_FALSE(values[k]) << k;
}

class LoggingInputStream : public CPortableInputStream {
 public:
  using CPortableInputStream::CPortableInputStream;
  void GetChar(char& c) override {
    CPortableInputStream::GetChar(c);
    seen += c;
    c = 'T';
  }
  std::string seen;
};

TEST(CPortableInputStream, BoolGoesThroughTheVirtualGetChar) {
  StringReader reader("46");
  LoggingInputStream stream(&reader);
  bool flag = false;
  stream.GetBool(flag);
  EXPECT_EQ(stream.seen, "F");
  EXPECT_TRUE(flag);
}

// All 65536 pairs of characters: a pair of digits of the alphabet decodes to
// its byte, any other pair is rejected and leaves the destination alone.
TEST(CPortableInputStream, EveryCharacterPairDecodesOrIsRejected) {
  auto digit = [](int c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string text;
  text.reserve(size_t{2} * 65536);
  for (int h = 0; h < 256; ++h) {
    for (int l = 0; l < 256; ++l) {
      text.push_back(static_cast<char>(h));
      text.push_back(static_cast<char>(l));
    }
  }
  StringReader reader(text);
  CPortableInputStream stream(&reader);
  int accepted = 0;
  for (int h = 0; h < 256; ++h) {
    for (int l = 0; l < 256; ++l) {
      unsigned char byte = 0x5A;
      bool rejected = false;
      try {
        stream.GetBYTE(byte);
      } catch (const CStreamFormatException&) {
        rejected = true;
      }
      const bool valid = digit(h) >= 0 && digit(l) >= 0;
      ASSERT_EQ(rejected, !valid) << "characters " << h << ", " << l;
      if (valid) {
        ++accepted;
        ASSERT_EQ(byte, digit(h) * 16 + digit(l)) << "characters " << h << ", " << l;
      } else {
        ASSERT_EQ(byte, 0x5A);
      }
    }
  }
  EXPECT_EQ(accepted, 256);
  EXPECT_EQ(reader.Remaining(), 0u) << "a rejected value's characters are consumed";
}

TEST(CPortableInputStream, RejectionSaysWhatAndWhere) {
  StringReader reader(
      "E803g000"
      "E8030000");
  CPortableInputStream stream(&reader);
  int value = 42;
  try {
    stream.GetInt(value);
    FAIL() << "lower-case or foreign characters must be rejected";
  } catch (const tvc::TVCIPCException& e) {
    EXPECT_STREQ(e.what(),
                 "CPortableInputStream: 'g' (0x67) at character 5 of 8 is not an upper-case "
                 "hexadecimal digit");
  }
  EXPECT_EQ(value, 42);
  stream.GetInt(value);
  EXPECT_EQ(value, 1000) << "the stream reads on after a rejection";

  StringReader control(std::string("0\n", 2));
  CPortableInputStream other(&control);
  char c = 'k';
  try {
    other.GetChar(c);
    FAIL();
  } catch (const CStreamFormatException& e) {
    EXPECT_STREQ(e.what(),
                 "CPortableInputStream: byte 0x0A at character 2 of 2 is not an upper-case "
                 "hexadecimal digit");
  }
  EXPECT_EQ(c, 'k');
}

TEST(CPortableInputStream, LowerCaseDigitsAreRejectedEverywhere) {
  // A bad character at the start, middle or end of stack and heap blocks.
  for (size_t n : {size_t{1}, size_t{8}, size_t{2048}, size_t{5000}}) {
    for (size_t at : {size_t{0}, n, 2 * n - 1}) {
      SCOPED_TRACE(testing::Message() << n << " bytes, bad character at " << at);
      std::string text = Hex(Pattern(n));
      text[at] = 'a';
      StringReader reader(text);
      CPortableInputStream stream(&reader);
      std::string out(n, 'z');
      EXPECT_THROW(stream.GetN(&out[0], n), CStreamFormatException);
      EXPECT_EQ(out, std::string(n, 'z'));
    }
  }
  StringReader reader("e8030000fefffeff0000000000000f03f");
  CPortableInputStream stream(&reader);
  int i = 1;
  unsigned short w = 2;
  double d = 3;
  EXPECT_THROW(stream.GetInt(i), CStreamFormatException);
  EXPECT_THROW(stream.GetWORD(w), CStreamFormatException);
  EXPECT_THROW(stream.GetDouble(d), CStreamFormatException);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(d, 3);
}

// ---- CBinaryInputStream ----------------------------------------------------

TEST(CBinaryInputStream, BoolIsZeroOrOneAndNothingElse) {
  StringReader reader(Bytes("01 00 02 FF 01"));
  CBinaryInputStream stream(reader);
  bool a = false, b = true, c = true;
  stream.GetBool(a);
  stream.GetBool(b);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
  try {
    stream.GetBool(c);
    FAIL() << "byte 02 is no bool";
  } catch (const CStreamFormatException& e) {
    EXPECT_STREQ(e.what(), "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)");
  }
  EXPECT_THROW(stream.GetBool(c), CStreamFormatException);
  EXPECT_TRUE(c);
  stream.GetBool(c);
  EXPECT_TRUE(c);
}

TEST(CStreamFormatException, KeepsItsMessageCutToTheLimit) {
  const CStreamFormatException generic;
  EXPECT_STREQ(generic.what(), "malformed stream data");
  EXPECT_STREQ(CStreamFormatException(nullptr).what(), "malformed stream data");
  const std::string longText(500, 'x');
  const CStreamFormatException cut(longText.c_str());
  EXPECT_EQ(std::string(cut.what()), longText.substr(0, CStreamFormatException::MaxMessageLength));
  CStreamFormatException copy(generic);
  copy = cut;
  EXPECT_STREQ(copy.what(), cut.what());
  const tvc::TVCException& base = copy;
  EXPECT_STREQ(base.what(), cut.what());
}

}  // namespace
