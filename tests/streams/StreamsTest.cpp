// The streams against one record worked out by hand, put by both output streams and read back by
// both input streams, also with the channel failing at each call, cut short or malformed at each
// place and each allocation failing; then one table of inputs, each with the message it gives
// (refused characters, padding bits, lengths over the limit) or the value it reads, which also
// holds the portable blocks at every length with every character at every place. Round trips of
// random values and the bit vector's model are the fuzz target round_trip's
// (fuzz/RoundTripFuzzer.cpp), as is arbitrary input.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "support/Support.h"
#include "vexlo/vexlo.h"

using namespace vx;
using vxtest::Hex;
using Out = tvc::ITVCOutStream;
using In = tvc::ITVCInStream;
using std::string;
using namespace std::literals;

static_assert(std::is_base_of_v<tvc::TVCIPCException, tvc::TVCBufferUnderrunException> &&
              std::is_base_of_v<tvc::TVCException, tvc::TVCIPCException>);

namespace {

// Writes append to `text`, reads consume it from `pos`, and each call notes the blocks live then.
// The `failOn`-th call throws std::range_error, which no stream throws of its own; a read past
// the end scribbles on the buffer, then throws the underrun. Neither consumes.
struct Channel : tvc::ITVCBinaryWriter, tvc::ITVCBinaryReader {
  explicit Channel(string t = {}, size_t k = 0) : text(std::move(t)), failOn(k) {}
  void Write(const void* p, size_t n) override { Call().append(static_cast<const char*>(p), n); }
  void Read(void* p, size_t n) override {
    if (Call(), n > text.size() - pos)
      throw(std::memset(p, 0xEE, n), tvc::TVCBufferUnderrunException());
    pos += text.copy(static_cast<char*>(p), n, pos);
  }
  string& Call() {
    live[count % 64] = vxtest::LiveAllocations();
    if (++count == failOn) throw std::range_error("channel fault");
    return text;
  }
  string text;
  size_t failOn, count = 0, pos = 0;
  long live[64] = {};
};

string Unhex(const string& hex) {
  string s;
  for (size_t i = 0; i < hex.size(); i += 2) s += char(std::stoi(hex.substr(i, 2), 0, 16));
  return s;
}
template <class C>  // a channel or a device
std::shared_ptr<Out> OutFor(int f, C&& c) {
  if (f) return std::make_shared<CPortableOutputStream>(c);
  return std::make_shared<CBinaryOutputStream>(c);
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
  return Reads(static_cast<T>(!want), want, [get](In& in, T& t) { (in.*get)(t); });
}
const auto kIn = [](In& in, auto& t) { in >> t; };  // a string, a new string, a bit vector
const auto kBlock = [](In& in, string& t) { in.GetN(&t[1], t.size() - 2); };  // within its ends

const string kBig(4097, 'q');
const VXString kNul("a\0b", 3), kBigText(kBig);
const CBitVector kTen = [](CBitVector v) {
  return v.Set(0), v.Set(2), v.Set(9), v;
}(CBitVector(10));
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
    {{"0300000000000000", "610062"}, [](Out& o) { o << kNul; }, Reads(kKept, kNul, kIn)},
    {{"0300000000000000", "616263"}, [](Out& o) { o << "abc"; },
     Reads(&kKept, VXString("abc"), kIn)},
    {{"0200000000000000", "6162"}, [](Out& o) { PutLPCSTR(o, "abcdef", 2); },  // to the bound
     Reads(kKept, "ab", kIn)},
    {{"0200000000000000", "7879"}, [](Out& o) { PutLPCSTR(o, "xy", 5); },  // to the NUL
     Reads(kKept, "xy", kIn)},
    {{"0A00000000000000", "0502"}, [](Out& o) { o << kTen; }, Reads(CBitVector(3, 1), kTen, kIn)},
    {{"0000000000000000", ""}, [](Out& o) { o << CBitVector(); }, Reads(kTen, CBitVector(), kIn)},
    {{"0110000000000000", Hex(kBig)}, [](Out& o) { o << kBigText; },
     Reads(&kKept, kBigText, kIn)},
    {{Hex(kBig.substr(0, 2048))}, [](Out& o) { o.PutN(kBig.data(), 2048); },
     Reads(string(2050, 0), '\0' + kBig.substr(0, 2048) + '\0', kBlock)}};
