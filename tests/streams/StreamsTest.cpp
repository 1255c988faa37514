// The streams against one record worked out by hand (every fixed-width type, strings, one with a
// NUL, bit vectors, blocks), put by both output streams and read back by both input streams, with
// the channel failing at each call, cut short or malformed at each place and each allocation
// failing; the inputs the streams refuse, each with its message; the length limit; the portable
// blocks against a byte loop; the bit vector against a model. Round trips of random values are
// the fuzz target round_trip's (fuzz/RoundTripFuzzer.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "support/AllocationFailure.h"
#include "support/Cases.h"
#include "vexlo/vexlo.h"

using namespace vx;
using Out = tvc::ITVCOutStream;
using In = tvc::ITVCInStream;
using std::string;

namespace {

// Writes append to `text`, reads consume it from `pos`, and each call notes the blocks live then.
// The `failOn`-th call throws std::range_error, which no stream throws of its own; a read past
// the end scribbles on the buffer, then throws the underrun. Neither consumes.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {
    text.reserve(1 << 16);  // so that no Write allocates
    live.reserve(1 << 8);
  }
  void Write(const void* p, size_t n) override {
    Call();
    text.append(static_cast<const char*>(p), n);
  }
  void Read(void* p, size_t n) override {
    Call();
    if (n > text.size() - pos) {
      std::memset(p, 0xEE, n);
      throw tvc::TVCBufferUnderrunException();
    }
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  void Call() {
    live.push_back(vxtest::LiveAllocations());
    if (++count == failOn) throw std::range_error("channel fault");
  }
  string text;
  size_t failOn, count = 0, pos = 0;
  std::vector<long> live;
};

