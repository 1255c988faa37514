// Both stream formats run over one script of every put and its get: the
// Writes and count of each put, the value read back, and what a short,
// malformed or failing channel or a failed allocation leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

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
struct ChannelFault : std::exception {
  const char* what() const noexcept override { return "channel fault"; }
};
const std::string kUnderrun = tvc::TVCBufferUnderrunException().what();

// Writes append to `text` and `calls`, reads consume `text` from `pos`. Its
// `failOn`-th call throws ChannelFault; a read past the end scribbles on the
// buffer, then throws the underrun. Neither consumes anything.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(std::string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {}
  void Write(const void* p, size_t n) override {
    if (++count == failOn) throw ChannelFault();
    calls.emplace_back(static_cast<const char*>(p), n), text += calls.back();
  }
  void Read(void* p, size_t n) override {
    if (++count == failOn) throw ChannelFault();
    if (n > text.size() - pos) std::memset(p, 0xEE, n), throw tvc::TVCBufferUnderrunException();
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  std::string text;
  size_t failOn, count = 0, pos = 0;
  Calls calls;
};

std::string operator""_b(const char* s, size_t n) { return std::string(s, n); }
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

// What a get's target shows: a value's bytes, a text, a vector's bits.
template <class T>
std::string Shown(const T& v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}
std::string Shown(const std::string& s) { return s; }
std::string Shown(const vx::VXString& s) { return std::string(s.view()); }
vx::VXString kKept("kept");
std::string Shown(vx::VXString* s) {  // the string that `in >> s` made is deleted
  const std::unique_ptr<vx::VXString> made(s != &kKept ? s : nullptr);
  return Shown(*s);
}
std::string Shown(const vx::CBitVector& v) {
  std::string bits;
  for (size_t i = 0; i < v.Size(); ++i) bits += v.Test(i) ? '1' : '0';
  return bits;
}
// Gets into `target`, a copy of `kept`; a get that fails must leave it so.
template <class T, class Get>
std::string GetInto(In& in, T target, const T& kept, const Get& get) {
  try {
    get(in, target);
  } catch (...) {
    EXPECT_EQ(Shown(target), Shown(kept)) << "a failed get changed its target";
    throw;
  }
  return Shown(target);
}

// One put, the bytes of each of its Writes (binary, portable), its get and
// what the get shows.
struct Step {
  Calls wire[2];
  std::function<void(Out&)> put;
  std::function<std::string(In&)> get;
  std::string value;
};
template <class T, class P>  // a value, and its bytes; a bool's text is "T" or "F"
Step V(void (Out::*put)(P), void (In::*get)(T&), std::common_type_t<T> v,
       const std::string& bytes) {
  T kept = static_cast<T>(!v);  // anything but v
  if constexpr (!std::is_same_v<T, bool>) std::memset(&kept, 0xA7, sizeof kept);
  const auto into = [get](In& in, T& t) { (in.*get)(t); };
  return {{{bytes}, {std::is_same_v<T, bool> ? (v ? "54" : "46") : Hex(bytes)}},
          [=](Out& o) { (o.*put)(v); },
          [=](In& in) { return GetInto(in, kept, kept, into); },
          Shown(v)};
}
// A block (how = 0), or a string read into a VXString (1) or through a pointer (2).
Step Data(std::function<void(Out&)> put, const std::string& data, int how) {
  const std::string n = Shown(std::uint64_t{data.size()});
  const std::function<std::string(In&)> gets[] = {
      [=](In& in) {
        return GetInto(in, std::string(data.size(), '-'), std::string(data.size(), '-'),
                       [](In& i, std::string& t) { i.GetN(&t[0], t.size()); });
      },
      [](In& in) { return GetInto(in, kKept, kKept, [](In& i, vx::VXString& t) { i >> t; }); },
      [](In& in) { return GetInto(in, &kKept, &kKept, [](In& i, vx::VXString*& t) { i >> t; }); }};
  return {{how ? Calls{n, data} : Calls{data}, how ? Calls{Hex(n), Hex(data)} : Calls{Hex(data)}},
          std::move(put),
          gets[how],
          data};
}
Step Block(size_t n) {
  std::string data(n, '\0');
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<char>(i * 7 + i / 256);  // every byte value
  return Data([=](Out& o) { o.PutN(n ? data.data() : nullptr, n); }, data, 0);
}
Step Bits(const std::string& bits, const std::string& packed) {
  const std::string n = Shown(std::uint64_t{bits.size()});
  const auto into = [](In& in, vx::CBitVector& t) { in >> t; };
  return {{{n, packed}, {Hex(n), Hex(packed)}},
          [v = BitsOf(bits)](Out& o) { o << v; },
          [=](In& in) { return GetInto(in, BitsOf("111"), BitsOf("111"), into); },
          bits};
}

