#include "vexlo/streams/CPortableOutputStream.h"

#include <cstring>

#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/streams/internal/HexBlocks.h"
#include "vexlo/streams/internal/OutputStreamBody.h"

namespace vx {

namespace {

// The two characters of every byte value, so that the encoder makes one
// lookup and one 2-byte copy per byte; derived from HexDigits, which stays
// the one definition of the alphabet.
struct HexPairTable {
  char pair[256][2];
};

constexpr HexPairTable MakeHexPairTable() {
  HexPairTable table{};
  for (int b = 0; b < 256; ++b) {
    table.pair[b][0] = CPortableOutputStream::HexDigits[b >> 4];
    table.pair[b][1] = CPortableOutputStream::HexDigits[b & 0x0F];
  }
  return table;
}

constexpr HexPairTable kHexPairs = MakeHexPairTable();

static_assert(kHexPairs.pair[0xA5][0] == 'A' && kHexPairs.pair[0xA5][1] == '5', "");

// Whole blocks of 16 bytes go to the vector encoder of HexBlocks.h, where
// the processor has one. The rest goes four bytes per step, which keeps the
// table loads independent of each other, so they overlap instead of queueing
// behind the stores.
void EncodeHex(const unsigned char* in, size_t n, unsigned char* out) {
  size_t i = n >= 16 ? detail::EncodeHexBlocks(in, n, out) : 0;
  out += 2 * i;
  for (; i + 4 <= n; i += 4, out += 8) {
    std::memcpy(out, kHexPairs.pair[in[i]], 2);
    std::memcpy(out + 2, kHexPairs.pair[in[i + 1]], 2);
    std::memcpy(out + 4, kHexPairs.pair[in[i + 2]], 2);
    std::memcpy(out + 6, kHexPairs.pair[in[i + 3]], 2);
  }
  for (; i < n; ++i, out += 2) std::memcpy(out, kHexPairs.pair[in[i]], 2);
}

// Counting comes first, so every failure (a block whose text size_t cannot
// express, the scratch allocation, the writer) leaves the value counted.
// The size check must precede the doubling below, which would wrap.
struct HexFormat {
  static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount, const unsigned char* bytes,
                    size_t n) {
    byteCount += n;
    if (n > MaxHexBlockSize) throw std::bad_array_new_length();
    const size_t length = 2 * n;
    CScratchArea<unsigned char> scratch(length);
    EncodeHex(bytes, n, scratch.get());
    writer->Write(scratch.get(), length);
  }
};

}  // namespace

// Emitted here, so that the DLL exports it: programs that take the constant's
// address import it from the library, and an inline constant that the
// library itself only reads at compile time is otherwise never emitted.
constexpr char CPortableOutputStream::HexDigits[17];

VX_DEFINE_OUTPUT_STREAM_MEMBERS(CPortableOutputStream, HexFormat)

void CPortableOutputStream::WriteType(const unsigned char* bytes, size_t n) {
  HexFormat::Write(writer, byteCount, bytes, n);
}

void CPortableOutputStream::PutBool(bool value) { PutChar(value ? 'T' : 'F'); }

}  // namespace vx