string operator""_s(const char* s, size_t n) { return string(s, n); }
string Hex(const string& s) {
  return vxtest::Hex(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}
string Unhex(const string& hex) {
  string s;
  for (size_t i = 0; i < hex.size(); i += 2)
    s += static_cast<char>(std::stoi(hex.substr(i, 2), 0, 16));
  return s;
}
template <class F>
string Outcome(F f) try {  // what f returns, or the what() of what it throws
  return f();
} catch (const std::exception& e) {
  return e.what();
}
template <class W>  // a writer or a device
std::shared_ptr<Out> OutFor(int f, W&& w) {
  if (f) return std::make_shared<CPortableOutputStream>(w);
  return std::make_shared<CBinaryOutputStream>(w);
}
template <class R>  // a reader or a device
std::shared_ptr<In> InFor(int f, R&& r) {
  if (f) return std::make_shared<CPortableInputStream>(r);
  return std::make_shared<CBinaryInputStream>(r);
}

// What a get's target shows: a value's bytes, a text, a bit vector's bits.
template <class T>
string Shown(const T& v) {
  return {reinterpret_cast<const char*>(&v), sizeof v};
}
string Shown(const string& s) { return s; }
string Shown(const VXString& s) { return string(s.view()); }
VXString kKept("kept");
string Shown(VXString* s) {  // deletes the string that `in >> s` made
  const std::unique_ptr<VXString> made(s != &kKept ? s : nullptr);
  return Shown(*s);
}
string Shown(const CBitVector& v) {
  string bits;
  for (size_t i = 0; i < v.Size(); ++i) bits += v.Test(i) ? '1' : '0';
  return bits;
}

// A get into a target holding `kept`: it shows `want`, or it fails and leaves `kept`.
using Get = std::function<void(In&)>;
template <class T, class F>
Get Reads(T kept, string want, F get) {
  return [=](In& in) {
    T target = kept;
    try {
      get(in, target);
    } catch (...) {
      EXPECT_EQ(Shown(target), Shown(kept)) << "a failed get changed its target";
      throw;
    }
    EXPECT_EQ(Shown(target), want);
  };
}
template <class T>
Get Reads(void (In::*get)(T&), std::common_type_t<T> want) {
  T kept = !want;
  if constexpr (!std::is_same_v<T, bool>) std::memset(&kept, 0xA7, sizeof kept);
  return Reads(kept, Shown(want), [get](In& in, T& t) { (in.*get)(t); });
}
const auto kString = [](In& in, VXString& t) { in >> t; };
const auto kPointer = [](In& in, VXString*& t) { in >> t; };
const auto kBits = [](In& in, CBitVector& t) { in >> t; };
const auto kBlock = [](In& in, string& t) { in.GetN(&t[0], t.size()); };

string Sample(size_t n) {  // every byte value, in no simple order
  string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
  return s;
}
const string k2048 = Sample(2048), k2049 = Sample(2049), k4096 = Sample(4096), k4097 = Sample(4097);
const VXString kNul("a\0b", 3), kText4096(k4096), kText4097(k4097);
const CBitVector kTen = [] {
  CBitVector v(10);
  for (size_t i : {0, 2, 9}) v.Set(i);
  return v;
}();
const std::int64_t kWideLong = 0x2FFFFFF9C;  // cut to its low 32 bits: -100
const std::uint64_t kWideDWORD = 0x187654321;

// One row per value: its bytes in the binary layout as hexadecimal digits, '|' between Writes,
// which are also its portable text but for a bool; the put; the get that reads it back.
struct Row {
  string hex;
  std::function<void(Out&)> put;
  Get get;
  const char* text = nullptr;
};
const Row kRecord[] = {
    // clang-format off
    {"01", [](Out& o) { o.PutBool(true); }, Reads(&In::GetBool, true), "54"},
    {"00", [](Out& o) { o.PutBool(false); }, Reads(&In::GetBool, false), "46"},
    {"41", [](Out& o) { o.PutChar('A'); }, Reads(&In::GetChar, 'A')},
    {"A5", [](Out& o) { o.PutBYTE(0xA5); }, Reads(&In::GetBYTE, 0xA5)},
    {"FEFF", [](Out& o) { o.PutShort(-2); }, Reads(&In::GetShort, -2)},
    {"3412", [](Out& o) { o.PutWORD(0x1234); }, Reads(&In::GetWORD, 0x1234)},
    {"18FCFFFF", [](Out& o) { o.PutInt(-1000); }, Reads(&In::GetInt, -1000)},
    {"005ED0B2", [](Out& o) { o.PutUint(3000000000u); }, Reads(&In::GetUint, 3000000000u)},
    {"9CFFFFFF", [](Out& o) { o.PutLong(static_cast<long>(kWideLong)); }, Reads(&In::GetLong, -100)},
    {"21436587", [](Out& o) { o.PutDWORD(static_cast<unsigned long>(kWideDWORD)); },
     Reads(&In::GetDWORD, 0x87654321)},
    {"9A9999999999B93F", [](Out& o) { o.PutDouble(0.1); }, Reads(&In::GetDouble, 0.1)},
    {"F8F8F9FAFBFCFDFE", [](Out& o) { o.PutInt64(-0x0102030405060708); },
     Reads(&In::GetInt64, -0x0102030405060708)},
    {"0807060504030201", [](Out& o) { o.PutUint64(0x0102030405060708); },
     Reads(&In::GetUint64, 0x0102030405060708)},
    {"2C01000000000000", [](Out& o) { o.PutSizet(300); }, Reads(&In::GetSizet, 300)},
    {"0300000000000000|610062", [](Out& o) { o << kNul; }, Reads(kKept, "a\0b"_s, kString)},
    {"0300000000000000|616263", [](Out& o) { o << "abc"; }, Reads(&kKept, "abc", kPointer)},
    {"0200000000000000|6162", [](Out& o) { PutLPCSTR(o, "abcdef", 2); }, Reads(kKept, "ab", kString)},
    {"0200000000000000|7879", [](Out& o) { PutLPCSTR(o, "xy", 5); }, Reads(&kKept, "xy", kPointer)},
    {"0A00000000000000|0502", [](Out& o) { o << kTen; }, Reads(CBitVector(3, 1), "1010000001", kBits)},
    {"0000000000000000|", [](Out& o) { o << CBitVector(); }, Reads(CBitVector(3, 1), "", kBits)},
    {"0010000000000000|" + Hex(k4096), [](Out& o) { o << kText4096; }, Reads(kKept, k4096, kString)},
    {"0110000000000000|" + Hex(k4097), [](Out& o) { o << kText4097; }, Reads(&kKept, k4097, kPointer)},
    {Hex(k2048), [](Out& o) { o.PutN(k2048.data(), 2048); }, Reads(string(2048, '-'), k2048, kBlock)},
    {Hex(k2049), [](Out& o) { o.PutN(k2049.data(), 2049); }, Reads(string(2049, '-'), k2049, kBlock)},
    // clang-format on
};
void PutAll(Out& out) {
  for (const Row& row : kRecord) row.put(out);
}
void GetAll(const std::shared_ptr<In>& in) {
  for (const Row& row : kRecord) row.get(*in);
}
std::vector<string> Writes(int f) {  // the record's Writes in format f
  std::vector<string> writes;
  for (const Row& row : kRecord) {
    const string hex = f && row.text ? row.text : row.hex;
    for (size_t at = 0, bar = 0; at <= hex.size(); at = bar + 1) {
      bar = std::min(hex.find('|', at), hex.size());
      writes.push_back(f ? hex.substr(at, bar - at) : Unhex(hex.substr(at, bar - at)));
    }
  }
  return writes;
}

}  // namespace

