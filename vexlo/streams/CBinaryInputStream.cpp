#include "vexlo/streams/CBinaryInputStream.h"

#include <cstdio>
#include <cstring>

#include "vexlo/streams/CScratchArea.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/HostByteOrder.h"

namespace vx {

namespace {

template <class T>
T ValueOf(const PersistTypeUnion& u) {
  T value;
  std::memcpy(&value, u.bytes, sizeof value);
  return value;
}

}  // namespace

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader& reader) : reader(&reader) {}

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader* reader) : reader(reader) {}

CBinaryInputStream::CBinaryInputStream(IReadWriteDevice& device) : reader(device.GetReader()) {}

CBinaryInputStream::CBinaryInputStream(IReadWriteDevice* device) : CBinaryInputStream(*device) {}

// The local union, not the caller's variable, receives the bytes: a reader
// may have filled part of its buffer before it throws.
void CBinaryInputStream::ReadType(PersistTypeUnion& u, size_t n) { reader->Read(u.bytes, n); }

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

void CBinaryInputStream::GetChar(char& value) {
  PersistTypeUnion u;
  ReadType(u, 1);
  value = ValueOf<char>(u);
}

void CBinaryInputStream::GetBYTE(unsigned char& value) {
  PersistTypeUnion u;
  ReadType(u, 1);
  value = ValueOf<unsigned char>(u);
}

void CBinaryInputStream::GetInt(int& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<int>(u);
}

void CBinaryInputStream::GetUint(unsigned int& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<unsigned int>(u);
}

void CBinaryInputStream::GetShort(short& value) {
  PersistTypeUnion u;
  ReadType(u, 2);
  value = ValueOf<short>(u);
}

void CBinaryInputStream::GetLong(long& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<std::int32_t>(u);
}

void CBinaryInputStream::GetDWORD(unsigned long& value) {
  PersistTypeUnion u;
  ReadType(u, 4);
  value = ValueOf<std::uint32_t>(u);
}

void CBinaryInputStream::GetWORD(unsigned short& value) {
  PersistTypeUnion u;
  ReadType(u, 2);
  value = ValueOf<unsigned short>(u);
}

void CBinaryInputStream::GetDouble(double& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<double>(u);
}

void CBinaryInputStream::GetInt64(std::int64_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<std::int64_t>(u);
}

void CBinaryInputStream::GetUint64(std::uint64_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = ValueOf<std::uint64_t>(u);
}

void CBinaryInputStream::GetSizet(size_t& value) {
  PersistTypeUnion u;
  ReadType(u, 8);
  value = static_cast<size_t>(ValueOf<std::uint64_t>(u));
}

void CBinaryInputStream::GetN(void* data, size_t count) {
  CScratchArea<unsigned char> scratch(count);
  reader->Read(scratch.get(), count);
  if (count != 0) std::memcpy(data, scratch.get(), count);
}

}  // namespace vx
