#ifndef VEXLO_CHANNELS_CFILEREADER_H
#define VEXLO_CHANNELS_CFILEREADER_H

#include <cstddef>
#include <memory>

#include "vexlo/Export.h"
#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {

class SharedFileHandle;

/// A byte reader over a file: every `Read` goes straight to the platform's
/// file interface, with no buffer of its own.
///
/// Opening never throws: a reader whose file could not be opened is invalid,
/// which `IsValid()` and the boolean operators tell. On an invalid reader
/// `Read` throws, `Seek` and `GetCurrentPosition` return 0.
///
/// The destructor is not virtual (the reader interface has none), so the
/// class is `final`: it is destroyed through its own type only.
///
/// File positions are 32-bit: `Seek` takes a 32-bit signed distance and
/// positions are `unsigned long` values below 2^32, on every platform.
///
/// Copies share the file: a copy uses the same open handle and the same file
/// position as its source (a read through one moves the position of both).
/// The handle is owned jointly and closed exactly once:
/// - `Close()` on any copy closes the file for all of them: every copy is
///   invalid afterwards. A failing `Seek` closes it the same way.
/// - Destroying or assigning over a copy only gives up that copy's share; the
///   file is closed when its last holder is destroyed or reassigned.
/// Copying never throws.
///
///     vx::CFileReader in("data.bin", vx::EFileShareCharacteristics::ShareRead);
///     if (!in) return;                        // missing or locked file
///     const unsigned long size = in.Seek(0, vx::ESeekStart::End);
///     in.Seek(0, vx::ESeekStart::Begin);
///     std::vector<char> bytes(size);
///     in.Read(bytes.data(), bytes.size());    // throws if the file shrank
class VX_API CFileReader final : public tvc::ITVCBinaryReader {
 public:
  /// Opens the existing file `fileName` (an 8-bit name in the system's code
  /// page) for reading, with the share mode that `share` selects. On failure
  /// the reader is invalid. Throws only `std::bad_alloc`, before anything is
  /// opened, when the shared handle record cannot be allocated.
  CFileReader(const char* fileName, EFileShareCharacteristics share);

  /// Shares `other`'s file and position (see the class comment).
  CFileReader(const CFileReader& other) noexcept;
  /// Gives up this reader's share of its file (closing it if this was the
  /// last holder), then shares `other`'s. Self-assignment changes nothing.
  CFileReader& operator=(const CFileReader& other) noexcept;
  /// Gives up this reader's share; the last holder closes the file.
  ~CFileReader();

  /// Reads exactly `count` bytes from the current position into `buffer` and
  /// advances past them, or throws `tvc::TVCBufferUnderrunException`.
  ///
  /// - Near the end of the file, the bytes that were there are placed in
  ///   `buffer` and the position stays after them, at the end; then it throws.
  /// - On an invalid reader it throws, whatever `count` (also 0).
  /// - The platform takes a 32-bit count: of a `count` of 2^32 or more only
  ///   the low 32 bits are asked for, and since that never equals `count`,
  ///   it throws.
  /// - A pipe (a FIFO) has no end until its writer has gone. POSIX systems
  ///   read on while its bytes come in pieces; Windows hands over what the
  ///   pipe holds at the time, so there a `Read` that arrives in pieces
  ///   throws with the first piece in `buffer`.
  /// Nothing is logged.
  void Read(void* buffer, size_t count) override;

  /// True while a file is open.
  bool IsValid() const;
  /// `IsValid()`; for conditions only (`if (reader)`).
  explicit operator bool();
  /// `!IsValid()`.
  bool operator!();

  /// Closes the file for this reader and all its copies; they are all invalid
  /// afterwards. On an invalid reader it does nothing, so closing twice is
  /// harmless.
  void Close();

  /// Moves the file position by `offset` from `origin` and returns the new
  /// position. A move the platform refuses (a position below 0 or beyond 32
  /// bits; where `long` is wider than 32 bits, also an `offset` outside the
  /// 32-bit range) closes the file, as `Close()` does, and returns 0. On an
  /// invalid reader it returns 0 and changes nothing.
  ///
  ///     reader.Seek(-3, vx::ESeekStart::Current);  // back three bytes
  unsigned long Seek(long offset, ESeekStart origin);

  /// The current file position; 0 for an invalid reader. Should the platform
  /// fail, its failure value 4294967295 is returned and the file stays open.
  unsigned long GetCurrentPosition() const;

 private:
  std::shared_ptr<SharedFileHandle> file_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CFILEREADER_H
