// The streams against one record worked out by hand, put by both output streams and read back by
// both input streams, also with the channel failing at each call, cut short or malformed at each
// place and each allocation failing; one table of inputs, each with the message it gives (refused
// characters, padding bits, lengths over the limit) or the value it reads, and of the portable
// blocks at every length, with every character at every place; the bit vector against a model.
// Round trips of random values, and the length limit at random lengths, are the fuzz target
// round_trip's (fuzz/RoundTripFuzzer.cpp), arbitrary input the fuzz target stream_input's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/AllocationFailure.h"
#include "support/Cases.h"
#include "vexlo/vexlo.h"

using namespace vx;
using vxtest::Hex;
using Out = tvc::ITVCOutStream;
using In = tvc::ITVCInStream;
using std::string;
using namespace std::literals;

namespace {

// Writes append to `text`, reads consume it from `pos`, and each call notes the blocks live then.
// The `failOn`-th call throws std::range_error, which no stream throws of its own; a read past
// the end scribbles on the buffer, then throws the underrun. Neither consumes.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {}
  void Write(const void* p, size_t n) override {
    Call(), text.append(static_cast<const char*>(p), n);
  }
  void Read(void* p, size_t n) override {
    if (Call(), n > text.size() - pos)
      throw(std::memset(p, 0xEE, n), tvc::TVCBufferUnderrunException());
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  void Call() {
    live[count % 64] = vxtest::LiveAllocations();
    if (++count == failOn) throw std::range_error("channel fault");
  }
  string text;
  size_t failOn, count = 0, pos = 0;
  long live[64] = {};
};

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
template <class C>  // a channel or a device
std::shared_ptr<Out> OutFor(int f, C&& c) {
  if (f) return std::make_shared<CPortableOutputStream>(c);
  return std::make_shared<CBinaryOutputStream>(c);
}
template <class C>
std::shared_ptr<In> InFor(int f, C&& c) {
  if (f) return std::make_shared<CPortableInputStream>(c);
  return std::make_shared<CBinaryInputStream>(c);
}

// A get into a target holding `kept`: it reads `want`, or it fails and leaves `kept`. A string
// that `in >> pointer` made is compared, then deleted.
VXString kKept("kept");
template <class T, class W>
bool Same(const T& got, const W& want) {
  return got == want;
}
bool Same(VXString* got, const VXString& want) {
  const std::unique_ptr<VXString> made(got != &kKept ? got : nullptr);
  return *got == want;
}
using Get = std::function<void(In&)>;
template <class T, class W, class F>
Get Reads(T kept, W want, F get) {
  return [=](In& in) {
    T target = kept;
    try {
      get(in, target);
    } catch (...) {
      EXPECT_TRUE(target == kept) << "a failed get changed its target";
      throw;
    }
    EXPECT_TRUE(Same(target, want)) << "a get read another value";
  };
}
template <class T>
Get Reads(void (In::*get)(T&), std::common_type_t<T> want) {
  T kept = !want;
  if constexpr (!std::is_same_v<T, bool>) std::memset(&kept, 0xA7, sizeof kept);
  return Reads(kept, want, [get](In& in, T& t) { (in.*get)(t); });
}
const auto kString = [](In& in, VXString& t) { in >> t; };
const auto kPointer = [](In& in, VXString*& t) { in >> t; };
const auto kBits = [](In& in, CBitVector& t) { in >> t; };
const auto kBlock = [](In& in, string& t) { in.GetN(&t[1], t.size() - 2); };  // within its ends

const string kBig = [] {  // every byte value, in no simple order
  string s(4097, '\0');
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 7 + i / 256);
  return s;
}();
const VXString kNul("a\0b", 3), kBigText(kBig);
const CBitVector kTen = [] {
  CBitVector v(10);
  for (size_t i : {0, 2, 9}) v.Set(i);
  return v;
}();
const long kLong = static_cast<long>(0x2FFFFFF9Cll);  // its low 32 bits: -100
const unsigned long kDWORD = static_cast<unsigned long>(0x187654321ull);
const std::int64_t k8 = 0x0102030405060708;

