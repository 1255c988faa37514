#include "vexlo/streams/CPortableOutputStream.h"

#include <cstdint>
#include <cstring>

#include "vexlo/channels/internal/MemWriterAccess.h"
#include "vexlo/internal/ByteOrder.h"
#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/streams/internal/HexBlocks.h"
#include "vexlo/streams/internal/OutputStreamBody.h"

namespace vx {

namespace {

// The two characters of every byte value, so that the encoder makes one
// lookup and one 2-byte copy per byte.
struct HexPairTable {
  char pair[256][2];
};

constexpr HexPairTable MakeHexPairTable() {
  HexPairTable table{};
  for (int b = 0; b < 256; ++b) {
    table.pair[b][0] = detail::kHexDigits[b >> 4];
    table.pair[b][1] = detail::kHexDigits[b & 0x0F];
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

// Four bytes, the first in the lowest byte of `bytes`, as their eight
// characters, the first in the lowest byte of the answer. Each byte goes to
// a 16-bit lane of its own, its nibbles to the lane's two bytes (the high
// one first), and each nibble n to '0' + n, plus 7 from 10 on, where n + 6
// carries into bit 4.
std::uint64_t EncodeFourBytes(std::uint32_t bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kLowNibbles = 0x000F000F000F000Fu;
  std::uint64_t lanes = (bytes | (std::uint64_t{bytes} << 16)) & 0x0000FFFF0000FFFFu;
  lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFu;
  const std::uint64_t nibbles = ((lanes >> 4) & kLowNibbles) | ((lanes & kLowNibbles) << 8);
  const std::uint64_t fromTen = ((nibbles + kOnes * 6) >> 4) & kOnes;
  return nibbles + kOnes * '0' + fromTen * 7;
}

// Up to 8 bytes: eight characters per step, the rest (up to three bytes) by
// the table.
void EncodeValue(const unsigned char* in, size_t n, unsigned char* out) {
  for (int half = 0; half < 2 && n >= 4; ++half, in += 4, out += 8, n -= 4) {
    detail::StoreLittleEndian(EncodeFourBytes(detail::LoadLittleEndian<std::uint32_t>(in)), out);
  }
  for (size_t i = 0; i < n && i < 3; ++i) std::memcpy(out + 2 * i, kHexPairs.pair[in[i]], 2);
}

// The text of the `n` bytes at `in` to `out`: a value (1, 2, 4 or 8 bytes)
// in one vector step where the build has vector code (HexBlocks.h), else
// eight characters per step; a block by EncodeHex. Inline, so that a put of
// a value folds to the step of its width.
__attribute__((always_inline)) inline void Encode(const unsigned char* in, size_t n,
                                                  unsigned char* out) {
  if (detail::EncodeHexValue(in, n, out)) return;
  if (n <= 8) {
    EncodeValue(in, n, out);
  } else {
    EncodeHex(in, n, out);
  }
}

// Counting comes first, so every failure (a block whose text size_t cannot
// express, the scratch allocation, the writer) leaves the value counted.
// The size check must precede the doubling below, which would wrap. Into a
// CMemWriter the text is encoded in place (MemWriterAccess), which ends as
// its Write would; other writers get one Write of the text, a value's
// (up to 8 bytes) encoded on the stack, a block's in a scratch area.
struct HexFormat {
  static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount, const unsigned char* bytes,
                    size_t n) {
    byteCount += n;
    if (CMemWriter* const memory = detail::MemWriterAccess::InPlaceFor(writer, bytes, n)) {
      if (n > detail::kMaxHexBlockSize) throw std::bad_array_new_length();
      Encode(bytes, n, detail::MemWriterAccess::Room(*memory, 2 * n));
      detail::MemWriterAccess::Commit(*memory, 2 * n);
      return;
    }
    if (n <= 8) {
      unsigned char text[16];
      Encode(bytes, n, text);
      writer->Write(text, 2 * n);
      return;
    }
    WriteBlock(writer, bytes, n);
  }

  // Out of line: the values above need none of its scratch area.
  __attribute__((noinline)) static void WriteBlock(tvc::ITVCBinaryWriter* writer,
                                                   const unsigned char* bytes, size_t n) {
    if (n > detail::kMaxHexBlockSize) throw std::bad_array_new_length();
    const size_t length = 2 * n;
    detail::CScratchArea<unsigned char> scratch(length);
    EncodeHex(bytes, n, scratch.get());
    writer->Write(scratch.get(), length);
  }
};

using Body = detail::OutputStreamBody<HexFormat>;

}  // namespace

// Emitted here, so that the DLL exports it: programs that take the constant's
// address import it from the library, and an inline constant that the
// library itself only reads at compile time is otherwise never emitted.
constexpr char CPortableOutputStream::HexDigits[17];

static_assert(
    [] {
      for (int d = 0; d < 17; ++d) {
        if (CPortableOutputStream::HexDigits[d] != detail::kHexDigits[d]) return false;
      }
      return true;
    }(),
    "the published digits are the format's");

CPortableOutputStream::CPortableOutputStream(tvc::ITVCBinaryWriter* writer)
    : writer_(writer), byteCount_(0) {}
CPortableOutputStream::CPortableOutputStream(IReadWriteDevice& device)
    : writer_(device.GetWriter()), byteCount_(0) {}
CPortableOutputStream::CPortableOutputStream(IReadWriteDevice* device)
    : CPortableOutputStream(*device) {}
CPortableOutputStream::~CPortableOutputStream() = default;

// Through the virtual PutChar, which a derived stream may override.
void CPortableOutputStream::PutBool(bool value) { PutChar(value ? 'T' : 'F'); }
void CPortableOutputStream::PutChar(char value) { Body(writer_, byteCount_).PutChar(value); }
void CPortableOutputStream::PutBYTE(unsigned char value) {
  Body(writer_, byteCount_).PutBYTE(value);
}
void CPortableOutputStream::PutInt(int value) { Body(writer_, byteCount_).PutInt(value); }
void CPortableOutputStream::PutUint(unsigned int value) {
  Body(writer_, byteCount_).PutUint(value);
}
void CPortableOutputStream::PutShort(short value) { Body(writer_, byteCount_).PutShort(value); }
void CPortableOutputStream::PutLong(long value) { Body(writer_, byteCount_).PutLong(value); }
void CPortableOutputStream::PutDWORD(unsigned long value) {
  Body(writer_, byteCount_).PutDWORD(value);
}
void CPortableOutputStream::PutWORD(unsigned short value) {
  Body(writer_, byteCount_).PutWORD(value);
}
void CPortableOutputStream::PutDouble(double value) { Body(writer_, byteCount_).PutDouble(value); }
void CPortableOutputStream::PutInt64(const std::int64_t& value) {
  Body(writer_, byteCount_).PutInt64(value);
}
void CPortableOutputStream::PutUint64(const std::uint64_t& value) {
  Body(writer_, byteCount_).PutUint64(value);
}
void CPortableOutputStream::PutSizet(size_t value) { Body(writer_, byteCount_).PutSizet(value); }
void CPortableOutputStream::PutN(const void* data, size_t count) {
  Body(writer_, byteCount_).PutN(data, count);
}
size_t CPortableOutputStream::Tell() { return byteCount_; }
bool CPortableOutputStream::IsMeasure() { return false; }

void CPortableOutputStream::WriteType(const unsigned char* bytes, size_t n) {
  Body(writer_, byteCount_).PutN(bytes, n);
}

}  // namespace vx
