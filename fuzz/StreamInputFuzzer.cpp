// stream_input: arbitrary bytes, as another process might send them, read
// through the portable input stream: gets of every type, blocks, strings
// (into a string and through a pointer) and bit vectors. Only the library's
// documented exceptions may come out (an underrun, a format error,
// std::bad_alloc), a failed read leaves its string, pointer, bit vector or
// block as they were, and nothing leaks. The stream has a length limit, and
// no block larger than a string or bit vector at that limit needs (twice the
// limit, for its hex text), or than the step's GetN block needs, is ever
// requested from the allocator.
//
// Input: byte 0, bit 0: the IPC queue holds the bytes (else a memory reader
// reads them in place); bits 1-7, k: the length limit, 16 << (k mod 12) bytes. Byte 1: the length P
// of the program. P program bytes: steps, each a byte whose low 7 bits (mod 18) pick one of the 13
// gets, a block (its size from the next two program bytes), a string, a string through a pointer, a
// bit vector or a rewind of the queue; bit 7 set: the 1st to 4th allocation of the step fails (from
// the next program byte). The rest: the bytes read.

#include <new>
#include <vector>

#include "fuzz/support/FuzzHarness.h"

template <class T>
T scratch{};  // the destination of the fixed-width gets

void vxf::Run(vxf::In in) {
  const std::uint8_t config = in.B(), steps = in.B();
  vxf::In program{in.d, std::min<size_t>(steps, in.n)};
  const std::vector<unsigned char> bytes(program.d + program.n, in.d + in.n);
  vx::PXIpcStreamBuf queue;
  vx::CMemReader memory(bytes);
  queue.Write(bytes.data(), bytes.size());
  vx::CPortableInputStream s(config & 1 ? static_cast<tvc::ITVCBinaryReader*>(&queue) : &memory);
  const size_t limit = size_t{16} << ((config >> 1) % 12);
  s.SetLengthLimit(limit);
  const long refused = vxtest::RefusedAllocations();
  while (program.n > 0) {
    vxtest::SetLargestAllocation(size_t{64} << 20);  // the harness's cap, between steps
    const std::uint8_t step = program.B();
    const long fail = step & 0x80 ? 1 + program.N(4) : 0;
    std::vector<unsigned char> block((step & 0x7F) % 18 == 13 ? program.N(4500) : 0, 0x5A);
    vx::VXString text("old"), *made = nullptr;
    vx::CBitVector bits(3, true);
    // The largest block the step may ask for: its GetN block's text, or the text of a string or
    // bit vector at the limit (its record: limit + 1 bytes rounded up to 8), and never below 512
    // bytes, for the text that the memory reader logs when it runs short.
    vxtest::SetLargestAllocation(std::max({size_t{512}, 2 * block.size(), 2 * limit + 8}));
    try {
      vxtest::ScopedAllocationFailure armed(fail);
      vxf::Pick(
          (step & 0x7F) % 18, [&] { s.GetBool(scratch<bool>); }, [&] { s.GetChar(scratch<char>); },
          [&] { s.GetBYTE(scratch<unsigned char>); }, [&] { s.GetInt(scratch<int>); },
          [&] { s.GetUint(scratch<unsigned>); }, [&] { s.GetShort(scratch<short>); },
          [&] { s.GetLong(scratch<long>); }, [&] { s.GetDWORD(scratch<unsigned long>); },
          [&] { s.GetWORD(scratch<unsigned short>); }, [&] { s.GetDouble(scratch<double>); },
          [&] { s.GetInt64(scratch<std::int64_t>); }, [&] { s.GetUint64(scratch<std::uint64_t>); },
          [&] { s.GetSizet(scratch<size_t>); }, [&] { s.GetN(block.data(), block.size()); },
          [&] { s >> text; }, [&] { s >> made; }, [&] { s >> bits; }, [&] { queue.forward(); });
      delete made;
      continue;
    } catch (const tvc::TVCBufferUnderrunException&) {
    } catch (const vx::CStreamFormatException&) {
    } catch (const std::bad_alloc&) {
    }
    VXF_CHECK(text == "old" && made == nullptr && bits == vx::CBitVector(3, true) &&
              std::count(block.begin(), block.end(), 0x5A) == static_cast<long>(block.size()));
  }
  vxtest::SetLargestAllocation(size_t{64} << 20);
  VXF_CHECK(vxtest::RefusedAllocations() == refused);
}
