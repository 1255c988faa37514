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

}  // namespace

VX_DEFINE_INPUT_STREAM_MEMBERS(CBinaryInputStream, BinaryFormat)

CBinaryInputStream::CBinaryInputStream(tvc::ITVCBinaryReader& reader)
    : CBinaryInputStream(&reader) {}

void CBinaryInputStream::GetBool(bool& value) {
  PersistTypeUnion u;
  detail::ReadValue<BinaryFormat>(reader, u.bytes, 1);
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

}  // namespace vx
