// round_trip: values and strings the input picks, written by an output stream
// onto a memory writer or the IPC queue and read back by the matching input
// stream. After every put Tell() counts the value bytes put so far (a string:
// 8 + its length), the binary stream added exactly the value's bytes, least
// significant first (a bool 01 or 00), the portable one two upper-case hex
// digits for each of them; the value reads back equal, and nothing is left.
// Between values the writer may be handed a stretch of its own bytes, which
// must arrive whole although the storage they lie in is replaced.
//
// Input: byte 0, bit 0: the portable streams (else the binary ones); bit 1:
// the IPC queue (else a memory writer, whose new bytes are then handed to a
// queue to be read). Then items, each a kind byte (mod 15) and its value:
// 0-12 one of the 13 fixed-width types, from the next bytes; 13 a string
// (from In::Text, or for a byte 0 before it, up to 5000 bytes 'x'); 14 the
// writer's own bytes from a position, of a length (In::N of what is there).

#include <cstring>
#include <type_traits>

#include "fuzz/support/FuzzHarness.h"

namespace {

using std::string;
using I = tvc::ITVCInStream;
using O = tvc::ITVCOutStream;

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
  size_t written = 0, told = 0;

  // After a put of the value whose binary layout is `bytes`; hands its bytes to the queue.
  void Check(const string& bytes) {
    const char* base = queued ? queue.str() : reinterpret_cast<const char*>(memory.GetData());
    const string added(base + written, queued ? queue.out_waiting() : memory.GetSize() - written);
    VXF_CHECK(out.Tell() == (told += bytes.size()) &&
              added.size() == bytes.size() * (portable ? 2 : 1));
    VXF_CHECK(portable ? added.find_first_not_of("0123456789ABCDEF") == string::npos
                       : added == bytes);
    if (written += added.size(), !queued) queue.Write(added.data(), added.size());
  }
  // Puts a value of the width taken from the input, checks it, and reads it back.
  template <class P, class T>
  void Put(void (O::*put)(P), void (I::*get)(T&), size_t width) {
    string bytes(width, '\0');
    for (char& b : bytes) b = static_cast<char>(src.B() & (std::is_same_v<T, bool> ? 1 : 0xFF));
    std::uint64_t bits = 0;  // the value the bytes stand for, least significant first
    for (size_t i = 0; i < width; ++i)
      bits |= std::uint64_t{static_cast<std::uint8_t>(bytes[i])} << 8 * i;
    T v{}, back{};
    if constexpr (std::is_floating_point_v<T>) {
      std::memcpy(&v, &bits, sizeof v);
    } else if (width == 4 && std::is_signed_v<T>) {
      v = static_cast<T>(static_cast<std::int32_t>(bits));  // a long, 64 bits wide or not
    } else {
      v = static_cast<T>(bits);
    }
    (out.*put)(v), Check(bytes), (in.*get)(back);
    VXF_CHECK(std::memcmp(&v, &back, sizeof v) == 0 && queue.out_waiting() == 0);
  }
  void Text() {
    const string t = src.B() == 0 ? string(src.N(5001), 'x') : src.Text();
    string count;  // the length, least significant byte first
    for (int i = 0; i < 8; ++i) count += static_cast<char>(std::uint64_t{t.size()} >> 8 * i);
    vx::VXString back;
    out << vx::VXString(t.data(), t.size());
    Check(count + t);
    in >> back;
    VXF_CHECK(back.view() == t && queue.out_waiting() == 0);
  }
  void Echo() {
    const char* base = queued ? queue.str() : reinterpret_cast<const char*>(memory.GetData());
    const size_t from = src.N(written + 1), count = src.N(written - from + 1);
    const string expected(base + from, count);
    string back(count, '\0');
    writer->Write(base + from, count);
    if (!queued) queue.Write(memory.GetData() + written, count);
    written += count;
    queue.Read(&back[0], count);
    VXF_CHECK(back == expected && out.Tell() == told);
  }
  void Step() {
    vxf::Pick(
        src.B() % 15, [&] { Put(&O::PutBool, &I::GetBool, 1); },
        [&] { Put(&O::PutChar, &I::GetChar, 1); }, [&] { Put(&O::PutBYTE, &I::GetBYTE, 1); },
        [&] { Put(&O::PutShort, &I::GetShort, 2); }, [&] { Put(&O::PutWORD, &I::GetWORD, 2); },
        [&] { Put(&O::PutInt, &I::GetInt, 4); }, [&] { Put(&O::PutUint, &I::GetUint, 4); },
        [&] { Put(&O::PutLong, &I::GetLong, 4); }, [&] { Put(&O::PutDWORD, &I::GetDWORD, 4); },
        [&] { Put(&O::PutDouble, &I::GetDouble, 8); }, [&] { Put(&O::PutInt64, &I::GetInt64, 8); },
        [&] { Put(&O::PutUint64, &I::GetUint64, 8); }, [&] { Put(&O::PutSizet, &I::GetSizet, 8); },
        [&] { Text(); }, [&] { Echo(); });
  }
};

}  // namespace

void vxf::Run(vxf::In in) {
  for (Rig rig{in}; rig.src.n > 0;) rig.Step();
}
