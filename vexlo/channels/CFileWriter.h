#ifndef VEXLO_CHANNELS_CFILEWRITER_H
#define VEXLO_CHANNELS_CFILEWRITER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <system_error>

#include "vexlo/Export.h"
#include "vexlo/channels/EFileCreationDisposition.h"
#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

class SharedFileHandle;

/// A byte writer over a file: each `Write` is one call of the platform's file
/// interface at the current position, with no buffer of its own. Opening,
/// copies, `Close`, seeking and the kept failure are as in `CFileReader`;
/// `Write` and `Sync` on a closed file keep `bad_file_descriptor`. `Write`
/// reports nothing itself: a failed or short write, or one to an invalid
/// writer, shows in `HasFailed()` and `GetError()` only.
///
///     vx::CFileWriter log("log.dat", vx::EFileCreationDisposition::OpenAlways,
///                         vx::EFileShareCharacteristics::ShareRead);
///     log.Seek64(0, vx::ESeekStart::End);  // append
///     log.Write("VXL1", 4);
///     if (!log.Sync()) std::puts(log.GetError().message().c_str());
class VX_API CFileWriter final : public tvc::ITVCBinaryWriter {
 public:
  CFileWriter() noexcept;  ///< An invalid writer that holds no file.
  /// Starts invalid, then performs `Open(fileName, disposition, share)`.
  CFileWriter(const char* fileName, EFileCreationDisposition disposition,
              EFileShareCharacteristics share);
  CFileWriter(const CFileWriter& other) noexcept;             ///< Shares `other`'s file.
  CFileWriter& operator=(const CFileWriter& other) noexcept;  ///< Gives up this one's share.
  ~CFileWriter();                                             ///< Gives up this one's share.

  /// Closes a file this writer holds, as `Close()` does, then opens
  /// `fileName` for writing with `disposition` and `share`, at position 0
  /// and with no failure kept; the file is this writer's alone. Throws only
  /// `std::bad_alloc`, first, leaving the writer unchanged.
  void Open(const char* fileName, EFileCreationDisposition disposition,
            EFileShareCharacteristics share);

  /// Writes the `count` bytes at `data` at the position and advances it. A
  /// `count` of 2^32 or more (the platform takes 32 bits) is refused whole,
  /// `data` unread, rather than cut or split into several platform calls.
  void Write(const void* data, size_t count) override;
  /// Asks the system to put the file's data on its device (fsync,
  /// FlushFileBuffers); true once it has.
  bool Sync();

  bool IsValid() const;                                          ///< See `CFileReader`.
  explicit operator bool();                                      ///< `IsValid()`.
  bool operator!();                                              ///< `!IsValid()`.
  void Close();                                                  ///< See `CFileReader`.
  unsigned long Seek(long offset, ESeekStart origin);            ///< See `CFileReader`.
  unsigned long GetCurrentPosition() const;                      ///< See `CFileReader`.
  std::uint64_t Seek64(std::int64_t offset, ESeekStart origin);  ///< See `CFileReader`.
  std::uint64_t GetCurrentPosition64() const;                    ///< See `CFileReader`.
  bool HasFailed() const;                                        ///< See `CFileReader`.
  std::error_code GetError() const;                              ///< See `CFileReader`.

 private:
  std::shared_ptr<SharedFileHandle> file_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CFILEWRITER_H