// One row per value: its Writes in the binary layout, as hexadecimal digits, which are also its
// portable text but for a bool's; the put; the get that reads it back.
struct Row {
  std::vector<string> hex;
  std::function<void(Out&)> put;
  Get get;
  const char* text = nullptr;
};
// clang-format off
const Row kRecord[] = {
    {{"01"}, [](Out& o) { o.PutBool(true); }, Reads(&In::GetBool, true), "54"},
    {{"00"}, [](Out& o) { o.PutBool(false); }, Reads(&In::GetBool, false), "46"},
    {{"41"}, [](Out& o) { o.PutChar('A'); }, Reads(&In::GetChar, 'A')},
    {{"A5"}, [](Out& o) { o.PutBYTE(0xA5); }, Reads(&In::GetBYTE, 0xA5)},
    {{"FEFF"}, [](Out& o) { o.PutShort(-2); }, Reads(&In::GetShort, -2)},
    {{"3412"}, [](Out& o) { o.PutWORD(0x1234); }, Reads(&In::GetWORD, 0x1234)},
    {{"18FCFFFF"}, [](Out& o) { o.PutInt(-1000); }, Reads(&In::GetInt, -1000)},
    {{"005ED0B2"}, [](Out& o) { o.PutUint(3000000000u); }, Reads(&In::GetUint, 3000000000u)},
    {{"9CFFFFFF"}, [](Out& o) { o.PutLong(kLong); }, Reads(&In::GetLong, -100)},
    {{"21436587"}, [](Out& o) { o.PutDWORD(kDWORD); }, Reads(&In::GetDWORD, 0x87654321)},
    {{"9A9999999999B93F"}, [](Out& o) { o.PutDouble(0.1); }, Reads(&In::GetDouble, 0.1)},
    {{"F8F8F9FAFBFCFDFE"}, [](Out& o) { o.PutInt64(-k8); }, Reads(&In::GetInt64, -k8)},
    {{"0807060504030201"}, [](Out& o) { o.PutUint64(k8); }, Reads(&In::GetUint64, k8)},
    {{"2C01000000000000"}, [](Out& o) { o.PutSizet(300); }, Reads(&In::GetSizet, 300)},
    {{"0300000000000000", "610062"}, [](Out& o) { o << kNul; }, Reads(kKept, kNul, kString)},
    {{"0300000000000000", "616263"}, [](Out& o) { o << "abc"; }, Reads(&kKept, VXString("abc"), kPointer)},
    {{"0200000000000000", "6162"}, [](Out& o) { PutLPCSTR(o, "abcdef", 2); }, Reads(kKept, "ab", kString)},
    {{"0200000000000000", "7879"}, [](Out& o) { PutLPCSTR(o, "xy", 5); }, Reads(kKept, "xy", kString)},
    {{"0A00000000000000", "0502"}, [](Out& o) { o << kTen; }, Reads(CBitVector(3, 1), kTen, kBits)},
    {{"0000000000000000", ""}, [](Out& o) { o << CBitVector(); }, Reads(kTen, CBitVector(), kBits)},
    {{"0110000000000000", Hex(kBig)}, [](Out& o) { o << kBigText; }, Reads(&kKept, kBigText, kPointer)},
    {{Hex(kBig.substr(0, 2048))}, [](Out& o) { o.PutN(kBig.data(), 2048); },
     Reads(string(2050, 0), '\0' + kBig.substr(0, 2048) + '\0', kBlock)}};
// clang-format on

template <class Stream>
struct Derived : Stream {
  explicit Derived(const Stream& s) : Stream(s) {}
};

}  // namespace