// The record in both formats: each put is its Writes and allocates nothing but the scratch area
// of a portable block above 2048 bytes, Tell() counts value bytes, and the gets read each value
// back, one Read per Write. When the k-th Write fails, for every k, the fault passes, the earlier
// Writes are whole, the count includes the failed value where the stream counts before writing
// (the portable one), and the stream writes on. When the k-th Read fails, the input ends at a
// place, or a character at a place is no digit, the gets stop at one whose target keeps its
// value, with the values before it consumed (and the malformed one). Over a memory device and an
// IPC queue, which must grow, each allocation fails in turn.
TEST(Streams, RecordInBothFormatsAtEveryFault) {
  for (int f : {0, 1}) {
    SCOPED_TRACE(f ? "portable format" : "binary format");
    const std::vector<string> w = Writes(f);
    const string all = std::accumulate(w.begin(), w.end(), string());
    std::vector<size_t> ends = {0};  // ends[k]: the length of the first k Writes
    for (const string& write : w) ends.push_back(ends.back() + write.size());
    Channel ch;
    const auto out = OutFor(f, &ch);
    const long base = vxtest::LiveAllocations();
    PutAll(*out);
    EXPECT_EQ(ch.text, all);
    EXPECT_EQ(out->Tell(), all.size() / (1 + f));
    EXPECT_FALSE(out->IsMeasure());
    for (size_t i = 0; vxtest::AllocationFailureInjectable() && i < w.size(); ++i)
      EXPECT_EQ(ch.live[i] > base, f && w[i].size() > 4096) << "blocks live at Write " << i;
    GetAll(InFor(f, &ch));
    EXPECT_EQ(ch.pos, all.size());
    EXPECT_EQ(ch.count, 2 * w.size()) << "one Read per Write";
    for (size_t k = 1; k <= w.size(); ++k) {
      SCOPED_TRACE("the call that fails: " + std::to_string(k));
      Channel writer({}, k), reader(all, k);
      const auto failing = OutFor(f, &writer);
      EXPECT_THROW(PutAll(*failing), std::range_error);
      EXPECT_EQ(failing->Tell(), (ends[k - 1] + (f ? w[k - 1].size() : 0)) / (1 + f));
      failing->PutBYTE(7);
      EXPECT_EQ(writer.text, all.substr(0, ends[k - 1]) + (f ? "07" : "\x07"));
      EXPECT_THROW(GetAll(InFor(f, &reader)), std::range_error);
      EXPECT_EQ(reader.pos, ends[k - 1]);
    }
    std::set<size_t> places;  // every place in the first 400 bytes, each Write's ends, and more
    for (size_t at = 0; at < all.size(); at += at < 400 ? 1 : 97) places.insert(at);
    for (size_t end : ends) places.insert({end - 1, end, end + 1});
    for (size_t at : places) {
      if (at >= all.size()) break;
      const auto end = std::upper_bound(ends.begin(), ends.end(), at);  // of the Write holding at
      Channel cut(all.substr(0, at)), bad(all);
      EXPECT_THROW(GetAll(InFor(f, &cut)), tvc::TVCBufferUnderrunException) << at;
      EXPECT_EQ(cut.pos, end[-1]) << at;
      if (f == 0) continue;
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(GetAll(InFor(f, &bad)), CStreamFormatException) << at;
      EXPECT_EQ(bad.pos, *end) << at;
    }
    vxtest::ForEachAllocationFailure([f] {
      CMemStreamBuf memory(0);
      PXIpcStreamBuf queue;
      PutAll(*OutFor(f, memory));
      PutAll(*OutFor(f, &queue));
      CMemStreamBuf back(memory.str(), memory.out_waiting());
      GetAll(InFor(f, back));
      GetAll(InFor(f, &queue));
    });
  }
}

