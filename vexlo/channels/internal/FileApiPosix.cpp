// The POSIX stand-in for the five Windows file operations (see FileApi.h).

#include "vexlo/channels/internal/FileApi.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <limits>

// Positions beyond 32 bits need a 64-bit off_t (_FILE_OFFSET_BITS=64 on a
// 32-bit system).
static_assert(sizeof(off_t) >= 8, "off_t must hold 64-bit file positions");

namespace vx {
namespace fileapi {

namespace {

// A handle is the descriptor's value, or for a FIFO -2 minus the descriptor:
// writing to a FIFO takes the SIGPIPE guard below, and the mark spares every
// other write the cost of asking. No handle of either kind is -1, the
// invalid one.
int Descriptor(HANDLE handle) {
  const std::intptr_t value = reinterpret_cast<std::intptr_t>(handle);
  return static_cast<int>(value >= 0 ? value : -2 - value);
}

bool IsPipe(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle) < -1; }

HANDLE Handle(int descriptor, bool pipe) {
  const std::intptr_t value = pipe ? -2 - std::intptr_t{descriptor} : descriptor;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the stand-in's handles are descriptors
  return reinterpret_cast<HANDLE>(value);
}

// Translates access and disposition into open(2) flags; -1 for a
// combination that Windows would reject.
int OpenFlags(DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  if ((access & ~DWORD{GENERIC_READ | GENERIC_WRITE}) != 0 || (!reads && !writes)) return -1;
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

// Windows reads and writes a file in one call; POSIX may answer in parts (a
// pipe hands over what it holds, a signal cuts a call short) or fail with
// EINTR. `step(done)` transfers the bytes after the first `done` and returns
// what read(2) or write(2) returned; it is repeated until `count` bytes are
// done, a step moves nothing (the end of the file) or one fails with another
// error. There is at least one step, so that a count of 0 still fails on a
// descriptor that cannot transfer. A short transfer succeeds only where
// `shortIsEnd` says it marks the end of the file.
template <class Step>
BOOL Repeat(DWORD count, DWORD* transferred, bool shortIsEnd, Step step) {
  DWORD done = 0;
  ssize_t n;
  do {
    n = step(done);
    if (n > 0) done += static_cast<DWORD>(n);
  } while ((n > 0 && done < count) || (n == -1 && errno == EINTR));
  if (transferred != nullptr) *transferred = done;
  if (n == 0 && done < count && !shortIsEnd) errno = EIO;
  return n >= 0 && (done == count || shortIsEnd) ? TRUE : FALSE;
}

// A write to a pipe whose reader has gone raises SIGPIPE, which ends the
// process unless it handles the signal; Windows fails the write instead.
// While this lives, SIGPIPE is blocked in this thread; `TakeBack()` removes
// the one that a failed write raised, unless one was pending already (a
// second one is not queued), before the old mask returns.
class PipeSignalBlock {
 public:
  PipeSignalBlock() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    sigset_t pending;
    wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
  }
  ~PipeSignalBlock() {
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    errno = error;
  }
  PipeSignalBlock(const PipeSignalBlock&) = delete;
  PipeSignalBlock& operator=(const PipeSignalBlock&) = delete;

  void TakeBack() {
    if (wasPending_) return;
    const int error = errno;
    const timespec now = {0, 0};
    while (sigtimedwait(&pipe_, nullptr, &now) == -1 && errno == EINTR) {
    }
    errno = error;
  }

 private:
  sigset_t pipe_;
  sigset_t old_;
  bool wasPending_;
};

// Moves the position of `fd` by `distance` from the origin that `moveMethod`
// selects, to a position in 0 to `largest`. Returns the new position, or -1
// with errno set and the position unchanged.
std::int64_t Move(int fd, std::int64_t distance, DWORD moveMethod, std::int64_t largest) {
  // errno is EBADF
  if (::fcntl(fd, F_GETFD) == -1) return -1;  // GCOVR_EXCL_BR_LINE

  std::int64_t base = 0;
  switch (moveMethod) {  // GCOVR_EXCL_BR_LINE
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      base = ::lseek(fd, 0, SEEK_CUR);
      break;
    case FILE_END: {
      // fstat rather than lseek(SEEK_END): a failed move must move nothing.
      struct stat status;
      const bool known = ::fstat(fd, &status) == 0;
      base = known ? static_cast<std::int64_t>(status.st_size) : -1;  // GCOVR_EXCL_BR_LINE
      break;
    }
    default:  // GCOVR_EXCL_START: the channels ask for the three above only
      errno = EINVAL;
      return -1;
      // GCOVR_EXCL_STOP
  }
  if (base < 0) return -1;

  // base is at least 0, so only a positive distance can overflow the sum.
  if (distance > largest - base || base + distance < 0) {
    errno = EINVAL;
    return -1;
  }
  const std::int64_t target = base + distance;
  if (::lseek(fd, static_cast<off_t>(target), SEEK_SET) == -1) return -1;
  return target;
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
  return Handle(fd, S_ISFIFO(status.st_mode));
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead,
              void* /*overlapped*/) {
  char* const out = static_cast<char*>(buffer);
  const int fd = Descriptor(file);
  return Repeat(numberOfBytesToRead, numberOfBytesRead, true,
                [&](DWORD done) { return ::read(fd, out + done, numberOfBytesToRead - done); });
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite,
               DWORD* numberOfBytesWritten, void* /*overlapped*/) {
  const char* const in = static_cast<const char*>(buffer);
  const int fd = Descriptor(file);
  const auto step = [&](DWORD done) { return ::write(fd, in + done, numberOfBytesToWrite - done); };
  if (!IsPipe(file)) return Repeat(numberOfBytesToWrite, numberOfBytesWritten, false, step);
  PipeSignalBlock block;
  const BOOL result = Repeat(numberOfBytesToWrite, numberOfBytesWritten, false, step);
  if (result == FALSE && errno == EPIPE) block.TakeBack();
  return result;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* /*distanceToMoveHigh*/,
                     DWORD moveMethod) {
  const std::int64_t position =
      Move(Descriptor(file), distanceToMove, moveMethod, std::int64_t{0xFFFFFFFF});
  return position == -1 ? DWORD{INVALID_SET_FILE_POINTER} : static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE file, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                      DWORD moveMethod) {
  const std::int64_t position =
      Move(Descriptor(file), distanceToMove, moveMethod, std::numeric_limits<std::int64_t>::max());
  if (position == -1) return FALSE;
  if (newFilePointer != nullptr) *newFilePointer = position;
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, std::int64_t* fileSize) {
  struct stat status;
  if (::fstat(Descriptor(file), &status) != 0) return FALSE;
  *fileSize = static_cast<std::int64_t>(status.st_size);
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) { return ::fsync(Descriptor(file)) == 0 ? TRUE : FALSE; }

// Linux releases the descriptor even when close reports EINTR; retrying
// could close a descriptor that another thread just received. The invalid
// handle is descriptor -1, which close refuses (EBADF).
BOOL CloseHandle(HANDLE object) {
  return ::close(Descriptor(object)) == 0 || errno == EINTR ? TRUE : FALSE;  // GCOVR_EXCL_BR_LINE
}

DWORD GetLastError() { return static_cast<DWORD>(errno); }

void SetLastError(DWORD errorCode) { errno = static_cast<int>(errorCode); }

}  // namespace fileapi
}  // namespace vx
