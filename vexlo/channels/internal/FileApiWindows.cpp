// The file channels' platform layer on Windows: each operation is the
// Windows function of the same name (see FileApi.h). The layer's header comes
// first: <windows.h> defines its constants' names as macros, which must not
// reach the header's declarations.

#include "vexlo/channels/internal/FileApi.h"

#ifndef WIN32_LEAN_AND_MEAN
# define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
# define NOMINMAX
#endif
#include <windows.h>

#include <type_traits>

// The layer's types carry Windows values unchanged. DWORD and LONG are
// `unsigned long` and `long` there, of the same width but other types, so
// counts and distances pass through variables of the Windows types.
static_assert(std::is_same_v<vx::fileapi::HANDLE, ::HANDLE>);
static_assert(std::is_same_v<vx::fileapi::BOOL, ::BOOL>);
static_assert(sizeof(vx::fileapi::DWORD) == sizeof(::DWORD));
static_assert(sizeof(vx::fileapi::LONG) == sizeof(::LONG));

namespace vx {
namespace fileapi {

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                   void* securityAttributes, DWORD creationDisposition, DWORD flagsAndAttributes,
                   HANDLE templateFile) {
  return ::CreateFileA(fileName, desiredAccess, shareMode,
                       static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes), creationDisposition,
                       flagsAndAttributes, templateFile);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead,
              void* overlapped) {
  ::DWORD read = 0;
  const BOOL result =
      ::ReadFile(file, buffer, numberOfBytesToRead, &read, static_cast<LPOVERLAPPED>(overlapped));
  if (numberOfBytesRead != nullptr) *numberOfBytesRead = static_cast<DWORD>(read);
  return result;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite,
               DWORD* numberOfBytesWritten, void* overlapped) {
  ::DWORD written = 0;
  const BOOL result = ::WriteFile(file, buffer, numberOfBytesToWrite, &written,
                                  static_cast<LPOVERLAPPED>(overlapped));
  if (numberOfBytesWritten != nullptr) *numberOfBytesWritten = static_cast<DWORD>(written);
  return result;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
  ::LONG high = distanceToMoveHigh != nullptr ? *distanceToMoveHigh : 0;
  const ::DWORD result = ::SetFilePointer(
      file, distanceToMove, distanceToMoveHigh != nullptr ? &high : nullptr, moveMethod);
  if (distanceToMoveHigh != nullptr) *distanceToMoveHigh = static_cast<LONG>(high);
  return static_cast<DWORD>(result);
}

BOOL SetFilePointerEx(HANDLE file, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                      DWORD moveMethod) {
  LARGE_INTEGER distance;
  distance.QuadPart = distanceToMove;
  LARGE_INTEGER position;
  const BOOL result = ::SetFilePointerEx(file, distance, &position, moveMethod);
  if (result && newFilePointer != nullptr) *newFilePointer = position.QuadPart;
  return result;
}

BOOL GetFileSizeEx(HANDLE file, std::int64_t* fileSize) {
  LARGE_INTEGER size;
  const BOOL result = ::GetFileSizeEx(file, &size);
  if (result) *fileSize = size.QuadPart;
  return result;
}

BOOL FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }

BOOL CloseHandle(HANDLE object) { return ::CloseHandle(object); }

DWORD GetLastError() { return static_cast<DWORD>(::GetLastError()); }

void SetLastError(DWORD errorCode) { ::SetLastError(errorCode); }

}  // namespace fileapi
}  // namespace vx
