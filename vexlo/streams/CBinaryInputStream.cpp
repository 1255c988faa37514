#include "vexlo/streams/CBinaryInputStream.h"

#include <cstdio>
#include <cstring>

#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/internal/ByteOrder.h"
#include "vexlo/streams/internal/CScratchArea.h"

namespace vx {

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader& reader)
    : reader(&reader), lengthLimit(SIZE_MAX) {}

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader* reader)
    : reader(reader), lengthLimit(SIZE_MAX) {}

CBinaryInputStream::CBinaryInputStream(IReadWriteDevice& device)
    : reader(device.GetReader()), lengthLimit(SIZE_MAX) {}

CBinaryInputStream::CBinaryInputStream(IReadWriteDevice* device) : CBinaryInputStream(*device) {}

// The local union, not the caller's variable, receives the bytes: a reader
// may have filled part of its buffer before it throws.
void CBinaryInputStream::ReadType(PersistTypeUnion& u, size_t n) { reader->Read(u.bytes, n); }

template <class Wire, class T>
void CBinaryInputStream::GetAs(T& value) {
  PersistTypeUnion u;
  ReadType(u, sizeof(Wire));
  value = static_cast<T>(detail::LoadLittleEndian<Wire>(u.bytes));
}

void CBinaryInputStream::GetBool(bool& value) {
  PersistTypeUnion u;
  ReadType(u, 1);
  const unsigned char byte = u.bytes[0];
  if (byte > 1) {
    char message[CStreamFormatException::MaxMessageLength + 1];
    std::snprintf(message, sizeof message,
                  "CBinaryInputStream: byte 0x%02X is not a bool (00 or 01)",
                  static_cast<unsigned>(byte));
    throw CStreamFormatException(message);
  }
  value = byte == 1;
}

void CBinaryInputStream::GetChar(char& value) { GetAs<char>(value); }

void CBinaryInputStream::GetBYTE(unsigned char& value) { GetAs<unsigned char>(value); }

void CBinaryInputStream::GetInt(int& value) { GetAs<int>(value); }

void CBinaryInputStream::GetUint(unsigned int& value) { GetAs<unsigned int>(value); }

void CBinaryInputStream::GetShort(short& value) { GetAs<short>(value); }

void CBinaryInputStream::GetLong(long& value) { GetAs<std::int32_t>(value); }

void CBinaryInputStream::GetDWORD(unsigned long& value) { GetAs<std::uint32_t>(value); }

void CBinaryInputStream::GetWORD(unsigned short& value) { GetAs<unsigned short>(value); }

void CBinaryInputStream::GetDouble(double& value) { GetAs<double>(value); }

void CBinaryInputStream::GetInt64(std::int64_t& value) { GetAs<std::int64_t>(value); }

void CBinaryInputStream::GetUint64(std::uint64_t& value) { GetAs<std::uint64_t>(value); }

void CBinaryInputStream::GetSizet(size_t& value) { GetAs<std::uint64_t>(value); }

void CBinaryInputStream::GetN(void* data, size_t count) {
  CScratchArea<unsigned char> scratch(count);
  reader->Read(scratch.get(), count);
  if (count != 0) std::memcpy(data, scratch.get(), count);
}

void CBinaryInputStream::SetLengthLimit(size_t maxBytes) { lengthLimit = maxBytes; }

size_t CBinaryInputStream::GetLengthLimit() const { return lengthLimit; }

}  // namespace vx
