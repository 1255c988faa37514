#ifndef VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
#define VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H

/// \file
/// Internal: not exported, included by the file channels' sources only.
/// `CFileReader` and `CFileWriter` are one body: the record they share with
/// their copies, and the operations of `vx::filechannel` that their members
/// of the same names forward to.

#include <cstddef>

#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/channels/internal/FileApi.h"

namespace vx {

/// One platform file handle, shared by a file channel and all its copies
/// through `std::shared_ptr`, so that the copies use one handle and one file
/// position and the handle is closed exactly once.
///
/// - `Close()` closes the handle at once, for every holder: afterwards all of
///   them see an invalid file.
/// - The destructor, run when the last holder lets go, closes the handle if
///   nobody closed it before.
class SharedFileHandle {
 public:
  /// A record that holds no file.
  SharedFileHandle() noexcept;
  ~SharedFileHandle();
  SharedFileHandle(const SharedFileHandle&) = delete;
  SharedFileHandle& operator=(const SharedFileHandle&) = delete;

  /// Opens `fileName` with `CreateFileA`: the given access and disposition,
  /// the share mode that `share` selects, no security attributes,
  /// `FILE_ATTRIBUTE_NORMAL` and no template file. Only on a record that
  /// holds no file. Returns whether the file is open.
  bool Open(const char* fileName, fileapi::DWORD access, EFileShareCharacteristics share,
            fileapi::DWORD disposition) noexcept;

  bool IsOpen() const noexcept;
  fileapi::HANDLE Get() const noexcept { return handle_; }
  void Close() noexcept;

 private:
  fileapi::HANDLE handle_;
};

/// The members that `CFileReader` and `CFileWriter` share, each documented in
/// the channels' headers under its own name. `file` is the channel's record,
/// null in a writer that never opened a file, which acts as a closed one.
namespace filechannel {

bool IsValid(const SharedFileHandle* file) noexcept;
void Close(SharedFileHandle* file) noexcept;
unsigned long Seek(SharedFileHandle* file, long offset, ESeekStart origin) noexcept;
unsigned long GetCurrentPosition(const SharedFileHandle* file) noexcept;
/// One `ReadFile` of `count` bytes (its low 32 bits): true when exactly
/// `count` arrived. False at once for a closed file.
bool Read(SharedFileHandle* file, void* buffer, size_t count) noexcept;
/// One `WriteFile` of `count` bytes, its outcome ignored. Nothing for a
/// closed file or a `count` beyond 32 bits.
void Write(SharedFileHandle* file, const void* data, size_t count) noexcept;

}  // namespace filechannel

}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
