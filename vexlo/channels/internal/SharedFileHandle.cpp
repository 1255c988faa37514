#include "vexlo/channels/internal/SharedFileHandle.h"

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

}  // namespace

SharedFileHandle::SharedFileHandle() noexcept : handle_(INVALID_HANDLE_VALUE) {}

SharedFileHandle::~SharedFileHandle() { Close(); }

bool SharedFileHandle::Open(const char* fileName, DWORD access, EFileShareCharacteristics share,
                            DWORD disposition) noexcept {
  handle_ = CreateFileA(fileName, access, ShareMode(share), nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen();
}

bool SharedFileHandle::IsOpen() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

void SharedFileHandle::Close() noexcept {
  if (!IsOpen()) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
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
  const DWORD position = distance == offset
                             ? SetFilePointer(file->Get(), distance, nullptr, MoveMethod(origin))
                             : DWORD{INVALID_SET_FILE_POINTER};
  if (position == INVALID_SET_FILE_POINTER) {
    file->Close();
    return 0;
  }
  return position;
}

unsigned long GetCurrentPosition(const SharedFileHandle* file) noexcept {
  if (!IsValid(file)) return 0;
  return SetFilePointer(file->Get(), 0, nullptr, FILE_CURRENT);
}

// A closed file does not consult the platform: on Windows the invalid handle
// value doubles as the current process's pseudo-handle. Of a count beyond 32
// bits the platform is asked for the low 32 bits, which never equal it.
bool Read(SharedFileHandle* file, void* buffer, size_t count) noexcept {
  DWORD read = 0;
  return IsValid(file) &&
         ReadFile(file->Get(), buffer, static_cast<DWORD>(count), &read, nullptr) && read == count;
}

// A count beyond 32 bits is refused whole: its low 32 bits would write a
// truncated block, and splitting it would break the rule of one platform call
// per Write.
void Write(SharedFileHandle* file, const void* data, size_t count) noexcept {
  if (!IsValid(file) || count > kLargestPlatformCount) return;
  DWORD written = 0;
  WriteFile(file->Get(), data, static_cast<DWORD>(count), &written, nullptr);
}

}  // namespace filechannel

}  // namespace vx
