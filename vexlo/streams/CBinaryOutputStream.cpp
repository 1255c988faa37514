#include "vexlo/streams/CBinaryOutputStream.h"

#include "vexlo/streams/internal/OutputStreamBody.h"

namespace vx {

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(double) == 8,
              "the layout's widths are those of the host's types, except for long");

VX_DEFINE_OUTPUT_STREAM_MEMBERS(CBinaryOutputStream, Put)

CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter& writer)
    : CBinaryOutputStream(&writer) {}

// The count moves only once the writer has taken the bytes, so that Tell()
// never includes a value that did not reach the channel.
void CBinaryOutputStream::Put(const void* value, size_t width) {
  writer->Write(value, width);
  byteCount += width;
}

void CBinaryOutputStream::PutBool(bool value) { Put(&value, 1); }

}  // namespace vx
