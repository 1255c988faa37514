#include "vexlo/channels/CFileWriter.h"

#include <new>
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

// A writer that never opened a file has no record to keep its failures in;
// a failing call makes one. Should memory run out then, the failure goes
// unkept: Write and Sync throw nothing.
SharedFileHandle* Record(std::shared_ptr<SharedFileHandle>& file) noexcept {
  if (file == nullptr) {
    try {
      file = std::make_shared<SharedFileHandle>();
    } catch (const std::bad_alloc&) {
    }
  }
  return file.get();
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
  filechannel::Write(Record(file_), data, count);
}

bool CFileWriter::Sync() {
  SharedFileHandle* const file = Record(file_);
  if (!filechannel::Usable(file)) return false;
  if (FlushFileBuffers(file->Get())) return true;
  file->FailWithLastError(std::errc::io_error);
  return false;
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

std::uint64_t CFileWriter::Seek64(std::int64_t offset, ESeekStart origin) {
  return filechannel::Seek64(file_.get(), offset, origin);
}

std::uint64_t CFileWriter::GetCurrentPosition64() const {
  return filechannel::GetCurrentPosition64(file_.get());
}

bool CFileWriter::HasFailed() const { return filechannel::HasFailed(file_.get()); }

std::error_code CFileWriter::GetError() const { return filechannel::GetError(file_.get()); }

}  // namespace vx
