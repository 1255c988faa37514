#include "vexlo/streams/CBinaryInputStream.h"

#include <cstdio>
#include <cstring>

#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/internal/InputStreamBody.h"

namespace vx {

namespace {

// The binary layout is the value bytes themselves: nothing to decode.
struct BinaryFormat {
  static constexpr bool kEncodedAsIs = true;
  static constexpr size_t kMaxBlock = SIZE_MAX;  // CScratchArea refuses what no array can be
  static constexpr size_t EncodedSize(size_t n) { return n; }
  static void Decode(const unsigned char* bytes, size_t n, unsigned char* destination) {
    if (n != 0) std::memcpy(destination, bytes, n);
  }
};

using Body = detail::InputStreamBody<BinaryFormat>;

}  // namespace

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader& reader)
    : CBinaryInputStream(&reader) {}
CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader* reader)
    : reader_(reader), lengthLimit_(SIZE_MAX) {}
CBinaryInputStream::CBinaryInputStream(IReadWriteDevice& device)
    : reader_(device.GetReader()), lengthLimit_(SIZE_MAX) {}
CBinaryInputStream::CBinaryInputStream(IReadWriteDevice* device) : CBinaryInputStream(*device) {}

// A byte other than 00 and 01 cannot have come from a bool: the reader is out
// of step with the writer, which taking it as true would hide.
void CBinaryInputStream::GetBool(bool& value) {
  unsigned char byte;
  Body(reader_).GetValueBytes(&byte, 1);
  if (byte > 1) {
    char message[CStreamFormatException::MaxMessageLength + 1];
    std::snprintf(message, sizeof message,
                  "CBinaryInputStream: byte 0x%02X is not a bool (00 or 01)",
                  static_cast<unsigned>(byte));
    throw CStreamFormatException(message);
  }
  value = byte == 1;
}
void CBinaryInputStream::GetChar(char& value) { Body(reader_).GetChar(value); }
void CBinaryInputStream::GetBYTE(unsigned char& value) { Body(reader_).GetBYTE(value); }
void CBinaryInputStream::GetInt(int& value) { Body(reader_).GetInt(value); }
void CBinaryInputStream::GetUint(unsigned int& value) { Body(reader_).GetUint(value); }
void CBinaryInputStream::GetShort(short& value) { Body(reader_).GetShort(value); }
void CBinaryInputStream::GetLong(long& value) { Body(reader_).GetLong(value); }
void CBinaryInputStream::GetDWORD(unsigned long& value) { Body(reader_).GetDWORD(value); }
void CBinaryInputStream::GetWORD(unsigned short& value) { Body(reader_).GetWORD(value); }
void CBinaryInputStream::GetDouble(double& value) { Body(reader_).GetDouble(value); }
void CBinaryInputStream::GetInt64(std::int64_t& value) { Body(reader_).GetInt64(value); }
void CBinaryInputStream::GetUint64(std::uint64_t& value) { Body(reader_).GetUint64(value); }
void CBinaryInputStream::GetSizet(size_t& value) { Body(reader_).GetSizet(value); }
void CBinaryInputStream::GetN(void* data, size_t count) { Body(reader_).GetN(data, count); }

void CBinaryInputStream::SetLengthLimit(size_t maxBytes) { lengthLimit_ = maxBytes; }
size_t CBinaryInputStream::GetLengthLimit() const { return lengthLimit_; }

void CBinaryInputStream::ReadType(PersistTypeUnion& u, size_t n) {
  Body(reader_).GetValueBytes(u.bytes, n);
}

}  // namespace vx
