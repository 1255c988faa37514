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

}  // namespace

// INVALID_HANDLE_VALUE is a macro on Windows, which cannot be qualified:
// the handle is therefore initialised here, under the using-directive.
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

unsigned long SharedFileHandle::Seek(long offset, ESeekStart origin) noexcept {
  if (!IsOpen()) return 0;
  // The platform takes a 32-bit distance. Where `long` is wider, an offset
  // that does not fit is a seek the platform cannot make: it fails like one.
  const LONG distance = static_cast<LONG>(offset);
  const DWORD position = distance == offset
                             ? SetFilePointer(handle_, distance, nullptr, MoveMethod(origin))
                             : INVALID_SET_FILE_POINTER;
  if (position == INVALID_SET_FILE_POINTER) {
    Close();
    return 0;
  }
  return position;
}

unsigned long SharedFileHandle::GetCurrentPosition() const noexcept {
  if (!IsOpen()) return 0;
  return SetFilePointer(handle_, 0, nullptr, FILE_CURRENT);
}

}  // namespace vx