std::vector<Step> Steps() {  // no put allocates anything of its own
  double nan;
  const std::uint64_t nanBits = 0x7FF80000DEADBEEF;  // a payload to keep
  std::memcpy(&nan, &nanBits, 8);
  const std::string s4096 = Block(4096).value, s4097 = Block(4097).value;
  // clang-format off
  return {
      V(&Out::PutBool, &In::GetBool, true, "\x01"_b), V(&Out::PutBool, &In::GetBool, false, "\0"_b),
      V(&Out::PutChar, &In::GetChar, 'A', "A"_b), V(&Out::PutBYTE, &In::GetBYTE, 0xA5, "\xA5"_b),
      V(&Out::PutShort, &In::GetShort, -2, "\xFE\xFF"_b), V(&Out::PutWORD, &In::GetWORD, 0x1234, "\x34\x12"_b),
      V(&Out::PutInt, &In::GetInt, 1000, "\xE8\x03\0\0"_b),
      V(&Out::PutUint, &In::GetUint, 3000000000u, "\x00\x5E\xD0\xB2"_b),
      V(&Out::PutLong, &In::GetLong, -100, "\x9C\xFF\xFF\xFF"_b),  // sign-extended back
      V(&Out::PutDWORD, &In::GetDWORD, 0x87654321UL, "\x21\x43\x65\x87"_b),  // zero-extended back
      V(&Out::PutDouble, &In::GetDouble, -2.5, "\0\0\0\0\0\0\x04\xC0"_b),
      V(&Out::PutDouble, &In::GetDouble, nan, "\xEF\xBE\xAD\xDE\0\0\xF8\x7F"_b),
      V(&Out::PutInt64, &In::GetInt64, -2, "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"_b),
      V(&Out::PutUint64, &In::GetUint64, 0x0102030405060708, "\x08\x07\x06\x05\x04\x03\x02\x01"_b),
      V(&Out::PutSizet, &In::GetSizet, 300, "\x2C\x01\0\0\0\0\0\0"_b),
      Block(0), Block(55), Block(2048), Block(2049), Block(4097),  // a scratch limit each side
      Data([t = vx::VXString("a\0b", 3)](Out& o) { o << t; }, "a\0b"_b, 1),
      Data([](Out& o) { o << "abc"; }, "abc", 2), Data([t = vx::VXString()](Out& o) { o << t; }, "", 2),
      Data([](Out& o) { vx::PutLPCSTR(o, "abcdef", 2); }, "ab", 1),
      Data([t = vx::VXString(std::string_view(s4096))](Out& o) { o << t; }, s4096, 1),
      Data([t = vx::VXString(std::string_view(s4097))](Out& o) { o << t; }, s4097, 2),
      Bits("1010000001", "\x05\x02"), Bits("", "")};
  // clang-format on
}

std::shared_ptr<Out> OutFor(int f, tvc::ITVCBinaryWriter* w) {
  return f ? std::shared_ptr<Out>(new vx::CPortableOutputStream(w))
           : std::make_shared<vx::CBinaryOutputStream>(w);
}
std::shared_ptr<In> InFor(int f, tvc::ITVCBinaryReader* r) {  // deleted as the concrete stream
  return f ? std::shared_ptr<In>(new vx::CPortableInputStream(r))
           : std::make_shared<vx::CBinaryInputStream>(r);
}
// Runs `test` on every step in both formats (0 binary, 1 portable).
void ForEachStep(
    const std::function<void(int, const Step&, const Calls&, const std::string&)>& test) {
  for (const Step& s : Steps()) {
    for (int f : {0, 1}) {
      SCOPED_TRACE((f ? "portable " : "binary ") + Hex(Join(s.wire[0])).substr(0, 40));
      test(f, s, s.wire[f], Join(s.wire[f]));
    }
  }
}

