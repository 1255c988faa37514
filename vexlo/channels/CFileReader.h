#ifndef VEXLO_CHANNELS_CFILEREADER_H
#define VEXLO_CHANNELS_CFILEREADER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <system_error>

#include "vexlo/Export.h"
#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/tvc/ITVCBinaryReader.h"

namespace vx {

class SharedFileHandle;

/// A byte reader over a file: each `Read` is one call of the platform's file
/// interface, with no buffer of its own. Opening never throws: a reader whose
/// file did not open is invalid. Copies share the file, its position and its
/// kept error; `Close()`, or a refused `Seek` or `Seek64`, closes the file for
/// every copy, else the last copy to go closes it. `final`: the destructor is
/// not virtual.
///
/// The first failure since the open is kept, and keeping it changes nothing
/// else: the open's, a platform call's (the system's code: errno on POSIX, a
/// Windows error code), `bad_file_descriptor` for a `Read` of a closed file,
/// `invalid_argument` for a count beyond 32 bits or for the 32-bit position
/// of 4294967295. A short read at the end of the file is no failure.
///
///     vx::CFileReader file("log.dat", vx::EFileShareCharacteristics::ShareRead);
///     vx::CPortableInputStream in(&file);
///     while (file.GetRemaining() > 0) in >> record;  // a cut-off record throws
///     if (file.HasFailed()) std::puts(file.GetError().message().c_str());
class VX_API CFileReader final : public tvc::ITVCBinaryReader {
 public:
  /// Opens the existing file `fileName` (8-bit, the system's code page) with
  /// the share mode of `share`. Throws only `std::bad_alloc`, before opening.
  CFileReader(const char* fileName, EFileShareCharacteristics share);
  CFileReader(const CFileReader& other) noexcept;             ///< Shares `other`'s file.
  CFileReader& operator=(const CFileReader& other) noexcept;  ///< Gives up this one's share.
  ~CFileReader();                                             ///< Gives up this one's share.

  /// Reads exactly `count` bytes and advances past them, or throws
  /// `tvc::TVCBufferUnderrunException`, with the bytes up to the end of the
  /// file in `buffer` and the position after them. Always throws when
  /// invalid, and for a `count` of 2^32 or more (the platform takes 32 bits).
  /// A pipe on Windows hands over what it holds: a read that arrives there
  /// in pieces throws after the first; POSIX reads on.
  void Read(void* buffer, size_t count) override;

  bool IsValid() const;      ///< True while a file is open.
  explicit operator bool();  ///< `IsValid()`.
  bool operator!();          ///< `!IsValid()`.
  void Close();              ///< Closes the file for every copy; harmless when closed.

  /// Moves the position by `offset` from `origin` and returns it. A move the
  /// platform refuses (an offset beyond 32 bits, a position below 0 or not
  /// below 2^32 - 1) closes the file and returns 0; when invalid, returns 0.
  unsigned long Seek(long offset, ESeekStart origin);
  /// The position; 0 when invalid, 4294967295 when the platform fails.
  unsigned long GetCurrentPosition() const;
  /// `Seek` with a 64-bit offset and position.
  std::uint64_t Seek64(std::int64_t offset, ESeekStart origin);
  /// The 64-bit position; 0 when invalid, UINT64_MAX when the platform fails.
  std::uint64_t GetCurrentPosition64() const;
  /// The bytes from the position to the end of the file as it is now; 0 at
  /// or past the end, when invalid, or when the platform fails (a pipe).
  std::uint64_t GetRemaining() const;

  bool HasFailed() const;            ///< Whether a failure is kept.
  std::error_code GetError() const;  ///< The kept failure; a zero code if none.

 private:
  std::shared_ptr<SharedFileHandle> file_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CFILEREADER_H
