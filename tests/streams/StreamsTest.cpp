// Both stream formats run one script: PutAll makes every put, Wire lists the
// bytes of each of its Writes, worked out by hand (every multi-byte value
// least significant byte first, on a host of either byte order), and GetAll
// reads every value back. The script
// runs whole, with each call of the channel failing in turn, with the channel
// short or malformed, and with each allocation failing.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "support/AllocationFailure.h"
#include "support/Cases.h"
#include "vexlo/vexlo.h"

using namespace vx;
using Out = tvc::ITVCOutStream;
using In = tvc::ITVCInStream;

// Writes append to `text`, reads consume it from `pos`. Its `failOn`-th call
// throws std::range_error, which no stream throws of its own; a read past the
// end scribbles on the buffer, then throws the underrun. Neither consumes.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(std::string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {}
  void Write(const void* p, size_t n) override {
    if (++count == failOn) throw std::range_error("channel fault");
    text.append(static_cast<const char*>(p), n);
  }
  void Read(void* p, size_t n) override {
    if (++count == failOn) throw std::range_error("channel fault");
    if (n > text.size() - pos) {
      std::memset(p, 0xEE, n);
      throw tvc::TVCBufferUnderrunException();
    }
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  std::string text;
  size_t failOn, count = 0, pos = 0;
};

std::string operator""_b(const char* s, size_t n) { return std::string(s, n); }
// What a get's target shows: a value's bytes, a text, a bit vector's bits.
template <class T>
std::string Shown(const T& v) {
  return {reinterpret_cast<const char*>(&v), sizeof v};
}
std::string Shown(const std::string& s) { return s; }
std::string Shown(const VXString& s) { return std::string(s.view()); }
VXString kKept("kept");
std::string Shown(VXString* s) {  // deletes the string that `in >> s` made
  const std::unique_ptr<VXString> made(s != &kKept ? s : nullptr);
  return Shown(*s);
}
std::string Shown(const CBitVector& v) {
  std::string bits;
  for (size_t i = 0; i < v.Size(); ++i) bits += v.Test(i) ? '1' : '0';
  return bits;
}
template <class F>
std::string WhatOf(F f) try {  // the what() of the exception that f throws
  f();
  return "nothing thrown";
} catch (const std::exception& e) {
  return e.what();
}
std::string Sample(size_t n) {  // every byte value, in no simple order
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
  return s;
}
const size_t kBlocks[] = {0, 55, 2048, 2049, 4097};  // each side of a scratch limit

