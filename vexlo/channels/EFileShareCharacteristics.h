#ifndef VEXLO_CHANNELS_EFILESHARECHARACTERISTICS_H
#define VEXLO_CHANNELS_EFILESHARECHARACTERISTICS_H

/// \file
/// Each of the file channels' three enumerations has a header of its own,
/// named after it, like every class of the library: two of them serve both
/// `CFileReader` and `CFileWriter`, and the third follows the same rule.

namespace vx {

/// What other openers of a file may do while a file channel holds it: the
/// share mode that `CFileReader` and `CFileWriter` ask the platform for.
///
/// | Value | Windows share mode      | Others may open the file for |
/// |-------|-------------------------|------------------------------|
/// | 0     | `FILE_SHARE_DELETE` (4) | deleting and renaming only   |
/// | 1     | `FILE_SHARE_WRITE` (2)  | writing                      |
/// | 2     | `FILE_SHARE_READ` (1)   | reading                      |
/// | 3     | 0                       | nothing: no sharing          |
///
/// Any other value, cast from an integer, acts as 3 (no sharing); the
/// underlying type is fixed to `int` so that every `int` is a valid value.
///
/// Share modes are enforced by Windows only. POSIX systems have no mandatory
/// share modes: there every value opens the file alike and no open is ever
/// refused because of another opener's share mode.
///
///     vx::CFileReader log("app.log", vx::EFileShareCharacteristics::ShareWrite);
enum class EFileShareCharacteristics : int {
  ShareDelete = 0,
  ShareWrite = 1,
  ShareRead = 2,
  ShareNone = 3,
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_EFILESHARECHARACTERISTICS_H
