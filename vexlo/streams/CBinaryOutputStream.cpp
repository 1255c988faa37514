#include "vexlo/streams/CBinaryOutputStream.h"

#include "vexlo/streams/internal/ByteOrder.h"

namespace vx {

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(double) == 8,
              "the layout's widths are those of the host's types, except for long");

CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter& writer)
    : writer(&writer), byteCount(0) {}

CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter* writer)
    : writer(writer), byteCount(0) {}

CBinaryOutputStream::CBinaryOutputStream(IReadWriteDevice& device)
    : writer(device.GetWriter()), byteCount(0) {}

CBinaryOutputStream::CBinaryOutputStream(IReadWriteDevice* device) : CBinaryOutputStream(*device) {}

CBinaryOutputStream::~CBinaryOutputStream() = default;

// The count moves only once the writer has taken the bytes, so that Tell()
// never includes a value that did not reach the channel.
void CBinaryOutputStream::Put(const void* value, size_t width) {
  writer->Write(value, width);
  byteCount += width;
}

// Each put hands the value's bytes, least significant first, to Put: on a
// little-endian host the memory of its own argument (the caller's variable
// for the 64-bit integers), elsewhere a converted copy; one Write either way.
#define VX_PUT_LITTLE_ENDIAN(value)   \
 detail::WithLittleEndianBytes(value, \
                               [this](const unsigned char* bytes) { Put(bytes, sizeof(value)); })

void CBinaryOutputStream::PutBool(bool value) { Put(&value, 1); }
void CBinaryOutputStream::PutChar(char value) { Put(&value, 1); }
void CBinaryOutputStream::PutBYTE(unsigned char value) { Put(&value, 1); }
void CBinaryOutputStream::PutInt(int value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutUint(unsigned int value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutShort(short value) { VX_PUT_LITTLE_ENDIAN(value); }

void CBinaryOutputStream::PutLong(long value) {
  const std::int32_t narrow = static_cast<std::int32_t>(value);
  VX_PUT_LITTLE_ENDIAN(narrow);
}

void CBinaryOutputStream::PutDWORD(unsigned long value) {
  const std::uint32_t narrow = static_cast<std::uint32_t>(value);
  VX_PUT_LITTLE_ENDIAN(narrow);
}

void CBinaryOutputStream::PutWORD(unsigned short value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutDouble(double value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutInt64(const std::int64_t& value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutUint64(const std::uint64_t& value) { VX_PUT_LITTLE_ENDIAN(value); }
void CBinaryOutputStream::PutSizet(size_t value) {
  const std::uint64_t wide = value;
  VX_PUT_LITTLE_ENDIAN(wide);
}

#undef VX_PUT_LITTLE_ENDIAN

void CBinaryOutputStream::PutN(const void* data, size_t count) { Put(data, count); }

size_t CBinaryOutputStream::Tell() { return byteCount; }

bool CBinaryOutputStream::IsMeasure() { return false; }

}  // namespace vx
