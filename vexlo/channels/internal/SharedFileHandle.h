#ifndef VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
#define VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H

/// \file
/// Internal: not exported, included by the file channels' sources only.
/// `CFileReader` and `CFileWriter` are one body: the record they share with
/// their copies, and the operations of `vx::filechannel` that their members
/// of the same names forward to.

#include <cstddef>
#include <cstdint>
#include <system_error>

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
/// - The record keeps the first failure since the open (the channels'
///   `GetError`); a record is opened once, so nothing resets it.
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
  /// holds no file. Returns whether the file is open; keeps the platform's
  /// error when it is not.
  bool Open(const char* fileName, fileapi::DWORD access, EFileShareCharacteristics share,
            fileapi::DWORD disposition) noexcept;

  bool IsOpen() const noexcept;
  fileapi::HANDLE Get() const noexcept { return handle_; }
  /// Closes the handle; keeps the platform's error should that fail.
  void Close() noexcept;

  /// Keeps `error` (never 0) unless an earlier failure is kept.
  void Fail(std::error_code error) noexcept;
  /// `Fail` with the platform's last error, or with `fallback` where the
  /// platform gives none (a call that reported failure without a reason).
  void FailWithLastError(std::errc fallback) noexcept;
  std::error_code Error() const noexcept { return error_; }

 private:
  fileapi::HANDLE handle_;
  std::error_code error_;
};

/// The members that `CFileReader` and `CFileWriter` share, each documented in
/// the channels' headers under its own name. `file` is the channel's record,
/// null in a writer that never opened a file, which acts as a closed one
/// (and has nowhere to keep a failure).
namespace filechannel {

bool IsValid(const SharedFileHandle* file) noexcept;
void Close(SharedFileHandle* file) noexcept;
unsigned long Seek(SharedFileHandle* file, long offset, ESeekStart origin) noexcept;
unsigned long GetCurrentPosition(SharedFileHandle* file) noexcept;
std::uint64_t Seek64(SharedFileHandle* file, std::int64_t offset, ESeekStart origin) noexcept;
std::uint64_t GetCurrentPosition64(SharedFileHandle* file) noexcept;
bool HasFailed(const SharedFileHandle* file) noexcept;
std::error_code GetError(const SharedFileHandle* file) noexcept;
/// True for an open file; otherwise keeps `bad_file_descriptor` and is false.
bool Usable(SharedFileHandle* file) noexcept;
/// One `ReadFile` of `count` bytes (its low 32 bits): true when exactly
/// `count` arrived. False at once for a closed file.
bool Read(SharedFileHandle* file, void* buffer, size_t count) noexcept;
/// One `WriteFile` of `count` bytes. Nothing for a closed file or a `count`
/// beyond 32 bits.
void Write(SharedFileHandle* file, const void* data, size_t count) noexcept;

}  // namespace filechannel

}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_SHAREDFILEHANDLE_H