// The record in both formats: each put is its Writes and allocates nothing but the scratch area
// of a portable block above 2048 bytes, Tell() counts value bytes, and the gets read each value
// back, one Read per Write. When the k-th Write fails, for every k, the fault passes, the earlier
// Writes are whole, the count includes the failed value where the stream counts before writing
// (the portable one), and the stream writes on. When the k-th Read fails, the input ends at a
// place, or a character at a place is no digit, the gets stop at one whose target keeps its
// value, with the values before it consumed (and the malformed one). On memory devices, each
// allocation fails in turn.
TEST(Streams, RecordInBothFormatsAtEveryFault) {
  const auto putAll = [](Out& out) {
    for (const Row& row : kRecord) row.put(out);
  };
  const auto getAll = [](const std::shared_ptr<In>& in) {
    for (const Row& row : kRecord) row.get(*in);
  };
  for (int f : {0, 1}) {
    SCOPED_TRACE(f ? "portable format" : "binary format");
    std::vector<string> w;           // the Writes
    std::vector<size_t> ends = {0};  // ends[k]: the length of the first k Writes
    string all;
    for (const Row& row : kRecord)
      for (const string& hex : row.hex)
        w.push_back(f ? (row.text ? row.text : hex) : Unhex(hex)),
            ends.push_back((all += w.back()).size());
    Channel ch;
    const auto out = OutFor(f, &ch);
    ch.text.reserve(1 << 16);  // so that no Write allocates
    const long base = vxtest::LiveAllocations();
    putAll(*out);
    EXPECT_TRUE(ch.text == all && out->Tell() == all.size() / (1 + f) && !out->IsMeasure());
    for (size_t i = 0; vxtest::AllocationFailureInjectable() && i < w.size(); ++i)
      EXPECT_EQ(ch.live[i] > base, f && w[i].size() > 4096) << "blocks live at Write " << i;
    getAll(InFor(f, &ch));
    EXPECT_TRUE(ch.pos == all.size() && ch.count == 2 * w.size()) << "one Read per Write";
    for (size_t k = 1; k <= w.size(); ++k) {
      Channel writer({}, k), reader(all, k);
      const auto failing = OutFor(f, &writer);
      EXPECT_THROW(putAll(*failing), std::range_error);
      EXPECT_EQ(failing->Tell(), (ends[k - 1] + (f ? w[k - 1].size() : 0)) / (1 + f)) << k;
      failing->PutBYTE(7);
      EXPECT_THROW(getAll(InFor(f, &reader)), std::range_error);
      EXPECT_TRUE(writer.text == all.substr(0, ends[k - 1]) + (f ? "07" : "\x07") &&
                  reader.pos == ends[k - 1])
          << k;
    }
    // Every place in the first 400 bytes, each 97th after, and about each Write's ends.
    for (size_t at = 0; at < all.size(); ++at) {
      const auto end = std::upper_bound(ends.begin(), ends.end(), at);  // of the Write holding at
      if (at >= 400 && at % 97 != 0 && at - end[-1] > 1 && *end - at > 1) continue;
      Channel cut(all.substr(0, at)), bad(all);
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(getAll(InFor(f, &cut)), tvc::TVCBufferUnderrunException) << at;
      EXPECT_THROW(f ? getAll(InFor(f, &bad)) : throw CStreamFormatException(),
                   CStreamFormatException)
          << at;
      EXPECT_TRUE(cut.pos == end[-1] && bad.pos == (f ? *end : 0)) << at;
    }
    vxtest::ForEachAllocationFailure([&] {
      CMemStreamBuf memory(0);
      putAll(*OutFor(f, &memory));
      CMemStreamBuf back(memory.str(), memory.out_waiting());
      getAll(InFor(f, back));
    });
  }
}

