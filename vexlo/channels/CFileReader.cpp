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

}  // namespace vx