// A put is its Writes as in the table, Tell() counts its value bytes, and its
// get reads it back with one Read per Write. When the channel runs short
// (k = 0) or its k-th Read fails, a character is no upper-case hexadecimal
// digit, or an allocation fails, the failure passes and the target keeps its
// value; a failed Read consumes nothing, so the get then reads on.
TEST(Streams, EveryGetReadsBackItsPutOrFailsLeavingItsTarget) {
  ForEachStep([](int f, const Step& s, const Calls& wire, const std::string& text) {
    Channel ch;
    const auto out = OutFor(f, &ch);
    s.put(*out);
    EXPECT_EQ(ch.calls, wire);
    EXPECT_EQ(out->Tell(), text.size() / (1 + f));
    EXPECT_EQ(s.get(*InFor(f, &ch)), s.value);
    EXPECT_EQ(ch.count, 2 * wire.size()) << "one Read per Write";
    for (size_t k = text.empty(); k <= wire.size(); ++k) {
      Channel src(text.substr(0, text.size() - !k), k);
      const auto in = InFor(f, &src);
      EXPECT_EQ(WhatOf([&] { s.get(*in); }), k ? "channel fault" : kUnderrun);
      EXPECT_TRUE(k == 0 || src.pos == Join(wire, k - 1).size()) << "read past the failed Read";
      if (src.pos > 0) continue;
      src.text = text;
      EXPECT_EQ(s.get(*in), s.value);
    }
    for (size_t at = 0; f == 1 && at<text.size(); at += text.size()> 200 ? 4093 : 1) {
      Channel bad(text);
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(s.get(*InFor(1, &bad)), vx::CStreamFormatException) << at;
    }
    if (vxtest::AllocationFailureInjectable())
      vxtest::ForEachAllocationFailure([&, in = InFor(f, &ch)] { ch.pos = 0, s.get(*in); });
  });
}

// Every put over a channel whose k-th Write fails, and over a full memory
// writer and a full IPC queue whose k-th allocation fails, for every k: the
// failure passes, the channel keeps the put's earlier Writes whole, the count
// includes the failed Write only where the stream counts before writing, and
// the next try completes the put.
TEST(Streams, FailedPutKeepsWholeWritesAndCountsByItsRule) {
  ForEachStep([](int f, const Step& s, const Calls& wire, const std::string& text) {
    Channel faulty;
    vx::CMemWriter mem("seed", 4);
    vx::PXIpcStreamBuf queue;
    for (queue.Write("seed", 4); queue.out_waiting() < queue.GetCapacity();) queue.Write("f", 1);
    tvc::ITVCBinaryWriter* const writers[] = {&faulty, &mem, &queue};
    const std::function<std::string()> bytes[] = {
        [&] { return faulty.text; },
        [&] { return std::string(reinterpret_cast<const char*>(mem.GetData()), mem.GetSize()); },
        [&] { return std::string(queue.str(), queue.out_waiting()); }};
    for (int c = 0; c < (vxtest::AllocationFailureInjectable() ? 3 : 1); ++c) {
      const auto out = OutFor(f, writers[c]);
      const std::string seed = bytes[c]();
      size_t at = seed.size(), told = 0;  // where the put starts
      const auto check = [&] {
        const std::string now = bytes[c]();
        size_t j = 0;
        while (j + 1 < wire.size() && at + Join(wire, j).size() < now.size()) ++j;
        EXPECT_EQ(now.substr(0, seed.size()) + now.substr(at), seed + Join(wire, j));
        EXPECT_EQ(out->Tell() - told, (Join(wire, j).size() + (f ? wire[j].size() : 0)) / (1 + f));
        at = now.size(), told = out->Tell();
      };
      for (size_t k = 1; c == 0 && k <= wire.size(); ++k) {
        faulty.failOn = faulty.count + k;
        EXPECT_THROW(s.put(*out), ChannelFault);
        check();
      }
      if (c > 0) vxtest::ForEachAllocationFailure([&] { s.put(*out); }, check);
      if (c == 0) s.put(*out);
      EXPECT_EQ(bytes[c]().substr(at), text);
      EXPECT_EQ(out->Tell() - told, text.size() / (1 + f));
    }
  });
}

