#include "vexlo/streams/CBinaryOutputStream.h"

#include "vexlo/streams/internal/OutputStreamBody.h"

namespace vx {

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(double) == 8,
              "the layout's widths are those of the host's types, except for long");

namespace {

// The binary layout is the value bytes themselves. The count moves only once
// the writer has taken them, so that Tell() never includes a value that did
// not reach the channel.
struct BinaryFormat {
  static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount, const unsigned char* bytes,
                    size_t n) {
    writer->Write(bytes, n);
    byteCount += n;
  }
};

}  // namespace

VX_DEFINE_OUTPUT_STREAM_MEMBERS(CBinaryOutputStream, BinaryFormat)

CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter& writer)
    : CBinaryOutputStream(&writer) {}

void CBinaryOutputStream::Put(const void* value, size_t width) {
  BinaryFormat::Write(writer, byteCount, static_cast<const unsigned char*>(value), width);
}

void CBinaryOutputStream::PutBool(bool value) {
  BinaryFormat::Write(writer, byteCount, reinterpret_cast<const unsigned char*>(&value), 1);
}

}  // namespace vx
