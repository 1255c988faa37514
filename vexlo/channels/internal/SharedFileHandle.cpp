#include "vexlo/channels/internal/SharedFileHandle.h"

#include <cstdint>
#include <system_error>

namespace vx {

using namespace fileapi;

namespace {

DWORD ShareMode(EFileShareCharacteristics share) {
  switch (share) {
    case EFileShareCharacteristics::ShareDelete:
      return FILE_SHARE_DELETE;
    case EFileShareCharacteristics::ShareWrite:
      return FILE_SHARE_WRITE;
    case EFileShareCharacteristics::ShareRead:
      return FILE_SHARE_READ;
    default:
      return 0;
  }
}

DWORD MoveMethod(ESeekStart origin) {
  switch (origin) {
    case ESeekStart::Current:
      return FILE_CURRENT;
    case ESeekStart::End:
      return FILE_END;
    default:
      return FILE_BEGIN;
  }
}

constexpr size_t kLargestPlatformCount = 0xFFFFFFFFu;

// What the 32-bit calls cannot take is kept as an invalid argument, as the
// stand-in's refusal of a position beyond 32 bits is: a count beyond 32 bits,
// an offset beyond 32 bits where `long` is wider, and the position
// 4294967295, which SetFilePointer (and the stand-in) report without failing
// and without an error, since it is also their failure value.
constexpr std::errc kBeyond32Bits = std::errc::invalid_argument;

}  // namespace

SharedFileHandle::SharedFileHandle() noexcept : handle_(INVALID_HANDLE_VALUE) {}

SharedFileHandle::~SharedFileHandle() { Close(); }

bool SharedFileHandle::Open(const char* fileName, DWORD access, EFileShareCharacteristics share,
                            DWORD disposition) noexcept {
  handle_ = CreateFileA(fileName, access, ShareMode(share), nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!IsOpen()) FailWithLastError(std::errc::io_error);
  return IsOpen();
}

bool SharedFileHandle::IsOpen() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

void SharedFileHandle::Close() noexcept {
  if (!IsOpen()) return;
  if (!CloseHandle(handle_)) FailWithLastError(std::errc::io_error);
  handle_ = INVALID_HANDLE_VALUE;
}

void SharedFileHandle::Fail(std::error_code error) noexcept {
  if (!error_) error_ = error;
}

// Both platforms' last-error values are system_category codes (FileApi.h).
void SharedFileHandle::FailWithLastError(std::errc fallback) noexcept {
  const DWORD error = GetLastError();
  Fail(error != 0 ? std::error_code(static_cast<int>(error), std::system_category())
                  : std::make_error_code(fallback));
}

namespace filechannel {

bool IsValid(const SharedFileHandle* file) noexcept { return file != nullptr && file->IsOpen(); }

void Close(SharedFileHandle* file) noexcept {
  if (file != nullptr) file->Close();
}

unsigned long Seek(SharedFileHandle* file, long offset, ESeekStart origin) noexcept {
  if (!IsValid(file)) return 0;
  // The platform takes a 32-bit distance. Where `long` is wider, an offset
  // that does not fit is a seek the platform cannot make: it fails like one.
  const LONG distance = static_cast<LONG>(offset);
  SetLastError(0);
  const DWORD position = distance == offset
                             ? SetFilePointer(file->Get(), distance, nullptr, MoveMethod(origin))
                             : DWORD{INVALID_SET_FILE_POINTER};
  if (position == INVALID_SET_FILE_POINTER) {
    file->FailWithLastError(kBeyond32Bits);
    file->Close();
    return 0;
  }
  return position;
}

unsigned long GetCurrentPosition(SharedFileHandle* file) noexcept {
  if (!IsValid(file)) return 0;
  SetLastError(0);
  const DWORD position = SetFilePointer(file->Get(), 0, nullptr, FILE_CURRENT);
  if (position == INVALID_SET_FILE_POINTER) file->FailWithLastError(kBeyond32Bits);
  return position;
}

std::uint64_t Seek64(SharedFileHandle* file, std::int64_t offset, ESeekStart origin) noexcept {
  if (!IsValid(file)) return 0;
  std::int64_t position = 0;
  if (!SetFilePointerEx(file->Get(), offset, &position, MoveMethod(origin))) {
    file->FailWithLastError(std::errc::io_error);
    file->Close();
    return 0;
  }
  return static_cast<std::uint64_t>(position);
}

std::uint64_t GetCurrentPosition64(SharedFileHandle* file) noexcept {
  if (!IsValid(file)) return 0;
  std::int64_t position = 0;
  if (SetFilePointerEx(file->Get(), 0, &position, FILE_CURRENT)) {
    return static_cast<std::uint64_t>(position);
  }
  file->FailWithLastError(std::errc::io_error);
  return UINT64_MAX;
}

bool HasFailed(const SharedFileHandle* file) noexcept {
  return file != nullptr && static_cast<bool>(file->Error());
}

std::error_code GetError(const SharedFileHandle* file) noexcept {
  return file != nullptr ? file->Error() : std::error_code();
}

bool Usable(SharedFileHandle* file) noexcept {
  if (IsValid(file)) return true;
  if (file != nullptr) file->Fail(std::make_error_code(std::errc::bad_file_descriptor));
  return false;
}

// A closed file does not consult the platform: on Windows the invalid handle
// value doubles as the current process's pseudo-handle. Of a count beyond 32
// bits the platform is asked for the low 32 bits, which never equal it. A
// short read at the end of the file is no failure of the platform: the
// channel's exception tells it, and nothing is kept.
bool Read(SharedFileHandle* file, void* buffer, size_t count) noexcept {
  if (!Usable(file)) return false;
  DWORD read = 0;
  if (!ReadFile(file->Get(), buffer, static_cast<DWORD>(count), &read, nullptr)) {
    file->FailWithLastError(std::errc::io_error);
    return false;
  }
  if (count > kLargestPlatformCount) file->Fail(std::make_error_code(kBeyond32Bits));
  return read == count;
}

// A count beyond 32 bits is refused whole: its low 32 bits would write a
// truncated block, and splitting it would break the rule of one platform call
// per Write. A write that reports success with fewer bytes leaves the last
// error at 0, and is kept as an I/O error.
void Write(SharedFileHandle* file, const void* data, size_t count) noexcept {
  if (!Usable(file)) return;
  if (count > kLargestPlatformCount) {
    file->Fail(std::make_error_code(kBeyond32Bits));
    return;
  }
  DWORD written = 0;
  SetLastError(0);
  if (!WriteFile(file->Get(), data, static_cast<DWORD>(count), &written, nullptr) ||
      written != count) {
    file->FailWithLastError(std::errc::io_error);
  }
}

}  // namespace filechannel

}  // namespace vx
