#ifndef VEXLO_CHANNELS_EFILESHARECHARACTERISTICS_H
#define VEXLO_CHANNELS_EFILESHARECHARACTERISTICS_H

namespace vx {

/// What other openers of a file may do while a file channel holds it, the
/// share mode that `CFileReader` and `CFileWriter` ask the platform for:
/// `ShareDelete` delete or rename it, `ShareWrite` write it, `ShareRead` read
/// it, `ShareNone` (and any other value, cast from an `int`) nothing. Only
/// Windows enforces share modes; on POSIX systems every value opens the file
/// alike, and no open is refused for another opener's share mode.
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