// Each input refused gives exactly its message: the edges of the characters that print, the
// rounding of a bit count to bytes, the longest count, padding bits, blocks that no array can
// hold; the exception's own text is cut at MaxMessageLength (191) characters. A row that reads
// gives what it read. The portable output counts a block it refuses, as every value it fails to
// put, and writes nothing.
TEST(Streams, RefusedInputGivesItsMessage) {
  using Read = string (*)(In&);
  const Read byte = [](In& in) {
    unsigned char v = 0;
    return in.GetBYTE(v), Shown(v);
  };
  const Read boolean = [](In& in) {
    bool v = false;
    return in.GetBool(v), string(1, '0' + v);
  };
  const Read text = [](In& in) {
    VXString v;
    return in >> v, Shown(v);
  };
  const Read bits = [](In& in) {
    CBitVector v;
    return in >> v, Shown(v);
  };
  const Read huge = [](In& in) { return in.GetN(&in, SIZE_MAX / 2 + 1), string(); };
  const auto digit = [](const string& c, const char* at) {
    return "CPortableInputStream: " + c + " at character " + at +
           " is not an upper-case hexadecimal digit";
  };
  const string x191(191, 'x'), over = " bytes is over the stream's length limit of 1048576 bytes";
  const struct {
    int f;
    string input;
    Read read;
    string outcome;
  } rows[] = {
      {0, "\x02", boolean, "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)"},
      {1, "01", boolean, "0"},  // a portable bool is true for "T" alone
      {1, "74", boolean, "0"},
      {1, "E803g000",
       [](In& in) {
         int v;
         return in.GetInt(v), Shown(v);
       },
       digit("'g' (0x67)", "5 of 8")},
      {1, "0 ", byte, digit("' ' (0x20)", "2 of 2")},
      {1, "~0", byte, digit("'~' (0x7E)", "1 of 2")},
      {1,
       "\x1F"
       "0",
       byte, digit("byte 0x1F", "1 of 2")},
      {1, "0\x7F", byte, digit("byte 0x7F", "2 of 2")},
      {1,
       "0300000000000000"
       "07",
       bits, "111"},
      {1,
       "0300000000000000"
       "08",
       bits, "CBitVector: unused high bits set in the last byte (0x08) of a 3-bit vector"},
      {0, "\0\0\0\0\x02\0\0\0"_s, text, "VXString: a length of 8589934592" + over},
      {1, "0100800000000000", bits, "CBitVector of 8388609 bits: a length of 1048577" + over},
      {1, "FFFFFFFFFFFFFFFF", bits,
       "CBitVector of 18446744073709551615 bits: a length of 2305843009213693952" + over},
      {0, "", huge, "std::bad_array_new_length"},
      {1, "", huge, "std::bad_array_new_length"},
      {0, "", [](In&) -> string { throw CStreamFormatException(); }, "malformed stream data"},
      {0, "", [](In&) -> string { throw CStreamFormatException(nullptr); },
       "malformed stream data"},
      {0, "", [](In&) -> string { throw CStreamFormatException(string(190, 'x').c_str()); },
       string(190, 'x')},
      {0, "", [](In&) -> string { throw CStreamFormatException(string(191, 'x').c_str()); }, x191},
      {0, "", [](In&) -> string { throw CStreamFormatException(string(192, 'x').c_str()); }, x191},
  };
  for (const auto& row : rows) {
    Channel c(row.input);
    CBinaryInputStream binary(&c);
    CPortableInputStream portable(&c);
    binary.SetLengthLimit(1 << 20);
    portable.SetLengthLimit(1 << 20);
    EXPECT_EQ(Outcome([&] { return row.read(row.f ? static_cast<In&>(portable) : binary); }),
              row.outcome)
        << Hex(row.input);
  }
  Channel c;
  CPortableOutputStream out(&c);
  EXPECT_EQ(Outcome([&] { return out.PutN(&c, SIZE_MAX / 2 + 1), string(); }),
            "std::bad_array_new_length");
  EXPECT_EQ(out.Tell(), SIZE_MAX / 2 + 1);
  EXPECT_EQ(c.count, 0u);
}