// Each row reads its input and gives what it reads ("") or exactly the message of what it
// throws, the target then keeping its value: characters at the edges of those that print, padding
// bits, lengths over the limit (refused before anything is allocated), the longest bit count
// (whose message is longest), blocks no array can hold; the exception's text cut at
// MaxMessageLength (191) characters; lengths at the limit, none set (the limit read back is then
// the largest size_t), and GetN, which has no limit. Through both streams, and copies of them in
// classes derived from them. Then the portable blocks at every length on each side of the vector
// blocks (16 and 32 bytes; 32 and 64 characters checked at once) and of the 4- and 8-byte values,
// read eight characters at a time, one byte off an aligned address: PutN against a byte loop, and
// GetN with a character planted at each place, every byte value at every place up to 8 bytes.
// Stops at the first failing row, which it names.
TEST(Streams, EachInputGivesItsValueOrItsMessage) {
  const auto digit = [](const string& c, const string& at) {
    return "CPortableInputStream: " + c + " at character " + at +
           " is not an upper-case hexadecimal digit";
  };
  const string over = " bytes is over the stream's length limit of ";
  struct Case {
    int kind;  // binary, portable, or either through a derived class
    string input;
    Get get;
    string outcome;
    size_t limit = 1 << 20;  // 0: none set
  };
  // clang-format off
  std::vector<Case> cases = {
      {0, "\x02", Reads(&In::GetBool, true), "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)"},
      {1, "01", Reads(&In::GetBool, false), ""},  // a portable bool is true for "T" alone
      {1, "E803g000", Reads(&In::GetInt, 0), digit("'g' (0x67)", "5 of 8")},
      {1, "0\x7F", Reads(&In::GetBYTE, 0), digit("byte 0x7F", "2 of 2")},
      {1, "030000000000000007", Reads(kTen, CBitVector(3, true), kBits), ""},
      {1, "030000000000000008", Reads(kTen, kTen, kBits),
       "CBitVector: unused high bits set in the last byte (0x08) of a 3-bit vector"},
      {0, "\0\0\0\0\x02\0\0\0"s, Reads(kKept, kKept, kString),
       "VXString: a length of 8589934592" + over + "1048576 bytes"},
      {3, "0500000000000000", Reads(&kKept, kKept, kPointer), "VXString: a length of 5" + over + "4 bytes", 4},
      {3, "1100000000000000", Reads(CBitVector(), CBitVector(), kBits), "CBitVector of 17 bits: a length of 3" + over + "2 bytes", 2},
      {3, "FFFFFFFFFFFFFFFF", Reads(CBitVector(), CBitVector(), kBits), "CBitVector of 18446744073709551615 bits: a "
       "length of 2305843009213693952" + over + "1048576 bytes"},
      {2, "\x10\0\0\0\0\0\0\0\0\0"s, Reads(kTen, CBitVector(16), kBits), "", 2},
      {1, "0400000000000000" "61626364", Reads(kKept, "abcd", kString), "", 4},
      {0, "\x02\0\0\0\0\0\0\0ab"s, Reads(&kKept, VXString("ab"), kPointer), "", 0},
      {0, "abc", Reads(string(5, 0), "\0abc\0"s, kBlock), "", 1},
      {0, "", [](In& in) { in.GetN(&in, SIZE_MAX / 2 + 1); }, "std::bad_array_new_length"},
      {1, "", [](In& in) { in.GetN(&in, SIZE_MAX / 2 + 1); }, "std::bad_array_new_length"},
      {0, "", [](In&) { throw CStreamFormatException(); }, "malformed stream data"},
      {0, "", [](In&) { throw CStreamFormatException(nullptr); }, "malformed stream data"},
      {0, "", [](In&) { throw CStreamFormatException(string(190, 'x').c_str()); }, string(190, 'x')},
      {0, "", [](In&) { throw CStreamFormatException(string(191, 'x').c_str()); }, string(191, 'x')},
      {0, "", [](In&) { throw CStreamFormatException(string(192, 'x').c_str()); }, string(191, 'x')}};
  // clang-format on
  for (size_t n = 0; n <= 100; ++n) {
    for (int seed = 0; seed < (n <= 8 ? 256 : 1); ++seed) {
      string bytes(n + 1, '\0');
      for (size_t i = 1; i <= n; ++i) bytes[i] = static_cast<char>(seed + i * 73 + i / 7);
      Channel out;
      CPortableOutputStream(&out).PutN(&bytes[1], n);
      if (out.text != Hex(bytes.substr(1))) return ADD_FAILURE() << "PutN: " << n << ", " << seed;
      for (size_t at = 0; at <= 2 * n; ++at) {  // at 2n, no character is planted
        string text = out.text;
        const unsigned char c = static_cast<unsigned char>(seed + 7 * at + n);
        if (at < 2 * n) text[at] = static_cast<char>(c);
        const string hex = Hex(text.substr(at, 1)),
                     place = std::to_string(at + 1) + " of " + std::to_string(2 * n);
        const string who = c >= 0x20 && c < 0x7F ? "'" + text.substr(at, 1) + "' (0x" + hex + ")"
                                                 : "byte 0x" + hex;
        const bool read = at == 2 * n || string("0123456789ABCDEF").find(text[at]) != string::npos;
        cases.push_back({1, text,
                         Reads(string(n + 2, 'Z'), read ? 'Z' + Unhex(text) + 'Z' : "", kBlock),
                         read ? "" : digit(who, place)});
      }
    }
  }
  for (const Case& c : cases) {
    Channel ch(c.input);
    CBinaryInputStream binary(&ch);
    CPortableInputStream portable(&ch);
    if (c.limit != 0) binary.SetLengthLimit(c.limit), portable.SetLengthLimit(c.limit);
    Derived<CBinaryInputStream> derivedBinary(binary);
    Derived<CPortableInputStream> derivedPortable(portable);
    In* const streams[] = {&binary, &portable, &derivedBinary, &derivedPortable};
    const string outcome = Outcome([&] {
      const vxtest::ScopedAllocationFailure none(c.outcome.find(over) != string::npos);
      return c.get(*streams[c.kind]), string();
    });
    if (outcome != c.outcome || HasFailure() ||
        (binary.GetLengthLimit() & derivedPortable.GetLengthLimit()) !=
            (c.limit ? c.limit : SIZE_MAX))
      return ADD_FAILURE() << c.kind << ", limit " << c.limit << ", " << Hex(c.input.substr(0, 40))
                           << ": " << outcome;
  }
  Channel c;
  CPortableOutputStream out(&c);
  EXPECT_EQ(Outcome([&] { return out.PutN(&c, SIZE_MAX / 2 + 1), string(); }),
            "std::bad_array_new_length");
  EXPECT_TRUE(out.Tell() == SIZE_MAX / 2 + 1 && c.count == 0) << "counted, nothing written";
}

