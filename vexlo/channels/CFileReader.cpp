#include "vexlo/channels/CFileReader.h"

#include "vexlo/channels/internal/SharedFileHandle.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vx {

using namespace fileapi;

// The record is allocated before the platform is asked, so that a failed
// allocation leaves no open handle behind.
CFileReader::CFileReader(const char* fileName, EFileShareCharacteristics share)
    : file_(std::make_shared<SharedFileHandle>()) {
  file_->Open(fileName, GENERIC_READ, share, OPEN_EXISTING);
}

CFileReader::CFileReader(const CFileReader& other) noexcept = default;

CFileReader& CFileReader::operator=(const CFileReader& other) noexcept = default;

CFileReader::~CFileReader() = default;

void CFileReader::Read(void* buffer, size_t count) {
  // An invalid reader does not consult the platform: on Windows the invalid
  // handle value doubles as the current process's pseudo-handle.
  DWORD read = 0;
  if (!IsValid() || !ReadFile(file_->Get(), buffer, static_cast<DWORD>(count), &read, nullptr) ||
      read != count) {
    throw tvc::TVCBufferUnderrunException();
  }
}

bool CFileReader::IsValid() const { return file_ && file_->IsOpen(); }

CFileReader::operator bool() { return IsValid(); }

bool CFileReader::operator!() { return !IsValid(); }

void CFileReader::Close() {
  if (file_) file_->Close();
}

unsigned long CFileReader::Seek(long offset, ESeekStart origin) {
  return file_ ? file_->Seek(offset, origin) : 0;
}

unsigned long CFileReader::GetCurrentPosition() const {
  return file_ ? file_->GetCurrentPosition() : 0;
}

}  // namespace vx