// A string, a string through a pointer and a bit vector (its bits rounded up to bytes) that
// announce more bytes than the limit are refused before anything is allocated, the target
// keeping its value; GetN then reads those bytes, for it has no limit. At and under the limit,
// and with none set, they read. Copies of a limited stream, of classes derived from the streams,
// hold the limit. A stream starts with none, the largest size_t.
TEST(LengthLimit, RefusesLongerStringsAndBitVectorsBeforeAllocating) {
  struct Binary : CBinaryInputStream {
    explicit Binary(const CBinaryInputStream& s) : CBinaryInputStream(s) {}
  };
  struct Portable : CPortableInputStream {
    explicit Portable(const CPortableInputStream& s) : CPortableInputStream(s) {}
  };
  const size_t n = 5000;  // bytes, above the 4096 that a read keeps on the stack
  const string bytes(n, '\x01');
  string bits;
  for (size_t i = 0; i < 8 * n; ++i) bits += i % 8 ? '0' : '1';
  const struct {
    std::uint64_t count;
    const char* who;
    Get read;
  } targets[] = {{n, "VXString", Reads(kKept, bytes, kString)},
                 {n, "VXString", Reads(&kKept, bytes, kPointer)},
                 {8 * n, "CBitVector of 40000 bits", Reads(CBitVector(), bits, kBits)},
                 {8 * n - 7, "CBitVector of 39993 bits",
                  Reads(CBitVector(), bits.substr(0, 8 * n - 7), kBits)}};
  for (int kind = 0; kind < 4; ++kind) {  // binary, portable, each through a derived class
    for (const auto& t : targets) {
      for (size_t limit : {n - 1, n, n + 1, SIZE_MAX}) {
        Channel c;
        const auto out = OutFor(kind % 2, &c);
        out->PutUint64(t.count);
        out->PutN(bytes.data(), n);
        CBinaryInputStream binary(&c);
        CPortableInputStream portable(&c);
        if (limit != SIZE_MAX) binary.SetLengthLimit(limit), portable.SetLengthLimit(limit);
        Binary derivedBinary(binary);
        Portable derivedPortable(portable);
        In* const streams[] = {&binary, &portable, &derivedBinary, &derivedPortable};
        const string what = Outcome([&] {
          const vxtest::ScopedAllocationFailure none(limit < n);
          return t.read(*streams[kind]), string();
        });
        SCOPED_TRACE(std::to_string(kind) + ", " + t.who + ", limit " + std::to_string(limit));
        EXPECT_EQ(what, limit < n ? string(t.who) +
                                        ": a length of 5000 bytes is over the "
                                        "stream's length limit of 4999 bytes"
                                  : "");
        if (limit >= n) continue;
        string block(n, '\0');
        streams[kind]->GetN(&block[0], n);
        EXPECT_EQ(block, bytes);
      }
    }
  }
  Channel c;
  EXPECT_EQ(CBinaryInputStream(&c).GetLengthLimit(), SIZE_MAX);
  EXPECT_EQ(CPortableInputStream(&c).GetLengthLimit(), SIZE_MAX);
}

