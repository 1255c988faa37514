#include "vexlo/streams/CBinaryOutputStream.h"

#include <cstring>

#include "vexlo/channels/internal/MemWriterAccess.h"
#include "vexlo/streams/internal/OutputStreamBody.h"

namespace vx {

namespace {

// The binary layout is the value bytes themselves. The count moves only once
// the writer has taken them, so that Tell() never includes a value that did
// not reach the channel. Into a CMemWriter the bytes are copied in place
// (MemWriterAccess), which ends as its Write would, with a copy of the
// value's width instead of a virtual call.
struct BinaryFormat {
  static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount, const unsigned char* bytes,
                    size_t n) {
    if (CMemWriter* const memory = detail::MemWriterAccess::InPlaceFor(writer, bytes, n)) {
      std::memcpy(detail::MemWriterAccess::Room(*memory, n), bytes, n);
      detail::MemWriterAccess::Commit(*memory, n);
    } else {
      writer->Write(bytes, n);
    }
    byteCount += n;
  }
};

using Body = detail::OutputStreamBody<BinaryFormat>;

}  // namespace

CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter& writer)
    : CBinaryOutputStream(&writer) {}
CBinaryOutputStream::CBinaryOutputStream(tvc::ITVCBinaryWriter* writer)
    : writer_(writer), byteCount_(0) {}
CBinaryOutputStream::CBinaryOutputStream(IReadWriteDevice& device)
    : writer_(device.GetWriter()), byteCount_(0) {}
CBinaryOutputStream::CBinaryOutputStream(IReadWriteDevice* device) : CBinaryOutputStream(*device) {}
CBinaryOutputStream::~CBinaryOutputStream() = default;

// A bool is its own byte, 01 or 00.
void CBinaryOutputStream::PutBool(bool value) { Body(writer_, byteCount_).PutN(&value, 1); }
void CBinaryOutputStream::PutChar(char value) { Body(writer_, byteCount_).PutChar(value); }
void CBinaryOutputStream::PutBYTE(unsigned char value) { Body(writer_, byteCount_).PutBYTE(value); }
void CBinaryOutputStream::PutInt(int value) { Body(writer_, byteCount_).PutInt(value); }
void CBinaryOutputStream::PutUint(unsigned int value) { Body(writer_, byteCount_).PutUint(value); }
void CBinaryOutputStream::PutShort(short value) { Body(writer_, byteCount_).PutShort(value); }
void CBinaryOutputStream::PutLong(long value) { Body(writer_, byteCount_).PutLong(value); }
void CBinaryOutputStream::PutDWORD(unsigned long value) {
  Body(writer_, byteCount_).PutDWORD(value);
}
void CBinaryOutputStream::PutWORD(unsigned short value) {
  Body(writer_, byteCount_).PutWORD(value);
}
void CBinaryOutputStream::PutDouble(double value) { Body(writer_, byteCount_).PutDouble(value); }
void CBinaryOutputStream::PutInt64(const std::int64_t& value) {
  Body(writer_, byteCount_).PutInt64(value);
}
void CBinaryOutputStream::PutUint64(const std::uint64_t& value) {
  Body(writer_, byteCount_).PutUint64(value);
}
void CBinaryOutputStream::PutSizet(size_t value) { Body(writer_, byteCount_).PutSizet(value); }
void CBinaryOutputStream::PutN(const void* data, size_t count) {
  Body(writer_, byteCount_).PutN(data, count);
}
size_t CBinaryOutputStream::Tell() { return byteCount_; }
bool CBinaryOutputStream::IsMeasure() { return false; }

void CBinaryOutputStream::Put(const void* value, size_t width) {
  Body(writer_, byteCount_).PutN(value, width);
}

}  // namespace vx
