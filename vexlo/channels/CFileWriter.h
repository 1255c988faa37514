#ifndef VEXLO_CHANNELS_CFILEWRITER_H
#define VEXLO_CHANNELS_CFILEWRITER_H

#include <cstddef>
#include <memory>

#include "vexlo/Export.h"
#include "vexlo/channels/EFileCreationDisposition.h"
#include "vexlo/channels/EFileShareCharacteristics.h"
#include "vexlo/channels/ESeekStart.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

class SharedFileHandle;

/// A byte writer over a file: every `Write` goes straight to the platform's
/// file interface, with no buffer of its own, at the current file position.
///
/// Opening never throws: a writer whose file could not be opened is invalid,
/// which `IsValid()` and the boolean operators tell. Writing reports nothing:
/// a failed or short write, and a write to an invalid writer, go unnoticed.
/// On an invalid writer `Seek` and `GetCurrentPosition` return 0.
///
/// The destructor is not virtual (the writer interface has none), so the
/// class is `final`: it is destroyed through its own type only.
///
/// File positions are 32-bit: `Seek` takes a 32-bit signed distance and
/// positions are `unsigned long` values below 2^32, on every platform.
///
/// Copies share the file, exactly as `CFileReader` copies do: one handle, one
/// position. `Close()` (or a failing `Seek`) on any copy closes the file for
/// all of them; destroying or assigning over a copy only gives up its share,
/// and the last holder closes the file. Copying never throws.
///
/// The enumerations that select the disposition, share mode and seek origin
/// each have a header of their own, named after them.
///
///     vx::CFileWriter out("out.bin", vx::EFileCreationDisposition::CreateAlways,
///                         vx::EFileShareCharacteristics::ShareNone);
///     out.Write("VXL1", 4);
///     out.Close();  // the file is complete and released now
class VX_API CFileWriter final : public tvc::ITVCBinaryWriter {
 public:
  /// An invalid writer that holds no file. Never throws.
  CFileWriter() noexcept;
  /// Starts invalid, then performs `Open(fileName, disposition, share)`.
  CFileWriter(const char* fileName, EFileCreationDisposition disposition,
              EFileShareCharacteristics share);

  /// Shares `other`'s file and position.
  CFileWriter(const CFileWriter& other) noexcept;
  /// Gives up this writer's share of its file (closing it if this was the
  /// last holder), then shares `other`'s. Self-assignment changes nothing.
  CFileWriter& operator=(const CFileWriter& other) noexcept;
  /// Gives up this writer's share; the last holder closes the file.
  ~CFileWriter();

  /// Opens `fileName` (an 8-bit name in the system's code page) for writing
  /// with `disposition` and the share mode that `share` selects; on failure
  /// the writer is invalid. The position starts at 0.
  ///
  /// A writer that already holds a file closes it first, as `Close()` does
  /// (its copies become invalid), and then opens the named file: after
  /// `Open`, `IsValid()` always tells whether the named file is open. The new
  /// file is this writer's alone; former copies do not follow it.
  ///
  /// Throws only `std::bad_alloc`, when the shared handle record cannot be
  /// allocated; that happens first, and the writer is then unchanged.
  void Open(const char* fileName, EFileCreationDisposition disposition,
            EFileShareCharacteristics share);

  /// Writes the `count` bytes at `data` at the current position and advances
  /// it. Nothing is reported: on an invalid writer, or when the platform
  /// fails or writes fewer bytes, the call simply returns.
  ///
  /// The platform takes a 32-bit count. A `count` of 2^32 or more, which it
  /// cannot express, is refused whole: nothing is written and `data` is not
  /// read. (Passing the low 32 bits would silently write a truncated block;
  /// splitting the block would break the rule of one platform call per
  /// `Write`.)
  void Write(const void* data, size_t count) override;

  // The members below behave exactly as CFileReader's of the same names (one
  // body serves both), with the writer in place of the reader.
  bool IsValid() const;      ///< True while a file is open.
  explicit operator bool();  ///< `IsValid()`; for conditions only.
  bool operator!();          ///< `!IsValid()`.
  void Close();              ///< Closes the file for every copy; harmless when invalid.
  /// Moves the position and returns it; a move the platform refuses closes
  /// the file for every copy and returns 0, as does an invalid writer.
  unsigned long Seek(long offset, ESeekStart origin);
  /// The position; 0 for an invalid writer, 4294967295 should the platform
  /// fail (the file stays open).
  unsigned long GetCurrentPosition() const;

 private:
  std::shared_ptr<SharedFileHandle> file_;
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_CFILEWRITER_H