// clang-format on

template <class C>  // reads the record back in format f from a channel or a device
void GetAll(int f, C&& c) {
  CBinaryInputStream binary(c);
  CPortableInputStream portable(c);
  for (const Row& row : kRecord) row.get(f ? static_cast<In&>(portable) : binary);
}

template <class Stream>
struct Derived : Stream {
  explicit Derived(const Stream& s) : Stream(s) {}
};

// A stream of the caller's own, on the typed input interface alone, which reads through `s`.
struct Forwarding : In {
  explicit Forwarding(In& s) : s(s) {}
  void GetBool(bool& v) override { s.GetBool(v); }
  void GetChar(char& v) override { s.GetChar(v); }
  void GetBYTE(unsigned char& v) override { s.GetBYTE(v); }
  void GetInt(int& v) override { s.GetInt(v); }
  void GetUint(unsigned int& v) override { s.GetUint(v); }
  void GetShort(short& v) override { s.GetShort(v); }
  void GetLong(long& v) override { s.GetLong(v); }
  void GetDWORD(unsigned long& v) override { s.GetDWORD(v); }
  void GetWORD(unsigned short& v) override { s.GetWORD(v); }
  void GetDouble(double& v) override { s.GetDouble(v); }
  void GetInt64(std::int64_t& v) override { s.GetInt64(v); }
  void GetUint64(std::uint64_t& v) override { s.GetUint64(v); }
  void GetSizet(size_t& v) override { s.GetSizet(v); }
  void GetN(void* p, size_t n) override { s.GetN(p, n); }
  In& s;
};

}  // namespace

// The record in both formats: each put is its Writes (Flush writes nothing) and allocates nothing
// but the scratch area of a portable block above 2048 bytes, Tell() counts value bytes, and the
// gets read each value back, one Read per Write. When the k-th Write fails, for every k, the fault
// passes, the earlier Writes are whole, and the count includes the failed value where the stream
// counts before writing (the portable one). When the input ends at a place, or a character at a
// place is no digit, the gets stop at one whose target keeps its value, with the values before it
// consumed (and the malformed one). On memory devices, each allocation fails in turn.
TEST(Streams, RecordInBothFormatsAtEveryFault) {
  for (int f : {0, 1}) {
    SCOPED_TRACE(f ? "portable format" : "binary format");
    std::vector<size_t> ends = {0};  // ends[k]: the length of the first k Writes
    string all;
    for (const Row& row : kRecord)
      for (const string& hex : row.hex)
        ends.push_back((all += f ? (row.text ? row.text : hex) : Unhex(hex)).size());
    Channel ch;
    const auto out = OutFor(f, &ch);
    ch.text.reserve(1 << 16);                                    // so that no Write allocates
    for (const Row& row : kRecord) row.put(*out), out->Flush();  // which writes nothing
    EXPECT_TRUE(ch.text == all && out->Tell() == all.size() / (1 + f) && !out->IsMeasure());
    for (size_t k = 1; vxtest::AllocationFailureInjectable() && k < ends.size(); ++k)
      EXPECT_EQ(ch.live[k - 1] > ch.live[0], f && ends[k] - ends[k - 1] > 4096) << k;
    GetAll(f, &ch);
    EXPECT_TRUE(ch.pos == all.size() && ch.count == 2 * ends.size() - 2) << "one Read per Write";
    for (size_t k = 1; k < ends.size(); ++k) {
      Channel writer({}, k);
      const auto failing = OutFor(f, &writer);
      EXPECT_THROW(for (const Row& row : kRecord) row.put(*failing), std::range_error);
      EXPECT_EQ(failing->Tell(), ends[k - 1 + f] / (1 + f)) << k;
      EXPECT_TRUE(writer.text == all.substr(0, ends[k - 1])) << k;
    }
    // Every place in the first 400 bytes, each 97th after, and about each Write's ends.
    for (size_t at = 0; at < all.size(); ++at) {
      const auto end = std::upper_bound(ends.begin(), ends.end(), at);  // of the Write holding at
      if (at >= 400 && at % 97 != 0 && at - end[-1] > 1 && *end - at > 1) continue;
      Channel cut(all.substr(0, at)), bad(all);
      bad.text[at] = "/:@G`ag\0\x80\xFF"[at % 10];  // just off the digits' ranges, and beyond
      EXPECT_THROW(GetAll(f, &cut), tvc::TVCBufferUnderrunException) << at;
      EXPECT_EQ(cut.pos, end[-1]) << at;
      if (f == 0) continue;
      EXPECT_THROW(GetAll(f, &bad), CStreamFormatException) << at;
      EXPECT_EQ(bad.pos, *end) << at;
    }
    vxtest::ForEachAllocationFailure([&] {
      CMemStreamBuf memory(0);
      for (const Row& row : kRecord) row.put(*OutFor(f, &memory));
      CMemStreamBuf back(memory.str(), memory.out_waiting());
      GetAll(f, back);
    });
  }
}

