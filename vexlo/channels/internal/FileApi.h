#ifndef VEXLO_CHANNELS_INTERNAL_FILEAPI_H
#define VEXLO_CHANNELS_INTERNAL_FILEAPI_H

/// \file
/// The file channels' platform layer: internal, not exported, never included
/// by a public header.
///
/// It gives the file channels five operations with the names, types and
/// constants of the Windows file interface, so that the channels call them
/// one way on every platform:
///
///     using namespace vx::fileapi;
///     HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr,
///                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
///
/// On Windows (`_WIN32`) they are the real functions and macros of
/// <windows.h>, and `vx::fileapi` only names the types.
///
/// Elsewhere `vx::fileapi` holds a POSIX stand-in written from what the
/// channels rely on, nothing more:
///
/// - `HANDLE` is `void*` and carries a file descriptor as its value;
///   `INVALID_HANDLE_VALUE` (all bits set) is descriptor -1.
/// - `CreateFileA(name, access, share, security, disposition, flags,
///   templateFile)`: `name` is passed to open(2) byte for byte. `access` is
///   `GENERIC_READ`, `GENERIC_WRITE` or both; anything else fails.
///   `disposition` is one of the five Windows dispositions with their Windows
///   meaning (`TRUNCATE_EXISTING` needs write access); any other value, 0
///   included, fails. A directory cannot be opened. New files get mode 0666
///   less the umask; descriptors are close-on-exec. `flags`, `security` and
///   `templateFile` are ignored.
///   Share modes: POSIX has no mandatory share modes, so `share` is accepted
///   and ignored. Every share value opens the file, and no open refuses
///   another; what Windows would refuse (a second opener that the first one's
///   share mode excludes) succeeds here.
/// - `ReadFile(h, buffer, count, &read, nullptr)` reads until `count` bytes
///   arrived or the end of the file, retrying short reads and interrupted
///   calls; it succeeds with fewer bytes at the end of the file and fails
///   (with the bytes so far counted) on an error or an invalid handle.
/// - `WriteFile(h, data, count, &written, nullptr)` writes all `count` bytes,
///   retrying short writes and interrupted calls; it fails on an error.
/// - `SetFilePointer(h, distance, high, method)`: `method` is `FILE_BEGIN`,
///   `FILE_CURRENT` or `FILE_END`, anything else fails. Without `high` the
///   distance is a signed 32-bit value and the resulting position must lie in
///   0 to 4294967295; a position below 0 or beyond 32 bits fails, returns
///   `INVALID_SET_FILE_POINTER` (4294967295) and moves nothing. With `high`
///   the distance is the 64-bit (high, low) pair, the new position's high part
///   is stored back, and only a negative result fails.
/// - `CloseHandle(h)` closes the descriptor; it fails on an invalid one.
///
/// Every failure also sets errno; there is no GetLastError.

#if defined(_WIN32)

# ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
# endif
# ifndef NOMINMAX
#  define NOMINMAX
# endif
# include <windows.h>

namespace vx {
namespace fileapi {
using ::BOOL;
using ::DWORD;
using ::HANDLE;
using ::LONG;
}  // namespace fileapi
}  // namespace vx

#else

# include <cstdint>

namespace vx {
namespace fileapi {

using HANDLE = void*;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD FILE_SHARE_DELETE = 4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

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
BOOL CloseHandle(HANDLE object);

}  // namespace fileapi
}  // namespace vx

#endif

#endif  // VEXLO_CHANNELS_INTERNAL_FILEAPI_H
