// round_trip: values, strings and bit vectors the input picks, written by an output stream onto a
// memory writer or the IPC queue and read back by the matching input stream. After every put
// Tell() counts the value bytes put so far (a string: 8 + its length), the binary stream added
// exactly the value's bytes, least significant first (a bool 01 or 00; a string or bit vector its
// length, then its bytes), the portable one the two upper-case hex digits of each of those bytes
// ("T" or "F" for a bool); the value reads back equal, and nothing is left. A bit vector is made
// against a model string of bits: filled or clear, bits flipped and the first cleared, resized
// with the other value (and that may fail at its allocation, leaving the vector as it was); its
// blocks are fresh, which the tests' allocator fills with 0xA5, so that its packed bytes (the
// unused high bits 0), its count of set bits, copies, moves and comparisons show a bit left as
// the storage held it. Between the values, hostile input: bytes as another process might send
// them, read by a get (a value, a string, a string through a pointer, a bit vector, a block),
// perhaps with one of its allocations failing: only an underrun, a format error or std::bad_alloc
// may come out, a failed get leaves its target as it was, no block is asked for beyond what a
// value at the length limit (8192 bytes) or the get's own block needs, and nothing leaks.
//
// Input: byte 0, bit 0: the portable streams (else the binary ones); bit 1: the IPC queue (else a
// memory writer, whose new bytes are then handed to a queue to be read). Then items, each a kind
// byte (mod 16) and its value: 0-12 one of the 13 fixed-width types, from the next bytes; 13 a
// string (from In::Text, or for a byte below 16 before it, up to 5000 bytes of a pattern); 14 a
// bit vector: a byte (bit 0: filled), its size and the size to resize to (In::N of 300 each), the
// gaps between the bits flipped (In::N of 9 each, while within the size), a byte (bit 0: the
// resize fails); 15 hostile input: a byte (bits 0-2 mod 5: the get as listed above; bit 3: the
// bytes go as their hex text in the portable format; bit 7: a byte follows, In::N of 4, that
// makes the first to fourth allocation of the get fail), for a block its size (In::N of 4500),
// then the bytes, as a string is given.

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "fuzz/support/FuzzHarness.h"
#include "support/Hex.h"

namespace {

using std::string;
using I = tvc::ITVCInStream;
using O = tvc::ITVCOutStream;

constexpr size_t kLimit = 8192;  // the input streams' length limit
string Count(std::uint64_t n) {  // 8 bytes, least significant first
  string bytes;
  for (int i = 0; i < 8; ++i) bytes += static_cast<char>(n >> 8 * i);
  return bytes;
}

struct Rig {
  vxf::In src;
  const std::uint8_t config = src.B();  // bit 0: portable; bit 1: the queue
  const bool portable = config & 1, queued = config & 2;
  vx::CMemWriter memory{};
  vx::PXIpcStreamBuf queue{};
  tvc::ITVCBinaryWriter* writer = queued ? static_cast<tvc::ITVCBinaryWriter*>(&queue) : &memory;
  vx::CBinaryOutputStream binaryOut{writer};
  vx::CPortableOutputStream portableOut{writer};
  vx::CBinaryInputStream binaryIn{&queue};
  vx::CPortableInputStream portableIn{&queue};
  O& out = portable ? static_cast<O&>(portableOut) : binaryOut;
  I& in = portable ? static_cast<I&>(portableIn) : binaryIn;
  size_t written = 0, told = 0, capacity = 1;

