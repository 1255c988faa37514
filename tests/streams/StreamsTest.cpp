// Both stream formats run one script: PutAll makes every put, Wire lists the
// bytes of each of its Writes, and GetAll reads every value back. The script
// runs whole, with each call of the channel failing in turn, with the channel
// short or malformed, and with each allocation failing.
#include <gtest/gtest.h>

#include <cstring>

#include "support/AllocationFailure.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/StreamOperators.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

using Out = tvc::ITVCOutStream;
using In = tvc::ITVCInStream;
using Calls = std::vector<std::string>;
using ChannelFault = std::range_error;  // thrown by the test channel alone
const std::string kUnderrun = tvc::TVCBufferUnderrunException().what();

// Writes append to `text` and `calls`, reads consume `text` from `pos`. Its
// `failOn`-th call throws ChannelFault; a read past the end scribbles on the
// buffer, then throws the underrun. Neither consumes anything.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(std::string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {}
  void Write(const void* p, size_t n) override {
    if (++count == failOn) throw ChannelFault("channel fault");
    calls.emplace_back(static_cast<const char*>(p), n), text += calls.back();
  }
  void Read(void* p, size_t n) override {
    if (++count == failOn) throw ChannelFault("channel fault");
    if (n > text.size() - pos) std::memset(p, 0xEE, n), throw tvc::TVCBufferUnderrunException();
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  std::string text;
  size_t failOn, count = 0, pos = 0;
  Calls calls;
};