// Lengths and blocks that no array can hold are refused before they are read
// or written; the portable output counts a block that it fails to allocate.
TEST(Streams, ImpossibleSizesAreRefused) {
  for (int f : {0, 1}) {
    const std::string huge = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"_b, big = "\0\0\0\0\0\0\0\x40"_b;
    Channel ch(f ? Hex(huge + big + big + huge) : huge + big + big + huge);
    const auto in = InFor(f, &ch);
    vx::VXString s(kKept);
    vx::CBitVector v(3, true);
    for (int i = 0; i < 4; ++i) EXPECT_THROW(i % 2 ? *in >> v : *in >> s, std::bad_alloc);
    EXPECT_TRUE(s == kKept && v == vx::CBitVector(3, true));
    EXPECT_THROW(in->GetN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
    EXPECT_EQ(ch.count, 4u);
  }
  Channel ch;
  vx::CPortableOutputStream out(&ch);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(out.Tell(), 0u);
  EXPECT_THROW(out.PutN(&ch, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_TRUE(out.Tell() == SIZE_MAX / 2 && ch.calls.empty());
}

// A binary bool is 00 or 01 and nothing else; a portable bool is true for "T"
// alone. A malformed value's characters are consumed and the stream reads on.
TEST(Streams, BoolsAndMalformedValues) {
  Channel bytes("\x02\x01"), text("46017454E803g000E8030000");
  vx::CBinaryInputStream binary(bytes);
  vx::CPortableInputStream portable(&text);
  bool got[5] = {false, true, true, true, false};
  EXPECT_EQ(WhatOf([&] { binary.GetBool(got[0]); }),
            "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)");
  binary.GetBool(got[0]);
  for (int i = 1; i < 5; ++i) portable.GetBool(got[i]);
  EXPECT_TRUE(got[0] && !got[1] && !got[2] && !got[3] && got[4]);
  int value = 42;
  EXPECT_EQ(WhatOf([&] { portable.GetInt(value); }),
            "CPortableInputStream: 'g' (0x67) at character 5 of 8 is not an upper-case hexadecimal "
            "digit");
  portable.GetInt(value);
  EXPECT_EQ(value, 1000);
}

TEST(CBitVector, BitsResizeCopiesAndFailures) {
  vx::CBitVector v(10), copy;
  v.Set(0), v.Set(2), v.Set(9), v.Set(8), v.Reset(8), v.Set(4, false);
  EXPECT_TRUE(v == BitsOf("1010000001") && v.Count() == 3 &&
              vx::CBitVector(13, true).Count() == 13);
  EXPECT_TRUE(BitsOf("1010") != BitsOf("10100") && vx::CBitVector() == vx::CBitVector(0, true));
  v.Resize(12, true);
  EXPECT_EQ(Shown(v), "101000000111");
  v.Resize(3);
  EXPECT_EQ(v, BitsOf("101")) << "bits cut off leave no trace";
  copy = v, copy.Set(1);
  EXPECT_EQ(Shown(v) + Shown(copy), "101111");
  Channel ch("03000000000000000F");
  vx::CPortableInputStream in(&ch);
  EXPECT_EQ(WhatOf([&] { v.ReadFrom(in); }),
            "CBitVector: unused high bits set in the last byte (0x0F) of a 3-bit vector");
  if (!vxtest::AllocationFailureInjectable()) return;
  EXPECT_EQ(vxtest::ForEachAllocationFailure([] { vx::CBitVector(1000, true); }), 1);
  EXPECT_EQ(vxtest::ForEachAllocationFailure([&] { vx::CBitVector{copy}; }), 1);
  vxtest::ForEachAllocationFailure([&] { v = copy; }, [&] { EXPECT_EQ(Shown(v), "101"); });
  vxtest::ForEachAllocationFailure([&] { v.Resize(20, true); },
                                   [&] { EXPECT_EQ(Shown(v), "111"); });
  EXPECT_EQ(v, vx::CBitVector(20, true));
}
