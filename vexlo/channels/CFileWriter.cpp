#include "vexlo/channels/CFileWriter.h"

#include <utility>

#include "vexlo/channels/internal/SharedFileHandle.h"

namespace vx {

using namespace fileapi;

namespace {

DWORD CreationDisposition(EFileCreationDisposition disposition) {
  switch (disposition) {
    case EFileCreationDisposition::CreateAlways:
      return CREATE_ALWAYS;
    case EFileCreationDisposition::CreateNew:
      return CREATE_NEW;
    case EFileCreationDisposition::OpenAlways:
      return OPEN_ALWAYS;
    case EFileCreationDisposition::OpenExisting:
      return OPEN_EXISTING;
    case EFileCreationDisposition::TruncateExisting:
      return TRUNCATE_EXISTING;
    default:
      return 0;  // rejected by the platform
  }
}

}  // namespace

CFileWriter::CFileWriter() noexcept = default;

CFileWriter::CFileWriter(const char* fileName, EFileCreationDisposition disposition,
                         EFileShareCharacteristics share) {
  Open(fileName, disposition, share);
}

CFileWriter::CFileWriter(const CFileWriter& other) noexcept = default;

CFileWriter& CFileWriter::operator=(const CFileWriter& other) noexcept = default;

CFileWriter::~CFileWriter() = default;

// A fresh record rather than the old one: copies that shared the old file
// keep seeing it closed instead of being carried over to the new one.
void CFileWriter::Open(const char* fileName, EFileCreationDisposition disposition,
                       EFileShareCharacteristics share) {
  auto fresh = std::make_shared<SharedFileHandle>();
  Close();
  fresh->Open(fileName, GENERIC_WRITE, share, CreationDisposition(disposition));
  file_ = std::move(fresh);
}

// The members shared with CFileReader are written once, in SharedFileHandle.cpp.

void CFileWriter::Write(const void* data, size_t count) {
  filechannel::Write(file_.get(), data, count);
}

bool CFileWriter::IsValid() const { return filechannel::IsValid(file_.get()); }

CFileWriter::operator bool() { return IsValid(); }

bool CFileWriter::operator!() { return !IsValid(); }

void CFileWriter::Close() { filechannel::Close(file_.get()); }

unsigned long CFileWriter::Seek(long offset, ESeekStart origin) {
  return filechannel::Seek(file_.get(), offset, origin);
}

unsigned long CFileWriter::GetCurrentPosition() const {
  return filechannel::GetCurrentPosition(file_.get());
}

}  // namespace vx
