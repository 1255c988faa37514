#include "vexlo/channels/CFileReader.h"

#include "vexlo/channels/internal/SharedFileHandle.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vx {

// The record is allocated before the platform is asked, so that a failed
// allocation leaves no open handle behind.
CFileReader::CFileReader(const char* fileName, EFileShareCharacteristics share)
    : file_(std::make_shared<SharedFileHandle>()) {
  file_->Open(fileName, fileapi::GENERIC_READ, share, fileapi::OPEN_EXISTING);
}

CFileReader::CFileReader(const CFileReader& other) noexcept = default;

CFileReader& CFileReader::operator=(const CFileReader& other) noexcept = default;

CFileReader::~CFileReader() = default;

// The members shared with CFileWriter are written once, in SharedFileHandle.cpp.

void CFileReader::Read(void* buffer, size_t count) {
  if (!filechannel::Read(file_.get(), buffer, count)) throw tvc::TVCBufferUnderrunException();
}

bool CFileReader::IsValid() const { return filechannel::IsValid(file_.get()); }

CFileReader::operator bool() { return IsValid(); }

bool CFileReader::operator!() { return !IsValid(); }

void CFileReader::Close() { filechannel::Close(file_.get()); }

unsigned long CFileReader::Seek(long offset, ESeekStart origin) {
  return filechannel::Seek(file_.get(), offset, origin);
}

unsigned long CFileReader::GetCurrentPosition() const {
  return filechannel::GetCurrentPosition(file_.get());
}

std::uint64_t CFileReader::Seek64(std::int64_t offset, ESeekStart origin) {
  return filechannel::Seek64(file_.get(), offset, origin);
}

std::uint64_t CFileReader::GetCurrentPosition64() const {
  return filechannel::GetCurrentPosition64(file_.get());
}

// The size is asked for after the position: a file that grows meanwhile
// answers at least what was there at the call.
std::uint64_t CFileReader::GetRemaining() const {
  if (!IsValid()) return 0;
  std::int64_t position = 0;
  std::int64_t size = 0;
  if (!fileapi::SetFilePointerEx(file_->Get(), 0, &position, fileapi::FILE_CURRENT) ||
      !fileapi::GetFileSizeEx(file_->Get(), &size)) {
    file_->FailWithLastError(std::errc::io_error);
    return 0;
  }
  return size > position ? static_cast<std::uint64_t>(size - position) : 0;
}

bool CFileReader::HasFailed() const { return filechannel::HasFailed(file_.get()); }

std::error_code CFileReader::GetError() const { return filechannel::GetError(file_.get()); }

}  // namespace vx