unsigned char* volatile g_stale;  // the blocks escape, so that the compiler keeps them

// Against a model string of bits, at sizes on each side of byte edges: made filled, bits set and
// cleared, resized with the other value, written (the count, then the bits packed, least
// significant first, the unused high bits 0), read back, copied, moved and compared. Before each
// block is taken, a block is filled with 0xFF and freed, so that a bit left as the storage held
// it shows. Assigning and resizing, each allocation failing in turn, leave the vector as it was.
TEST(CBitVector, FollowsAModelAndKeepsItsPaddingClear) {
  const size_t sizes[] = {0, 1, 7, 8, 9, 15, 16, 17, 24, 25};
  for (int i = 0; i < 200; ++i) {
    const size_t n = sizes[i / 20], m = sizes[i / 2 % 10];
    const bool fill = i % 2;
    std::memset(g_stale = new unsigned char[8], 0xFF, 8), delete[] g_stale;
    CBitVector v(n, fill);
    string model(n, "01"[fill]), bits;
    for (size_t b = 1; b < n; b += 3) v.Set(b, !fill), model[b] = "01"[!fill];
    if (n > 0) v.Reset(0), model[0] = '0';
    std::memset(g_stale = new unsigned char[8], 0xFF, 8), delete[] g_stale;
    v.Resize(m, !fill);
    model.resize(m, "01"[!fill]);
    string bytes(8 + (m + 7) / 8, '\0');  // the count (below 256), then the bits
    bytes[0] = static_cast<char>(m);
    for (size_t b = 0; b < m; ++b) bytes[8 + b / 8] |= static_cast<char>((model[b] - '0') << b % 8);
    for (size_t b = 0; b < m; ++b) bits += "01"[v.Test(b)];
    Channel c;
    CBitVector back(3, true), copy(v), moved(v), longer(v), target(kTen);
    v.WriteTo(*OutFor(0, &c));
    back.ReadFrom(*InFor(0, &c));
    copy = std::move(moved);
    longer.Resize(m + 1);
    const auto ones = static_cast<size_t>(std::count(model.begin(), model.end(), '1'));
    EXPECT_EQ(bits + ", " + Hex(c.text), model + ", " + Hex(bytes)) << n << " bits to " << m;
    EXPECT_TRUE(v.Count() == ones && back == v && copy == v && moved.Empty() && longer != v &&
                CBitVector(std::move(longer)) != v && longer.Empty())
        << n << " bits to " << m;
    vxtest::ForEachAllocationFailure([&] { target = v; }, [&] { EXPECT_TRUE(target == kTen); });
    vxtest::ForEachAllocationFailure([&] { v.Resize(m + 9); }, [&] { EXPECT_TRUE(v == copy); });
  }
}