// Every put, in the order of Wire.
void PutAll(Out& o) {
  const std::string blocks = Sample(4097);
  CBitVector bits(10);
  for (size_t i : {0, 2, 9}) bits.Set(i);
  o.PutBool(true);
  o.PutBool(false);
  o.PutChar('A');
  o.PutBYTE(0xA5);
  o.PutShort(-2);
  o.PutWORD(0x1234);
  o.PutInt(-1000);
  o.PutUint(3000000000u);
  o.PutLong(-100);
  o.PutDWORD(0x87654321);
  o.PutDouble(-2.5);
  o.PutDouble(-0.0);
  o.PutDouble(0.1);
  o.PutInt64(-std::int64_t{0x0102030405060708});
  o.PutUint64(0x0102030405060708);
  o.PutSizet(300);
  o << VXString("a\0b", 3) << "abc" << VXString();
  PutLPCSTR(o, "abcdef", 2);  // to the bound
  PutLPCSTR(o, "xy", 5);      // to the NUL
  o << VXString(blocks.data(), 4096) << VXString(blocks.data(), 4097) << bits << CBitVector();
  for (size_t k : kBlocks) o.PutN(k ? blocks.data() : nullptr, k);
}
// PutAll's Writes in the binary layout (f = 0) or as portable text (1).
std::vector<std::string> Wire(int f) {
  const auto n = [](std::uint64_t length) {  // 8 bytes, least significant first
    std::string bytes;
    for (int i = 0; i < 8; ++i) bytes += static_cast<char>(length >> 8 * i);
    return bytes;
  };
  // clang-format off
  std::vector<std::string> w = {
      "\x01"_b, "\0"_b, "A", "\xA5", "\xFE\xFF", "\x34\x12", "\x18\xFC\xFF\xFF", "\0\x5E\xD0\xB2"_b,
      "\x9C\xFF\xFF\xFF", "\x21\x43\x65\x87", "\0\0\0\0\0\0\x04\xC0"_b, "\0\0\0\0\0\0\0\x80"_b,
      "\x9A\x99\x99\x99\x99\x99\xB9\x3F", "\xF8\xF8\xF9\xFA\xFB\xFC\xFD\xFE", "\x08\x07\x06\x05\x04\x03\x02\x01", "\x2C\x01\0\0\0\0\0\0"_b,
      n(3), "a\0b"_b, n(3), "abc", n(0), "", n(2), "ab", n(2), "xy", n(4096), Sample(4096), n(4097), Sample(4097),
      n(10), "\x05\x02", n(0), ""};
  // clang-format on
  for (size_t k : kBlocks) w.push_back(Sample(k));
  for (size_t i = 0; f == 1 && i < w.size(); ++i) {
    const std::string raw = i < 2 ? (i ? "F" : "T") : w[i];
    w[i] = vxtest::Hex(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
  }
  return w;
}

// Gets into a copy of `kept` and expects it to show `value`; a get that fails
// must leave the copy as it was.
template <class T, class Get>
void Check(In& in, const T& kept, const std::string& value, const Get& get) {
  T target = kept;
  try {
    get(in, target);
  } catch (...) {
    EXPECT_EQ(Shown(target), Shown(kept)) << "a failed get changed its target";
    throw;
  }
  EXPECT_EQ(Shown(target), value);
}
template <class T>
void Check(In& in, void (In::*get)(T&), std::common_type_t<T> v) {
  T kept = static_cast<T>(!v);  // anything but v
  if constexpr (!std::is_same_v<T, bool>) std::memset(&kept, 0xA7, sizeof kept);
  Check(in, kept, Shown(v), [get](In& i, T& t) { (i.*get)(t); });
}
// Reads back in format f what PutAll put; a block no array can hold is not read.
void GetAll(int f, tvc::ITVCBinaryReader* reader) {
  CBinaryInputStream binary(reader);
  CPortableInputStream portable(reader);
  In& in = f ? static_cast<In&>(portable) : binary;
  EXPECT_THROW(in.GetN(&in, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  const auto string = [](In& i, VXString& t) { i >> t; };
  const auto pointer = [](In& i, VXString*& t) { i >> t; };
  const auto bits = [](In& i, CBitVector& t) { i >> t; };
  Check(in, &In::GetBool, true);
  Check(in, &In::GetBool, false);
  Check(in, &In::GetChar, 'A');
  Check(in, &In::GetBYTE, 0xA5);
  Check(in, &In::GetShort, -2);
  Check(in, &In::GetWORD, 0x1234);
  Check(in, &In::GetInt, -1000);
  Check(in, &In::GetUint, 3000000000u);
  Check(in, &In::GetLong, -100);         // sign-extended
  Check(in, &In::GetDWORD, 0x87654321);  // zero-extended
  Check(in, &In::GetDouble, -2.5);
  Check(in, &In::GetDouble, -0.0);
  Check(in, &In::GetDouble, 0.1);
  Check(in, &In::GetInt64, -std::int64_t{0x0102030405060708});
  Check(in, &In::GetUint64, 0x0102030405060708);
  Check(in, &In::GetSizet, 300);
  Check(in, kKept, "a\0b"_b, string);
  Check(in, &kKept, "abc", pointer);
  Check(in, &kKept, "", pointer);
  Check(in, kKept, "ab", string);
  Check(in, kKept, "xy", string);
  Check(in, kKept, Sample(4096), string);
  Check(in, &kKept, Sample(4097), pointer);
  Check(in, CBitVector(3, true), "1010000001", bits);
  Check(in, CBitVector(3, true), "", bits);
  const auto block = [](In& i, std::string& t) { i.GetN(&t[0], t.size()); };
  for (size_t k : kBlocks) Check(in, std::string(k, '-'), Sample(k), block);
}

std::shared_ptr<Out> OutFor(int f, tvc::ITVCBinaryWriter* w) {
  return f ? std::shared_ptr<Out>(new CPortableOutputStream(w))
           : std::make_shared<CBinaryOutputStream>(w);
}

// Each put is its Writes, Tell() counts value bytes, and the gets read every
// value back, one Read per Write. When the k-th Write fails, for every k, the
// failure passes, the earlier Writes are whole, the count includes the failed
// Write where the stream counts before writing (the portable one), and the
// stream writes on. The k-th Read failing, the channel ending one byte into
// the k-th Write, a character that is no upper-case hexadecimal digit, or a
// failed allocation stops the gets at one whose target keeps its value,
// nothing after the failed Read consumed. Over a memory writer and an IPC
// queue, which start empty and so must grow, each allocation fails in turn, and
// both are read back.
TEST(Streams, EveryPutAndGetAtEveryFailurePoint) {
  for (int f : {0, 1}) {
    SCOPED_TRACE(f ? "portable format" : "binary format");
    const auto wire = Wire(f);
    const auto writesBefore = [&wire](size_t k) {  // the first k - 1 Writes, joined
      return std::accumulate(wire.begin(), wire.begin() + (k - 1), std::string());
    };
    Channel ch;
    const auto out = OutFor(f, &ch);
    PutAll(*out);
    EXPECT_EQ(ch.text, writesBefore(wire.size() + 1)) << "every Write as in the table";
    EXPECT_EQ(out->Tell(), ch.text.size() / (1 + f));
    GetAll(f, &ch);
    EXPECT_EQ(ch.pos, ch.text.size()) << "the gets read every byte";
    EXPECT_EQ(ch.count, 2 * wire.size()) << "one Read per Write";
    for (size_t k = 1; k <= wire.size(); ++k) {
      SCOPED_TRACE("the call that fails or runs short: " + std::to_string(k));
      const std::string done = writesBefore(k);
      Channel writer({}, k), reader(ch.text, k), shorter(done + wire[k - 1]);
      const auto failing = OutFor(f, &writer);
      EXPECT_THROW(PutAll(*failing), std::range_error);
      EXPECT_EQ(failing->Tell(), (done.size() + (f ? wire[k - 1].size() : 0)) / (1 + f));
      failing->PutBYTE(7);
      EXPECT_EQ(writer.text, done + (f ? "07" : "\x07")) << "whole Writes, and the stream goes on";
      EXPECT_THROW(GetAll(f, &reader), std::range_error);
      EXPECT_EQ(reader.pos, done.size());
      shorter.text.pop_back();
      EXPECT_THROW(GetAll(f, &shorter), tvc::TVCBufferUnderrunException);
    }
    for (size_t at = 0; f == 1 && at < ch.text.size(); at += (at < 500 ? 1 : 97)) {
      Channel bad(ch.text);
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(GetAll(1, &bad), CStreamFormatException) << at;
    }
    if (!vxtest::AllocationFailureInjectable()) continue;
    vxtest::ForEachAllocationFailure([&] {
      CMemWriter mem;
      PXIpcStreamBuf ipc;
      PutAll(*OutFor(f, &mem));
      PutAll(*OutFor(f, &ipc));
      CMemReader back(mem.GetData(), mem.GetSize());
      GetAll(f, &ipc);
      GetAll(f, &back);
    });
  }
}

// Blocks no array can hold are refused before anything is read or written,
// the portable output counting them first like every value it fails to put.
// A binary bool is 00 or 01, a portable one true for "T" alone. A get whose
// Read failed reads its value when asked again; a malformed value has been
// consumed, so the stream reads on.
TEST(Streams, RefusesWhatNoValueCanBe) {
  Channel ch("\x02\x01"), text("46017454E803g000E803000003000000000000000F", 5);
  CBinaryInputStream binary(ch);
  CPortableInputStream portable(&text);
  CPortableOutputStream out(&ch);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(out.Tell(), SIZE_MAX / 2 + 1);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_EQ(out.Tell(), SIZE_MAX);
  EXPECT_EQ(ch.count, 0u) << "nothing written";
  const std::string notBool = "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)";
  EXPECT_EQ(WhatOf([&] { Check(binary, &In::GetBool, true); }), notBool);
  Check(binary, &In::GetBool, true);
  for (bool b : {false, false, false, true}) Check(portable, &In::GetBool, b);  // 46 01 74 54
  EXPECT_THROW(Check(portable, &In::GetInt, 1000), std::range_error);
  EXPECT_EQ(WhatOf([&] { Check(portable, &In::GetInt, 1000); }),
            "CPortableInputStream: 'g' (0x67) at character 5 of 8 is not an upper-case hexadecimal "
            "digit");
  Check(portable, &In::GetInt, 1000);
  EXPECT_EQ(WhatOf([&] { CBitVector().ReadFrom(portable); }),
            "CBitVector: unused high bits set in the last byte (0x0F) of a 3-bit vector");
}

// Copying, assigning and resizing, each with every allocation failing in
// turn, leave the vector as it was; no bit is left set past the size.
TEST(CBitVector, CopiesAndResizesWholeOrNotAtAll) {
  CBitVector v(4, true), c = v;
  c.Reset(1);
  vxtest::ForEachAllocationFailure([&] { v = c; }, [&] { EXPECT_EQ(Shown(v), "1111"); });
  vxtest::ForEachAllocationFailure([&] { v.Resize(12, 1); }, [&] { EXPECT_EQ(Shown(v), "1011"); });
  EXPECT_EQ(Shown(v), "101111111111");
  EXPECT_EQ(v.Count(), 11u);
  EXPECT_EQ(Shown(c), "1011") << "the source of the assignment";
  v.Resize(3);
  v.Set(1);
  EXPECT_EQ(v, CBitVector(3, true)) << "no bit left set past the size";
  EXPECT_NE(v, CBitVector(4, true));
  EXPECT_LE(vxtest::ForEachAllocationFailure([] { CBitVector(1000, true); }), 1);
}

// A long is 32 bits in both formats: a wider one puts its low four bytes. A
// copy of an output stream writes to the same writer and counts on from the
// source's count, alone; assignment takes the source's count.
TEST(Streams, LongsPutFourBytesAndCopiesCountAlone) {
  Channel ch;
  CBinaryOutputStream binary(&ch);
  CPortableOutputStream portable(&ch);
  binary.PutLong(static_cast<long>(std::int64_t{0x100000002}));
  portable.PutLong(static_cast<long>(std::int64_t{0x100000002}));
  EXPECT_EQ(ch.text, "\x02\0\0\0"_b + "02000000");
  CBinaryOutputStream binaryCopy(binary);
  CPortableOutputStream portableCopy(portable);
  binaryCopy.PutBYTE(0xAB);
  portableCopy.PutBYTE(0xCD);
  EXPECT_EQ(ch.text, "\x02\0\0\0"_b + "02000000\xAB" + "CD");
  const auto tells = [&] {
    return std::vector<size_t>{binary.Tell(), binaryCopy.Tell(), portable.Tell(),
                               portableCopy.Tell()};
  };
  EXPECT_EQ(tells(), std::vector<size_t>({4, 5, 4, 5})) << "binary, its copy, portable, its copy";
  EXPECT_FALSE(binary.IsMeasure() || portable.IsMeasure());
  binary = binaryCopy;
  portable = portableCopy;
  EXPECT_EQ(tells(), std::vector<size_t>({5, 5, 5, 5})) << "assignment takes the count";
}

// Bit vectors of no bits, moved, and resized across a partial byte hold their
// bits, and equal their copies; a moved-from vector is empty.
TEST(CBitVector, EmptyMovedAndResizedVectorsHoldTheirBits) {
  CBitVector moved(10, true), movedTo(std::move(moved)), from(3, true), assigned(17);
  assigned = std::move(from);
  CBitVector toNothing(9, true), fromNothing, grown(10);
  toNothing.Resize(0, true);
  fromNothing.Resize(3, true);
  grown.Set(9, true);
  grown.Resize(19, true);
  const struct {
    const char* name;
    CBitVector v;
    const char* bits;
  } rows[] = {
      {"no bits, filled", CBitVector(0, true), ""},
      {"a copy of no bits", CBitVector(CBitVector()), ""},
      {"moved", movedTo, "1111111111"},
      {"move-assigned", assigned, "111"},
      {"resized to nothing", toNothing, ""},
      {"resized from nothing", fromNothing, "111"},
      {"grown past a partial byte: old bits kept, new filled", grown, "0000000001111111111"}};
  for (const auto& row : rows) {
    EXPECT_EQ(Shown(row.v), row.bits) << row.name;
    EXPECT_EQ(row.v, CBitVector(row.v)) << row.name;
  }
  EXPECT_EQ(moved.Size() + from.Size(), 0u) << "the sources of the moves are empty";
  EXPECT_EQ(CBitVector(), CBitVector(0, true));
  EXPECT_FALSE(CBitVector(12, true) == CBitVector(12, false));
  EXPECT_FALSE(CBitVector(12) == CBitVector(11));
}

// The text is the one given, cut to MaxMessageLength; none gives a generic one.
TEST(CStreamFormatException, KeepsItsTextWithinItsBound) {
  const std::string longText(300, 'x');
  EXPECT_STREQ(CStreamFormatException().what(), "malformed stream data");
  EXPECT_STREQ(CStreamFormatException(nullptr).what(), "malformed stream data");
  EXPECT_STREQ(CStreamFormatException("short").what(), "short");
  EXPECT_EQ(CStreamFormatException(longText.c_str()).what(),
            longText.substr(0, CStreamFormatException::MaxMessageLength));
}

// A stream made from a device writes to the device's writer, whether the
// device is given by reference or by pointer.
TEST(OutputStreams, WriteToTheWriterOfTheDeviceTheyAreGiven) {
  vx::CMemStreamBuf device(0);
  vx::CBinaryOutputStream(device).PutWORD(0x4241);
  vx::CBinaryOutputStream(&device).PutBYTE('C');
  vx::CPortableOutputStream(device).PutBYTE(0x4D);
  vx::CPortableOutputStream(&device).PutBYTE(0xE0);
  EXPECT_EQ(std::string(device.str(), device.out_waiting()), "ABC4DE0");
}
