// The POSIX stand-in for the five Windows file operations (see FileApi.h).
// On Windows the real functions are used and this file compiles to nothing.

#include "vexlo/channels/internal/FileApi.h"

#if !defined(_WIN32)

# include <fcntl.h>
# include <sys/stat.h>
# include <unistd.h>

# include <cerrno>
# include <cstddef>
# include <cstdint>
# include <limits>

namespace vx {
namespace fileapi {

namespace {

int Descriptor(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }

HANDLE Handle(int descriptor) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the stand-in's handles are descriptors
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

// Translates access and disposition into open(2) flags; -1 for a
// combination that Windows would reject.
int OpenFlags(DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  if ((access & ~(GENERIC_READ | GENERIC_WRITE)) != 0 || (!reads && !writes)) return -1;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    case TRUNCATE_EXISTING:
      // Truncating needs write access on Windows; O_TRUNC on a read-only
      // descriptor is unspecified by POSIX.
      return writes ? flags | O_TRUNC : -1;
    default:
      return -1;
  }
}

}  // namespace

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   void* /*securityAttributes*/, DWORD creationDisposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  const int flags = OpenFlags(desiredAccess, creationDisposition);
  if (fileName == nullptr || flags == -1) {
    errno = EINVAL;
    return INVALID_HANDLE_VALUE;
  }
  int fd;
  do {
    fd = ::open(fileName, flags, 0666);
  } while (fd == -1 && errno == EINTR);
  if (fd == -1) return INVALID_HANDLE_VALUE;

  // open(2) hands out read-only descriptors of directories; Windows refuses
  // to open a directory as a file.
  struct stat status;
  const bool known = ::fstat(fd, &status) == 0;
  if (!known || S_ISDIR(status.st_mode)) {
    const int error = known ? EISDIR : errno;
    ::close(fd);
    errno = error;
    return INVALID_HANDLE_VALUE;
  }
  return Handle(fd);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead,
              void* /*overlapped*/) {
  char* const out = static_cast<char*>(buffer);
  DWORD done = 0;
  BOOL result = TRUE;
  // At least one read(2), so that a read of 0 bytes still fails on a
  // descriptor that is invalid or not open for reading.
  do {
    const ssize_t n = ::read(Descriptor(file), out + done, numberOfBytesToRead - done);
    if (n > 0) {
      done += static_cast<DWORD>(n);
    } else if (n == 0) {
      break;  // end of file: success with the bytes so far
    } else if (errno != EINTR) {
      result = FALSE;
    }
  } while (result == TRUE && done < numberOfBytesToRead);
  if (numberOfBytesRead != nullptr) *numberOfBytesRead = done;
  return result;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite,
               DWORD* numberOfBytesWritten, void* /*overlapped*/) {
  const char* const in = static_cast<const char*>(buffer);
  DWORD done = 0;
  BOOL result = TRUE;
  do {
    const ssize_t n = ::write(Descriptor(file), in + done, numberOfBytesToWrite - done);
    if (n > 0) {
      done += static_cast<DWORD>(n);
    } else if (n == 0) {
      // Nothing taken although bytes remain: give up rather than spin.
      if (done < numberOfBytesToWrite) result = FALSE;
    } else if (errno != EINTR) {
      result = FALSE;
    }
  } while (result == TRUE && done < numberOfBytesToWrite);
  if (numberOfBytesWritten != nullptr) *numberOfBytesWritten = done;
  return result;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
  const int fd = Descriptor(file);
  if (::fcntl(fd, F_GETFD) == -1) return INVALID_SET_FILE_POINTER;  // errno is EBADF

  std::int64_t base = 0;
  switch (moveMethod) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      base = ::lseek(fd, 0, SEEK_CUR);
      break;
    case FILE_END: {
      // fstat rather than lseek(SEEK_END): a failed move must move nothing.
      struct stat status;
      base = ::fstat(fd, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
      break;
    }
    default:
      errno = EINVAL;
      return INVALID_SET_FILE_POINTER;
  }
  if (base < 0) return INVALID_SET_FILE_POINTER;

  std::int64_t distance = distanceToMove;
  if (distanceToMoveHigh != nullptr) {
    distance = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceToMoveHigh)) << 32) |
        static_cast<std::uint32_t>(distanceToMove));
  }
  // base is not negative, so only a positive distance can overflow the sum.
  const std::int64_t limit = distanceToMoveHigh == nullptr
                                 ? std::int64_t{0xFFFFFFFF}
                                 : std::numeric_limits<std::int64_t>::max();
  if (distance > 0 && base > limit - distance) {
    errno = EINVAL;
    return INVALID_SET_FILE_POINTER;
  }
  const std::int64_t target = base + distance;
  if (target < 0 || target > limit) {
    errno = EINVAL;
    return INVALID_SET_FILE_POINTER;
  }
  if (::lseek(fd, static_cast<off_t>(target), SEEK_SET) == -1) return INVALID_SET_FILE_POINTER;
  if (distanceToMoveHigh != nullptr) {
    *distanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
  }
  return static_cast<DWORD>(static_cast<std::uint64_t>(target) & 0xFFFFFFFFu);
}

BOOL CloseHandle(HANDLE object) {
  if (object == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return FALSE;
  }
  // Linux releases the descriptor even when close reports EINTR; retrying
  // could close a descriptor that another thread just received.
  return ::close(Descriptor(object)) == 0 || errno == EINTR ? TRUE : FALSE;
}

}  // namespace fileapi
}  // namespace vx

#endif
