#ifndef VEXLO_CHANNELS_INTERNAL_FILEAPI_H
#define VEXLO_CHANNELS_INTERNAL_FILEAPI_H

/// \file
/// The file channels' platform layer: internal, not exported, never included
/// by a public header.
///
/// It gives the file channels the operations they use, with the names, types
/// and constants of the Windows file interface, so that the channels call
/// them one way on every platform:
///
///     using namespace vx::fileapi;
///     HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr,
///                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
///
/// The interface is the same everywhere; the build compiles one of two
/// implementations:
///
/// - FileApiWindows.cpp (Windows): each function passes its arguments
///   unchanged to the Windows function of the same name and returns its
///   result (a 64-bit distance, position or size passes as the
///   `LARGE_INTEGER` of the same value). The constants below have the Windows
///   values. This header never includes <windows.h>, whose macros of these
///   names would replace them.
///   Windows reads a file in one call, short only at its end, but a pipe
///   hands over what it holds: there `ReadFile` may return fewer bytes while
///   more are still to come (and fails with ERROR_BROKEN_PIPE once the
///   writer has gone), where the stand-in below reads on.
/// - FileApiPosix.cpp (elsewhere): a POSIX stand-in written from what the
///   channels rely on, nothing more:
///   - `HANDLE` carries a file descriptor; `INVALID_HANDLE_VALUE` (all bits
///     set) is none.
///   - `CreateFileA(name, access, share, security, disposition, flags,
///     templateFile)`: `name` is passed to open(2) byte for byte. `access` is
///     `GENERIC_READ`, `GENERIC_WRITE` or both; anything else fails.
///     `disposition` is one of the five Windows dispositions with their
///     Windows meaning (`TRUNCATE_EXISTING` needs write access); any other
///     value, 0 included, fails. A directory cannot be opened. New files get
///     mode 0666 less the umask; descriptors are close-on-exec. `flags`,
///     `security` and `templateFile` are ignored. An open that a signal
///     interrupts is tried again.
///     Share modes: POSIX has no mandatory share modes, so `share` is
///     accepted and ignored. Every share value opens the file, and no open
///     refuses another; what Windows would refuse (a second opener that the
///     first one's share mode excludes) succeeds here.
///   - `ReadFile(h, buffer, count, &read, nullptr)` reads until `count` bytes
///     arrived or the end of the file, as Windows reads a file: a read that
///     the system answers in parts (a pipe, a signal) goes on, and one that a
///     signal interrupts is tried again. It succeeds with fewer bytes at the
///     end of the file and fails (with the bytes so far counted) on an error
///     or an invalid handle, also for a `count` of 0.
///   - `WriteFile(h, data, count, &written, nullptr)` writes all `count`
///     bytes, going on after short and interrupted writes; it fails on an
///     error. Writing to a pipe whose reader has gone fails (EPIPE) as on
///     Windows, without the SIGPIPE that would end the process.
///   - `SetFilePointer(h, distance, high, method)`: `method` is `FILE_BEGIN`,
///     `FILE_CURRENT` or `FILE_END`, anything else fails. The channels
///     pass no `high` (it is always null and is not read), so the
///     distance is a signed 32-bit value and the resulting position must lie
///     in 0 to 4294967295; a position below 0 or beyond 32 bits fails,
///     returns `INVALID_SET_FILE_POINTER` (4294967295) and moves nothing.
///     A pipe has no position: every call fails.
///   - `SetFilePointerEx(h, distance, &position, method)`: as
///     `SetFilePointer` with a 64-bit distance and a resulting position in 0
///     to 2^63 - 1 (and below the file system's largest file size), stored
///     in `position` (if not null). Fails (moving nothing) otherwise, and on
///     a pipe.
///   - `GetFileSizeEx(h, &size)`: the size that fstat(2) reports.
///   - `FlushFileBuffers(h)`: fsync(2); fails where the system cannot sync
///     the file (a pipe, most devices).
///   - `CloseHandle(h)` closes the descriptor; it fails on an invalid one
///     (descriptor -1, which close(2) refuses).
///   - `GetLastError()` and `SetLastError(e)` read and set errno: every
///     failure above sets it, and a success may change it.
///
/// On both platforms a value of `GetLastError()` is an error code of
/// `std::system_category()`: a Windows error code there, an errno value here.

#include <cstdint>

namespace vx {
namespace fileapi {

using HANDLE = void*;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

enum : DWORD { GENERIC_READ = 0x80000000u, GENERIC_WRITE = 0x40000000u };
enum : DWORD { FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2, FILE_SHARE_DELETE = 4 };
enum : DWORD {
  CREATE_NEW = 1,
  CREATE_ALWAYS = 2,
  OPEN_EXISTING = 3,
  OPEN_ALWAYS = 4,
  TRUNCATE_EXISTING = 5
};
enum : DWORD { FILE_ATTRIBUTE_NORMAL = 0x80 };
enum : DWORD { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };
enum : DWORD { INVALID_SET_FILE_POINTER = 0xFFFFFFFFu };

// NOLINTNEXTLINE(performance-no-int-to-ptr): a handle value by definition
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                   void* securityAttributes, DWORD creationDisposition, DWORD flagsAndAttributes,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead,
              void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite,
               DWORD* numberOfBytesWritten, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                      DWORD moveMethod);
BOOL GetFileSizeEx(HANDLE file, std::int64_t* fileSize);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);
DWORD GetLastError();
void SetLastError(DWORD errorCode);

}  // namespace fileapi
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_FILEAPI_H
