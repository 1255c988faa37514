// Also the anchor of IReadWriteDevice, which lives in its header alone (see
// tvc/HeaderClasses.cpp).
#include "vexlo/channels/CMemStreamBuf.h"

#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/IReadWriteDevice.h"

namespace vx {

CMemStreamBuf::CMemStreamBuf(const char* data, size_t size)
    : reader_(new CMemReader(reinterpret_cast<const unsigned char*>(data), size, false)),
      writer_(nullptr) {}

CMemStreamBuf::CMemStreamBuf(char* data, size_t size)
    : CMemStreamBuf(static_cast<const char*>(data), size) {}

CMemStreamBuf::CMemStreamBuf() : CMemStreamBuf(1024) {}

CMemStreamBuf::CMemStreamBuf(size_t initialSize, size_t, size_t)
    : reader_(nullptr), writer_(new CMemWriter(initialSize)) {}

CMemStreamBuf::~CMemStreamBuf() {
  delete writer_;
  delete reader_;
}

tvc::ITVCBinaryReader* CMemStreamBuf::GetReader() { return reader_; }

tvc::ITVCBinaryWriter* CMemStreamBuf::GetWriter() { return writer_; }

const char* CMemStreamBuf::str() {
  return writer_ != nullptr ? reinterpret_cast<const char*>(writer_->GetData()) : "";
}

size_t CMemStreamBuf::out_waiting() { return writer_ != nullptr ? writer_->GetSize() : 0; }

}  // namespace vx