  // After a put of the value whose binary layout is `bytes`; hands its bytes to the queue.
  void Check(const string& bytes, bool isBool = false) {
    const char* base = queued ? queue.str() : reinterpret_cast<const char*>(memory.GetData());
    const string added(base + written, queued ? queue.out_waiting() : memory.GetSize() - written);
    const string text = vxtest::Hex(isBool ? (bytes[0] ? "T" : "F") : bytes);
    const size_t was = std::exchange(capacity, memory.GetCapacity());  // grows by half or more
    if (written += added.size(), !queued) queue.Write(added.data(), added.size());
    VXF_CHECK(out.Tell() == (told += bytes.size()) && added == (portable ? text : bytes) &&
              (queued || (!base[written] && (capacity == was || capacity >= was + was / 2))));
  }
  // Puts a value of the width taken from the input, checks it, and reads it back.
  template <class P, class T>
  void Put(void (O::*put)(P), void (I::*get)(T&), size_t width) {
    string bytes(width, '\0');
    std::uint64_t bits = 0;  // the value the bytes stand for, least significant first
    for (size_t i = 0; i < width; ++i)
      bits |= std::uint64_t{src.B() & (std::is_same_v<T, bool> ? 1u : 0xFFu)} << 8 * i,
          bytes[i] = static_cast<char>(bits >> 8 * i);
    if (std::is_signed_v<T> && width == 4) bits = static_cast<std::int32_t>(bits);  // a long too
    T v{}, back{};
    if constexpr (std::is_floating_point_v<T>) std::memcpy(&v, &bits, sizeof v);
    if constexpr (!std::is_floating_point_v<T>) v = static_cast<T>(bits);
    (out.*put)(v), Check(bytes, std::is_same_v<T, bool>), (in.*get)(back);
    VXF_CHECK(std::memcmp(&v, &back, sizeof v) == 0 && queue.out_waiting() == 0);
  }
  string Bytes() {  // In::Text, or for a byte below 16 before it, up to 5000 bytes of a pattern
    const std::uint8_t k = src.B();
    string t = k < 16 ? string(src.N(5001), '\0') : src.Text();
    for (size_t i = 0; k < 16 && i < t.size(); ++i) t[i] = static_cast<char>(k + i * 37 + i / 256);
    return t;
  }
  // Each text is read into the last one, at times shared: a record of the target's own, of the
  // capacity a new string of the text has, whatever record the target held; the sharer keeps its.
  vx::VXString target{}, sharer{};
  void Text() {
    const string t = Bytes(), kept((src.B() % 2 ? sharer = target : sharer).view());
    out << vx::VXString(t.data(), t.size()), Check(Count(t.size()) + t);
    in >> target;
    VXF_CHECK(target.view() == t && target.capacity() == t.size() / 8 * 8 + 8 &&
              sharer.view() == kept && queue.out_waiting() == 0);
  }
  void Bits() {
    const bool fill = src.B() & 1;
    const size_t n = src.N(300), m = src.N(300);
    vx::CBitVector v(n, fill), back(3, true);
    string model(n, "01"[fill]), packed;
    for (size_t i = src.N(9); i < n; i += 1 + src.N(9)) v.Set(i, !fill), model[i] = "01"[!fill];
    if (n > 0) v.Reset(0), model[0] = '0';
    try {
      const vxtest::ScopedAllocationFailure fail(src.B() & 1);  // the resize may fail
      v.Resize(m, !fill), model.resize(m, "01"[!fill]);
    } catch (const std::bad_alloc&) {
    }
    packed.resize((model.size() + 7) / 8);
    for (size_t i = 0; i < model.size(); ++i)
      packed[i / 8] |= static_cast<char>((model[i] - '0') << i % 8);
    vx::CBitVector copy(v), moved(std::move(copy)), longer(v);
    longer.Resize(v.Size() + 1);
    out << v;
    Check(Count(v.Size()) + packed);
    in >> back;
    VXF_CHECK(back == v && moved == v && copy.Empty() && longer != v && queue.out_waiting() == 0 &&
              v.Count() == static_cast<size_t>(std::count(model.begin(), model.end(), '1')));
  }
  // Bytes as another process might send them (for a byte with bit 0 set, their hexadecimal text
  // in the portable format), then a get of them: only an underrun, a format error or
  // std::bad_alloc may come out; a failed get leaves its target as it was; no block is asked for
  // beyond what a value at the length limit or the get's own block needs. What the get left is
  // dropped.
  void Hostile() {
    const std::uint8_t get = src.B();  // bits 0-2: what to get; bit 7: an allocation fails
    const long refused = vxtest::RefusedAllocations();
    const size_t block = get % 8 % 5 == 4 ? src.N(4500) : 0;
    const long fail = get & 0x80 ? 1 + src.N(4) : 0;
    const string sent = (get & 8) && portable ? vxtest::Hex(Bytes()) : Bytes();
    std::vector<unsigned char> into(block, 0x5A);
    vx::VXString text("old"), *made = nullptr;
    vx::CBitVector bits(3, true);
    std::uint64_t value = 7;
    bool failed = true;
    queue.Write(sent.data(), sent.size());
    vxtest::SetLargestAllocation(std::max({size_t{512}, 2 * block, 2 * kLimit + 8}));
    try {
      const vxtest::ScopedAllocationFailure armed(fail);
      vxf::Pick(
          get % 8 % 5, [&] { in.GetUint64(value); }, [&] { in >> text; }, [&] { in >> made; },
          [&] { in >> bits; }, [&] { in.GetN(into.data(), block); });
      delete made, failed = false;
    } catch (const tvc::TVCBufferUnderrunException&) {
    } catch (const vx::CStreamFormatException&) {
    } catch (const std::bad_alloc&) {
    }
    VXF_CHECK(vxtest::RefusedAllocations() == refused);
    vxtest::SetLargestAllocation(size_t{64} << 20);
    string rest(queue.out_waiting(), '\0');
    queue.Read(&rest[0], rest.size()), written += queued ? sent.size() : 0;
    VXF_CHECK(!failed || (text == "old" && made == nullptr && bits == vx::CBitVector(3, true) &&
                          value == 7 && std::count(into.begin(), into.end(), 0x5A) == long(block)));
  }
  void Step() {
    vxf::Pick(
        src.B() % 16, [&] { Put(&O::PutBool, &I::GetBool, 1); },
        [&] { Put(&O::PutChar, &I::GetChar, 1); }, [&] { Put(&O::PutBYTE, &I::GetBYTE, 1); },
        [&] { Put(&O::PutShort, &I::GetShort, 2); }, [&] { Put(&O::PutWORD, &I::GetWORD, 2); },
        [&] { Put(&O::PutInt, &I::GetInt, 4); }, [&] { Put(&O::PutUint, &I::GetUint, 4); },
        [&] { Put(&O::PutLong, &I::GetLong, 4); }, [&] { Put(&O::PutDWORD, &I::GetDWORD, 4); },
        [&] { Put(&O::PutDouble, &I::GetDouble, 8); }, [&] { Put(&O::PutInt64, &I::GetInt64, 8); },
        [&] { Put(&O::PutUint64, &I::GetUint64, 8); }, [&] { Put(&O::PutSizet, &I::GetSizet, 8); },
        [&] { Text(); }, [&] { Bits(); }, [&] { Hostile(); });
  }
};

}  // namespace

void vxf::Run(vxf::In in) {
  Rig rig{in};
  rig.binaryIn.SetLengthLimit(kLimit), rig.portableIn.SetLengthLimit(kLimit);
  while (rig.src.n > 0) rig.Step();
}
