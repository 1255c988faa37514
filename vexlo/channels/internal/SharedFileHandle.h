#ifndef VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
#define VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H

/// \file
/// Internal: not exported, included by the file channels' sources only.

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
///
/// It implements the operations that `CFileReader` and `CFileWriter` share;
/// each returns what the channels' operations of the same name return.
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
  unsigned long Seek(long offset, ESeekStart origin) noexcept;
  unsigned long GetCurrentPosition() const noexcept;

 private:
  fileapi::HANDLE handle_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