// Each row reads its input and gives what it reads ("") or exactly the message of what it
// throws, the target then keeping its value: each exception's fixed text, characters at the edges
// of those that print, padding bits, lengths over the limit (refused before anything is allocated),
// the longest bit count (whose message is longest), blocks no array can hold; the exception's text
// cut at MaxMessageLength (191) characters; lengths at the limit, none set (the limit read back is
// then the largest size_t), and GetN, which has no limit. Through both streams, copies of them in
// classes derived from them, and a stream of the caller's own, which has no limit whatever the
// stream beneath it has. Then the portable blocks at every length on each side of the vector
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
    int kind;  // binary, portable, either through a derived class, the caller's over portable
    string input;
    Get get;
    string outcome;
    size_t limit = 1 << 20;  // 0: none set
  };
  // clang-format off
  std::vector<Case> cases = {
      {0, "\x02", Reads(&In::GetBool, 1), "CBinaryInputStream: byte 0x02 is not a bool (00 or 01)"},
      {1, "01", Reads(&In::GetBool, false), ""},  // a portable bool is true for "T" alone
      {1, "E803g000", Reads(&In::GetInt, 0), digit("'g' (0x67)", "5 of 8")},
      {1, "0\x7F", Reads(&In::GetBYTE, 0), digit("byte 0x7F", "2 of 2")},
      {1, "030000000000000007", Reads(kTen, CBitVector(3, true), kIn), ""},
      {1, "030000000000000008", Reads(kTen, kTen, kIn),
       "CBitVector: unused high bits set in the last byte (0x08) of a 3-bit vector"},
      {0, "\0\0\0\0\x02\0\0\0"s, Reads(kKept, kKept, kIn),
       "VXString: a length of 8589934592" + over + "1048576 bytes"},
      {2, "\x05\0\0\0\0\0\0\0"s, Reads(&kKept, kKept, kIn),
       "VXString: a length of 5" + over + "4 bytes", 4},
      {3, "1100000000000000", Reads(CBitVector(), CBitVector(), kIn),
       "CBitVector of 17 bits: a length of 3" + over + "2 bytes", 2},
      {3, "FFFFFFFFFFFFFFFF", Reads(CBitVector(), CBitVector(), kIn), "CBitVector of "
       "18446744073709551615 bits: a length of 2305843009213693952" + over + "1048576 bytes"},
      {2, "\x10\0\0\0\0\0\0\0\0\0"s, Reads(kTen, CBitVector(16), kIn), "", 2},
      {1, "0400000000000000" "61626364", Reads(kKept, "abcd", kIn), "", 4},
      {4, "0500000000000000" "6162636465", Reads(kKept, "abcde", kIn), "", 4},
      {0, "\x02\0\0\0\0\0\0\0ab"s, Reads(&kKept, VXString("ab"), kIn), "", 0},
      {0, "abc", Reads(string(5, 0), "\0abc\0"s, kBlock), "", 1},
      {0, "", [](In& in) { in.GetN(&in, SIZE_MAX / 2 + 1); }, "std::bad_array_new_length"},
      {1, "", [](In& in) { in.GetN(&in, SIZE_MAX / 2 + 1); }, "std::bad_array_new_length"},
      {0, "", Reads(&In::GetBool, true), "Buffer underrun error during IPC/streaming"},
      {0, "", [](In&) { throw tvc::TVCIPCException(); }, "TVCIPCException"},
      {0, "", [](In&) { throw tvc::TVCException(); }, "TVCException"},
      {0, "", [](In&) { throw CStreamFormatException(); }, "malformed stream data"},
      {0, "", [](In&) { throw CStreamFormatException(nullptr); }, "malformed stream data"}};
  for (size_t k : {190, 191, 192})  // the text at, and one character each side of, its limit
    cases.push_back({0, "", [k](In&) { throw CStreamFormatException(string(k, 'x').c_str()); },
                     string(std::min<size_t>(k, 191), 'x')});
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
        const string one = text.substr(at, 1), hex = Hex(one);  // "" at 2n
        const bool read = string("0123456789ABCDEF").find(one) != string::npos;
        const string who =
            c >= 0x20 && c < 0x7F ? "'" + one + "' (0x" + hex + ")" : "byte 0x" + hex;
        cases.push_back(
            {1, text, Reads(string(n + 2, 'Z'), read ? 'Z' + Unhex(text) + 'Z' : "", kBlock),
             read ? "" : digit(who, std::to_string(at + 1) + " of " + std::to_string(2 * n))});
      }
    }
  }
  for (size_t k = 0; k < 2 * cases.size(); ++k) {  // each case on the test's channel, then in place
    const Case& c = cases[k / 2];
    Channel ch(c.input);
    CMemReader memory(reinterpret_cast<const unsigned char*>(c.input.data()), c.input.size());
    CBinaryInputStream binary(k % 2 ? static_cast<tvc::ITVCBinaryReader*>(&memory) : &ch);
    CPortableInputStream portable(k % 2 ? static_cast<tvc::ITVCBinaryReader*>(&memory) : &ch);
    if (c.limit != 0) binary.SetLengthLimit(c.limit), portable.SetLengthLimit(c.limit);
    Derived<CBinaryInputStream> derivedBinary(binary);
    Derived<CPortableInputStream> derivedPortable(portable);
    Forwarding own(portable);
    In* const streams[] = {&binary, &portable, &derivedBinary, &derivedPortable, &own};
    string outcome;
    try {
      const vxtest::ScopedAllocationFailure none(c.outcome.find(over) != string::npos);
      c.get(*streams[c.kind]);
    } catch (const std::exception& e) {
      outcome = e.what();
    }
    if (outcome != c.outcome || HasFailure())
      return ADD_FAILURE() << "case " << k / 2 << (k % 2 ? " in place: " : ": ") << outcome;
  }
  string text = "414243";  // a block read into its own text from a memory reader: copied out first
  CMemReader self(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  CMemWriter mine((CPortableInputStream(&self).GetN(&text[3], 3), text.data()), 6);
  CPortableOutputStream(&mine).PutN(mine.GetData(), 6);  // a block from its writer's own bytes
  EXPECT_EQ(reinterpret_cast<const char*>(mine.GetData()), "414ABC" + Hex("414ABC"));
  Channel c;
  CPortableOutputStream out(&c);
  EXPECT_THROW(out.PutN(&c, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_TRUE(out.Tell() == SIZE_MAX / 2 + 1 && c.count == 0) << "counted, nothing written";
  EXPECT_EQ(CBinaryInputStream(&c).GetLengthLimit() & CPortableInputStream(&c).GetLengthLimit(),
            SIZE_MAX);
}
