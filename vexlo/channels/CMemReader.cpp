#include "vexlo/channels/CMemReader.h"

#include <cstring>

#include "vexlo/tvc/LogErr.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vx {

// A shared owner (rather than a flag) lets copies of an owning reader exist
// without two of them releasing the buffer. shared_ptr's constructor deletes
// the buffer itself when its control block cannot be allocated.
CMemReader::CMemReader(const unsigned char* data, size_t size, bool own)
    : data_(data), size_(size), position_(0) {
  if (own) owner_.reset(data);
}

CMemReader::CMemReader(const std::vector<unsigned char>& bytes) noexcept
    : data_(bytes.data()), size_(bytes.size()), position_(0) {}

CMemReader::CMemReader(const CMemReader& other) noexcept = default;

CMemReader& CMemReader::operator=(const CMemReader& other) noexcept = default;

CMemReader::~CMemReader() = default;

void CMemReader::Read(void* buffer, size_t count) {
  if (count > size_ - position_) {
    tvc::LogErr(
        "CMemReader Read failure - attempt to read %Iu bytes from position %Iu of %Iu byte buffer",
        count, position_, size_);
    throw tvc::TVCBufferUnderrunException();
  }
  // memmove must not see the null pointers that empty buffers may have.
  if (count != 0) std::memmove(buffer, data_ + position_, count);
  position_ += count;
}

size_t CMemReader::GetRemaining() const { return size_ - position_; }

}  // namespace vx
