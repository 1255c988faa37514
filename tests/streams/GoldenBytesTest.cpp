// The bytes of both stream formats, worked out by hand from the formats'
// rules (every multi-byte value least significant byte first) and compared
// with what the output streams write on this host; then read back through the
// input streams. A host of either byte order must produce these same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vexlo/vexlo.h"

using namespace vx;

namespace {

// One record of every fixed-width value, a string with a NUL inside and a
// bit vector, each chosen so that no two bytes of a value are alike.
void PutRecord(tvc::ITVCOutStream& o) {
  CBitVector bits(10);
  bits.Set(0);
  bits.Set(2);
  bits.Set(9);
  o.PutBool(true);
  o.PutBool(false);
  o.PutChar('A');
  o.PutBYTE(0xA5);
  o.PutShort(-2);
  o.PutWORD(0x1234);
  o.PutInt(-1000);
  o.PutUint(3000000000u);
  o.PutLong(-100);
  o.PutDWORD(0x87654321ul);
  o.PutDouble(-2.5);
  o.PutDouble(0.1);
  o.PutInt64(-std::int64_t{0x0102030405060708});
  o.PutUint64(0x0102030405060708u);
  o.PutSizet(300);
  o << VXString("a\0b", 3) << bits;
}

// The binary layout of PutRecord, one value per line.
const unsigned char kBinary[] = {
    0x01,                                            // true
    0x00,                                            // false
    0x41,                                            // 'A'
    0xA5,                                            // 0xA5
    0xFE, 0xFF,                                      // -2
    0x34, 0x12,                                      // 0x1234
    0x18, 0xFC, 0xFF, 0xFF,                          // -1000 = 0xFFFFFC18
    0x00, 0x5E, 0xD0, 0xB2,                          // 3000000000 = 0xB2D05E00
    0x9C, 0xFF, 0xFF, 0xFF,                          // -100 = 0xFFFFFF9C
    0x21, 0x43, 0x65, 0x87,                          // 0x87654321
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0,  // -2.5 = 0xC004000000000000
    0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F,  // 0.1 = 0x3FB999999999999A
    0xF8, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE,  // -0x0102030405060708
    0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // 0x0102030405060708
    0x2C, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 300
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // the string's length 3
    0x61, 0x00, 0x62,                                // a NUL b
    0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 10 bits
    0x05, 0x02,                                      // bits 0, 2 and 9
};

// The portable text of PutRecord: the same bytes as digits, bools as "T"/"F".
const char kPortable[] =
    "54"
    "46"
    "41"
    "A5"
    "FEFF"
    "3412"
    "18FCFFFF"
    "005ED0B2"
    "9CFFFFFF"
    "21436587"
    "00000000000004C0"
    "9A9999999999B93F"
    "F8F8F9FAFBFCFDFE"
    "0807060504030201"
    "2C01000000000000"
    "0300000000000000"
    "610062"
    "0A00000000000000"
    "0502";

// Reads PutRecord's values back; each must come back as it was put.
void GetRecord(tvc::ITVCInStream& in, const char* format) {
  bool b1 = false, b2 = true;
  char c = 0;
  unsigned char uc = 0;
  short s = 0;
  unsigned short us = 0;
  int i = 0;
  unsigned int ui = 0;
  long l = 0;
  unsigned long ul = 0;
  double d1 = 0, d2 = 0;
  std::int64_t i64 = 0;
  std::uint64_t u64 = 0;
  size_t z = 0;
  VXString text;
  CBitVector bits;
  in.GetBool(b1);
  in.GetBool(b2);
  in.GetChar(c);
  in.GetBYTE(uc);
  in.GetShort(s);
  in.GetWORD(us);
  in.GetInt(i);
  in.GetUint(ui);
  in.GetLong(l);
  in.GetDWORD(ul);
  in.GetDouble(d1);
  in.GetDouble(d2);
  in.GetInt64(i64);
  in.GetUint64(u64);
  in.GetSizet(z);
  in >> text >> bits;
  SCOPED_TRACE(format);
  EXPECT_TRUE(b1);
  EXPECT_FALSE(b2);
  EXPECT_EQ(c, 'A');
  EXPECT_EQ(uc, 0xA5);
  EXPECT_EQ(s, -2);
  EXPECT_EQ(us, 0x1234);
  EXPECT_EQ(i, -1000);
  EXPECT_EQ(ui, 3000000000u);
  EXPECT_EQ(l, -100);
  EXPECT_EQ(ul, 0x87654321ul);
  EXPECT_EQ(d1, -2.5);
  EXPECT_EQ(d2, 0.1);
  EXPECT_EQ(i64, -std::int64_t{0x0102030405060708});
  EXPECT_EQ(u64, 0x0102030405060708u);
  EXPECT_EQ(z, 300u);
  EXPECT_EQ(text, VXString("a\0b", 3));
  EXPECT_EQ(bits.Size(), 10u);
  for (size_t k = 0; k < bits.Size(); ++k) EXPECT_EQ(bits.Test(k), k == 0 || k == 2 || k == 9) << k;
}

std::string HexOf(const unsigned char* p, size_t n) {
  std::string hex;
  for (size_t k = 0; k < n; ++k)
    hex += {"0123456789ABCDEF"[p[k] >> 4], "0123456789ABCDEF"[p[k] & 15]};
  return hex;
}

}  // namespace

TEST(GoldenBytes, BinaryStreamWritesAndReadsTheLittleEndianLayout) {
  CMemWriter writer;
  CBinaryOutputStream out(writer);
  PutRecord(out);
  EXPECT_EQ(HexOf(writer.GetData(), writer.GetSize()), HexOf(kBinary, sizeof kBinary));
  EXPECT_EQ(out.Tell(), sizeof kBinary);
  CMemReader reader(kBinary, sizeof kBinary);
  CBinaryInputStream in(reader);
  GetRecord(in, "binary");
}

TEST(GoldenBytes, PortableStreamWritesAndReadsTheHexText) {
  CMemWriter writer;
  CPortableOutputStream out(&writer);
  PutRecord(out);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(writer.GetData()), writer.GetSize()),
            kPortable);
  EXPECT_EQ(out.Tell(), sizeof kBinary);
  CMemReader reader(reinterpret_cast<const unsigned char*>(kPortable), sizeof kPortable - 1);
  CPortableInputStream in(&reader);
  GetRecord(in, "portable");
}
