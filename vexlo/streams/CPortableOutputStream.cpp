#include "vexlo/streams/CPortableOutputStream.h"

#include <cstring>

#include "vexlo/streams/internal/ByteOrder.h"
#include "vexlo/streams/internal/CScratchArea.h"
#include "vexlo/streams/internal/HexBlocks.h"

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
  size_t i = detail::EncodeHexBlocks(in, n, out);
  out += 2 * i;
  for (; i + 4 <= n; i += 4, out += 8) {
    std::memcpy(out, kHexPairs.pair[in[i]], 2);
    std::memcpy(out + 2, kHexPairs.pair[in[i + 1]], 2);
    std::memcpy(out + 4, kHexPairs.pair[in[i + 2]], 2);
    std::memcpy(out + 6, kHexPairs.pair[in[i + 3]], 2);
  }
  for (; i < n; ++i, out += 2) std::memcpy(out, kHexPairs.pair[in[i]], 2);
}

}  // namespace

// Emitted here, so that the DLL exports it: programs that take the constant's
// address import it from the library, and an inline constant that the
// library itself only reads at compile time is otherwise never emitted.
constexpr char CPortableOutputStream::HexDigits[17];

CPortableOutputStream::CPortableOutputStream(tvc::ITVCBinaryWriter* writer)
    : writer(writer), byteCount(0) {}

CPortableOutputStream::CPortableOutputStream(IReadWriteDevice& device)
    : writer(device.GetWriter()), byteCount(0) {}

CPortableOutputStream::CPortableOutputStream(IReadWriteDevice* device)
    : CPortableOutputStream(*device) {}

CPortableOutputStream::~CPortableOutputStream() = default;

// Counting comes first, so every failure (a block whose text size_t cannot
// express, the scratch allocation, the writer) leaves the value counted.
// The size check must precede the doubling below, which would wrap.
void CPortableOutputStream::WriteType(const unsigned char* bytes, size_t n) {
  byteCount += n;
  if (n > MaxHexBlockSize) throw std::bad_array_new_length();
  const size_t length = 2 * n;
  CScratchArea<unsigned char> scratch(length);
  EncodeHex(bytes, n, scratch.get());
  writer->Write(scratch.get(), length);
}

// Each put encodes its own copy of the value, least significant byte first:
// on a little-endian host straight from the copy's memory, elsewhere from a
// converted copy of it.
#define VX_WRITE_LITTLE_ENDIAN(local) \
 detail::WithLittleEndianBytes(       \
     local, [this](const unsigned char* bytes) { WriteType(bytes, sizeof(local)); })

void CPortableOutputStream::PutBool(bool value) { PutChar(value ? 'T' : 'F'); }

void CPortableOutputStream::PutChar(char value) {
  const char local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutBYTE(unsigned char value) {
  const unsigned char local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutInt(int value) {
  const int local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutUint(unsigned int value) {
  const unsigned int local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutShort(short value) {
  const short local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutLong(long value) {
  const std::int32_t local = static_cast<std::int32_t>(value);
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutDWORD(unsigned long value) {
  const std::uint32_t local = static_cast<std::uint32_t>(value);
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutWORD(unsigned short value) {
  const unsigned short local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutDouble(double value) {
  const double local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutInt64(const std::int64_t& value) {
  const std::int64_t local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutUint64(const std::uint64_t& value) {
  const std::uint64_t local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

void CPortableOutputStream::PutSizet(size_t value) {
  const std::uint64_t local = value;
  VX_WRITE_LITTLE_ENDIAN(local);
}

#undef VX_WRITE_LITTLE_ENDIAN

void CPortableOutputStream::PutN(const void* data, size_t count) {
  WriteType(static_cast<const unsigned char*>(data), count);
}

size_t CPortableOutputStream::Tell() { return byteCount; }

bool CPortableOutputStream::IsMeasure() { return false; }

}  // namespace vx