std::string operator""_b(const char* s, size_t n) { return std::string(s, n); }
// What a get's target shows: a value's bytes, a text, a bit vector's bits.
template <class T>
std::string Shown(const T& v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}
std::string Shown(const std::string& s) { return s; }
std::string Shown(const vx::VXString& s) { return std::string(s.view()); }
vx::VXString kKept("kept");
std::string Shown(vx::VXString* s) {  // deletes the string that `in >> s` made
  const std::unique_ptr<vx::VXString> made(s != &kKept ? s : nullptr);
  return Shown(*s);
}
std::string Shown(const vx::CBitVector& v) {
  std::string bits;
  for (size_t i = 0; i < v.Size(); ++i) bits += v.Test(i) ? '1' : '0';
  return bits;
}
std::string Join(const Calls& calls, size_t n = SIZE_MAX) {  // the first n calls
  std::string all;
  for (size_t i = 0; i < calls.size() && i < n; ++i) all += calls[i];
  return all;
}
std::string Hex(const std::string& raw) {
  std::string hex;
  for (unsigned char c : raw) hex += {"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
  return hex;
}
template <class F>
std::string WhatOf(F f) try {  // the what() of the exception that f throws
  return f(), "nothing thrown";
} catch (const std::exception& e) {
  return e.what();
}
vx::CBitVector BitsOf(const std::string& pattern) {  // "101": bits 0 and 2 set
  vx::CBitVector v(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) v.Set(i, pattern[i] == '1');
  return v;
}
std::string Sample(size_t n) {  // every byte value, in no simple order
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
  return s;
}
const size_t kBlocks[] = {0, 55, 2048, 2049, 4097};  // each side of a scratch limit

void PutAll(Out& o) {  // allocates nothing of its own once it has run
  static const vx::VXString nul("a\0b", 3), none, s4096(std::string_view(Sample(4096))),
      s4097(std::string_view(Sample(4097)));
  static const vx::CBitVector bits = BitsOf("1010000001"), empty;
  static const std::string blocks = Sample(4097);
  o.PutBool(true), o.PutBool(false), o.PutChar('A'), o.PutBYTE(0xA5), o.PutShort(-2);
  o.PutWORD(0x1234), o.PutInt(1000), o.PutUint(3000000000u), o.PutLong(-100),
      o.PutDWORD(0x87654321);
  o.PutDouble(-2.5), o.PutDouble(-0.0), o.PutInt64(-2), o.PutUint64(0x0102030405060708),
      o.PutSizet(300);
  o << nul << "abc" << none, vx::PutLPCSTR(o, "abcdef", 2) << s4096 << s4097 << bits << empty;
  for (size_t k : kBlocks) o.PutN(k ? blocks.data() : nullptr, k);
}
Calls Wire(int f) {  // PutAll's Writes in the binary layout (f = 0) or as portable text (1)
  const auto n = [](std::uint64_t length) { return Shown(length); };
  // clang-format off
  Calls w = {"\x01"_b, "\0"_b, "A", "\xA5", "\xFE\xFF", "\x34\x12", "\xE8\x03\0\0"_b, "\0\x5E\xD0\xB2"_b,
             "\x9C\xFF\xFF\xFF", "\x21\x43\x65\x87", "\0\0\0\0\0\0\x04\xC0"_b, "\0\0\0\0\0\0\0\x80"_b,
             "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", "\x08\x07\x06\x05\x04\x03\x02\x01", "\x2C\x01\0\0\0\0\0\0"_b,
             n(3), "a\0b"_b, n(3), "abc", n(0), "", n(2), "ab", n(4096), Sample(4096), n(4097), Sample(4097),
             n(10), "\x05\x02", n(0), ""};
  // clang-format on
  for (size_t k : kBlocks) w.push_back(Sample(k));
  for (size_t i = 0; f == 1 && i < w.size(); ++i) w[i] = Hex(i < 2 ? (i ? "F" : "T") : w[i]);
  return w;
}

// Gets into a copy of `kept` and expects it to show `value`; a get that fails
// must leave the copy as it was.
template <class T, class Get>
void Check(In& in, const T& kept, const Get& get, const std::string& value) {
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
  Check(
      in, kept, [get](In& i, T& t) { (i.*get)(t); }, Shown(v));
}
void GetAll(In& in) {  // reads back what PutAll put
  const auto string = [](In& i, vx::VXString& t) { i >> t; };
  const auto pointer = [](In& i, vx::VXString*& t) { i >> t; };
  const auto bits = [](In& i, vx::CBitVector& t) { i >> t; };
  Check(in, &In::GetBool, true), Check(in, &In::GetBool, false), Check(in, &In::GetChar, 'A');
  Check(in, &In::GetBYTE, 0xA5), Check(in, &In::GetShort, -2), Check(in, &In::GetWORD, 0x1234);
  Check(in, &In::GetInt, 1000), Check(in, &In::GetUint, 3000000000u);
  Check(in, &In::GetLong, -100), Check(in, &In::GetDWORD, 0x87654321);  // sign-, zero-extended
  Check(in, &In::GetDouble, -2.5), Check(in, &In::GetDouble, -0.0), Check(in, &In::GetInt64, -2);
  Check(in, &In::GetUint64, 0x0102030405060708), Check(in, &In::GetSizet, 300);
  Check(in, kKept, string, "a\0b"_b), Check(in, &kKept, pointer, "abc");
  Check(in, &kKept, pointer, ""), Check(in, kKept, string, "ab");
  Check(in, kKept, string, Sample(4096)), Check(in, &kKept, pointer, Sample(4097));
  Check(in, BitsOf("111"), bits, "1010000001"), Check(in, BitsOf("111"), bits, "");
  for (size_t k : kBlocks) {
    Check(
        in, std::string(k, '-'), [](In& i, std::string& t) { i.GetN(&t[0], t.size()); }, Sample(k));
  }
}

std::shared_ptr<Out> OutFor(int f, tvc::ITVCBinaryWriter* w) {
  return f ? std::shared_ptr<Out>(new vx::CPortableOutputStream(w))
           : std::make_shared<vx::CBinaryOutputStream>(w);
}
std::shared_ptr<In> InFor(int f, tvc::ITVCBinaryReader* r) {  // deleted as the concrete stream
  return f ? std::shared_ptr<In>(new vx::CPortableInputStream(r))
           : std::make_shared<vx::CBinaryInputStream>(r);
}

// Each put is its Writes, Tell() counts value bytes, and the gets read every
// value back, one Read per Write. The channel failing at the k-th Read, or
// ending one byte into the k-th Write, a character that is no upper-case
// hexadecimal digit, or a failed allocation stops the script at that get,
// whose target keeps its value, having consumed nothing after the failed Read.
TEST(Streams, GetsReadBackEveryPutOrFailLeavingTheirTargets) {
  for (int f : {0, 1}) {
    const Calls wire = Wire(f);
    Channel ch;
    const auto out = OutFor(f, &ch);
    PutAll(*out);
    EXPECT_EQ(ch.calls, wire);
    EXPECT_EQ(out->Tell(), ch.text.size() / (1 + f));
    GetAll(*InFor(f, &ch));
    EXPECT_TRUE(ch.pos == ch.text.size() && ch.count == 2 * wire.size());
    for (size_t k = 1; k <= wire.size(); ++k) {
      Channel faulty(ch.text, k), shorter(Join(wire, k));
      shorter.text.pop_back();
      EXPECT_EQ(WhatOf([&] { GetAll(*InFor(f, &faulty)); }), "channel fault");
      EXPECT_EQ(faulty.pos, Join(wire, k - 1).size());
      EXPECT_EQ(WhatOf([&] { GetAll(*InFor(f, &shorter)); }), kUnderrun);
    }
    for (size_t at = 0; f == 1 && at < ch.text.size(); at += (at < 500 ? 1 : 97)) {
      Channel bad(ch.text);
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(GetAll(*InFor(1, &bad)), vx::CStreamFormatException) << at;
    }
    if (vxtest::AllocationFailureInjectable())
      vxtest::ForEachAllocationFailure([&, in = InFor(f, &ch)] { ch.pos = 0, GetAll(*in); });
  }
}

// The script with the k-th Write failing, for every k: the failure passes,
// the channel holds the earlier Writes whole, the count includes the failed
// Write where the stream counts before writing (the portable one), and the
// stream writes on. Then over a full memory writer and a full IPC queue with
// each allocation failing in turn, until the script completes.
TEST(Streams, FailedPutKeepsWholeWritesAndCountsByItsRule) {
  for (int f : {0, 1}) {
    const Calls wire = Wire(f);
    for (size_t k = 1; k <= wire.size(); ++k) {
      Channel ch({}, k);
      const auto out = OutFor(f, &ch);
      EXPECT_THROW(PutAll(*out), ChannelFault);
      EXPECT_EQ(ch.calls, Calls(wire.begin(), wire.begin() + k - 1));
      EXPECT_EQ(out->Tell(), (Join(wire, k - 1).size() + (f ? wire[k - 1].size() : 0)) / (1 + f));
      out->PutBYTE(7);
      EXPECT_EQ(ch.calls.back(), f ? "07" : "\x07");
    }
    for (int queue = 0; queue < 2 * vxtest::AllocationFailureInjectable(); ++queue) {
      vxtest::ForEachAllocationFailure([&] {
        vx::CMemWriter mem("seed", 4);
        vx::PXIpcStreamBuf ipc;
        for (ipc.Write("seed", 4); ipc.out_waiting() < ipc.GetCapacity();) ipc.Write("f", 1);
        PutAll(*OutFor(f, queue ? static_cast<tvc::ITVCBinaryWriter*>(&ipc) : &mem));
        EXPECT_EQ(queue ? std::string(ipc.str() + 16, ipc.out_waiting() - 16)
                        : std::string(reinterpret_cast<const char*>(mem.GetData()) + 4,
                                      mem.GetSize() - 4),
                  Join(wire));
      });
    }
  }
}

// Blocks no array can hold are refused before anything is read or written;
// the portable output counts, then fails to allocate, one whose text size_t
// can express. A binary bool is 00 or 01, a portable one true for "T" alone.
// A get whose Read failed reads its value when asked again; a malformed value
// has been consumed.
TEST(Streams, RefusesWhatNoValueCanBe) {
  Channel ch("\x02\x01"), text("46017454E803g000E8030000", 5);
  vx::CBinaryInputStream binary(ch);
  vx::CPortableInputStream portable(&text);
  vx::CPortableOutputStream out(&ch);
  EXPECT_THROW(binary.GetN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_THROW(portable.GetN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(out.Tell(), 0u);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_TRUE(out.Tell() == SIZE_MAX / 2 && ch.count == 0 && text.count == 0);
  bool got[5] = {false, true, true, true, false};
  const std::string notBool = "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)";
  EXPECT_EQ(WhatOf([&] { binary.GetBool(got[0]); }), notBool);
  binary.GetBool(got[0]);
  for (int i = 1; i < 5; ++i) portable.GetBool(got[i]);
  EXPECT_TRUE(got[0] && !got[1] && !got[2] && !got[3] && got[4]);
  int value = 42;
  EXPECT_EQ(WhatOf([&] { portable.GetInt(value); }), "channel fault");
  EXPECT_EQ(WhatOf([&] { portable.GetInt(value); }),
            "CPortableInputStream: 'g' (0x67) at character 5 of 8 is not an upper-case hexadecimal "
            "digit");
  portable.GetInt(value);
  EXPECT_EQ(value, 1000);
}

TEST(CBitVector, BitsResizeCopiesAndFailures) {
  vx::CBitVector v = BitsOf("1011"), copy = v;
  v.Reset(2), v.Resize(12, true), copy.Set(1);
  EXPECT_TRUE(Shown(v) == "100111111111" && v.Count() == 10 && Shown(copy) == "1111");
  v.Resize(3);
  EXPECT_TRUE(v == BitsOf("100") && v != BitsOf("1000"));
  Channel ch("03000000000000000F");
  vx::CPortableInputStream in(&ch);
  EXPECT_EQ(WhatOf([&] { v.ReadFrom(in); }),
            "CBitVector: unused high bits set in the last byte (0x0F) of a 3-bit vector");
  if (!vxtest::AllocationFailureInjectable()) return;
  EXPECT_EQ(vxtest::ForEachAllocationFailure([] { vx::CBitVector(1000, true); }), 1);
  EXPECT_EQ(vxtest::ForEachAllocationFailure([&] { vx::CBitVector{copy}; }), 1);
  vxtest::ForEachAllocationFailure([&] { v = copy; }, [&] { EXPECT_EQ(Shown(v), "100"); });
  vxtest::ForEachAllocationFailure([&] { v.Resize(9); }, [&] { EXPECT_EQ(Shown(v), "1111"); });
  EXPECT_EQ(Shown(v), "111100000");
}