// PutN and GetN of the portable streams against a byte loop, at every length on each side of the
// vector blocks (16 and 32 bytes; 32 and 64 characters checked for digits at once) and of the 4-
// and 8-byte values, read eight characters at a time; the block lies one byte past an aligned
// address. Every byte value is put, and read back with a character planted at each place: every
// byte value at every place up to 8 bytes. A digit reads as such; any other character is refused
// by its place, the destination untouched. Stops at the first failing case, which it names.
TEST(HexBlocks, PutAndGetMatchTheByteLoopWithEveryCharacterAtEveryPlace) {
  for (size_t n = 0; n <= 100; ++n) {
    for (int seed = 0; seed < (n <= 8 ? 256 : 1); ++seed) {
      string bytes(n + 1, '\0');
      for (size_t i = 1; i <= n; ++i) bytes[i] = static_cast<char>(seed + i * 73 + i / 7);
      Channel out;
      CPortableOutputStream(&out).PutN(&bytes[1], n);
      if (out.text != Hex(bytes.substr(1))) return ADD_FAILURE() << "PutN: " << n << ", " << seed;
      for (size_t at = 0; at <= 2 * n; ++at) {  // at 2n, no character is planted
        Channel in(out.text);
        if (at < 2 * n) in.text[at] = static_cast<char>(seed + 7 * at + n);
        const bool digit =
            at == 2 * n || string("0123456789ABCDEF").find(in.text[at]) != string::npos;
        string dest(n + 2, 'Z');
        const string got =
            Outcome([&] { return CPortableInputStream(&in).GetN(&dest[1], n), Hex(dest); });
        const string place =
            " at character " + std::to_string(at + 1) + " of " + std::to_string(2 * n) + " ";
        if (digit ? got != "5A" + in.text + "5A"
                  : got.find(place) == string::npos || dest != string(n + 2, 'Z'))
          return ADD_FAILURE() << "GetN: " << n << ", " << seed << ", at " << at << ": " << got;
      }
    }
  }
}

unsigned char* volatile g_stale;  // the blocks escape, so that the compiler keeps them

// Against a model string of bits, at sizes on each side of byte edges: made filled, bits set and
// cleared, resized with the other value, written (the count, then the bits packed, least
// significant first, the unused high bits 0), read back, copied, moved and compared. Before each
// block is taken, a block is filled with 0xFF and freed, so that a bit left as the storage held
// it shows. Copying and resizing, each allocation failing in turn, leave the vector as it was.
TEST(CBitVector, FollowsAModelAndKeepsItsPaddingClear) {
  const auto stale = [] { std::memset(g_stale = new unsigned char[8], 0xFF, 8), delete[] g_stale; };
  const size_t sizes[] = {0, 1, 7, 8, 9, 15, 16, 17, 24, 25};
  for (size_t n : sizes) {
    for (size_t m : sizes) {
      for (bool fill : {false, true}) {
        SCOPED_TRACE(std::to_string(n) + " bits to " + std::to_string(m) +
                     (fill ? ", filled" : ""));
        stale();
        CBitVector v(n, fill);
        string model(n, "01"[fill]);
        for (size_t i = 1; i < n; i += 3) v.Set(i, !fill), model[i] = "01"[!fill];
        if (n > 0) v.Reset(0), model[0] = '0';
        stale();
        v.Resize(m, !fill);
        model.resize(m, "01"[!fill]);
        string packed((m + 7) / 8, '\0');
        for (size_t i = 0; i < m; ++i)
          packed[i / 8] |= static_cast<char>((model[i] - '0') << i % 8);
        Channel c;
        CBinaryOutputStream out(&c);
        CBinaryInputStream in(&c);
        CBitVector back(3, true), copy(v), longer(v), other(v);
        out << v;
        in >> back;
        EXPECT_EQ(Shown(v), model);
        EXPECT_EQ(v.Count(), static_cast<size_t>(std::count(model.begin(), model.end(), '1')));
        EXPECT_EQ(c.text, string(1, static_cast<char>(m)) + string(7, '\0') + packed);
        CBitVector moved(std::move(copy));
        EXPECT_TRUE(back == v && moved == v && copy.Empty());
        copy = std::move(moved);
        EXPECT_TRUE(copy == v && moved.Size() == 0);
        longer.Resize(m + 1);
        if (m > 0) other.Set(m - 1, !other.Test(m - 1));
        EXPECT_TRUE(longer != v && (m == 0 || other != v));
        CBitVector target(9, true);
        vxtest::ForEachAllocationFailure([&] { target = v; },
                                         [&] { EXPECT_EQ(Shown(target), "111111111"); });
        vxtest::ForEachAllocationFailure([&] { v.Resize(m + 9, fill); },
                                         [&] { EXPECT_EQ(Shown(v), model); });
      }
    }
  }
}
