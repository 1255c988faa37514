#include "vexlo/streams/CBinaryOutputStream.h"

#include "vexlo/streams/internal/HostByteOrder.h"

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

void CBinaryOutputStream::PutBool(bool value) { Put(&value, 1); }
void CBinaryOutputStream::PutChar(char value) { Put(&value, 1); }
void CBinaryOutputStream::PutBYTE(unsigned char value) { Put(&value, 1); }
void CBinaryOutputStream::PutInt(int value) { Put(&value, 4); }
void CBinaryOutputStream::PutUint(unsigned int value) { Put(&value, 4); }
void CBinaryOutputStream::PutShort(short value) { Put(&value, 2); }

void CBinaryOutputStream::PutLong(long value) {
  const std::int32_t narrow = static_cast<std::int32_t>(value);
  Put(&narrow, 4);
}

void CBinaryOutputStream::PutDWORD(unsigned long value) {
  const std::uint32_t narrow = static_cast<std::uint32_t>(value);
  Put(&narrow, 4);
}

void CBinaryOutputStream::PutWORD(unsigned short value) { Put(&value, 2); }
void CBinaryOutputStream::PutDouble(double value) { Put(&value, 8); }
void CBinaryOutputStream::PutInt64(const std::int64_t& value) { Put(&value, 8); }
void CBinaryOutputStream::PutUint64(const std::uint64_t& value) { Put(&value, 8); }
void CBinaryOutputStream::PutSizet(size_t value) {
  const std::uint64_t wide = value;
  Put(&wide, 8);
}

void CBinaryOutputStream::PutN(const void* data, size_t count) { Put(data, count); }

size_t CBinaryOutputStream::Tell() { return byteCount; }

bool CBinaryOutputStream::IsMeasure() { return false; }

}  // namespace vx
