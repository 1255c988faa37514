#ifndef VEXLO_CHANNELS_EFILECREATIONDISPOSITION_H
#define VEXLO_CHANNELS_EFILECREATIONDISPOSITION_H

namespace vx {

/// How `CFileWriter` opens or creates its file.
///
/// | Value | Windows disposition     | Effect                                     |
/// |-------|-------------------------|--------------------------------------------|
/// | 0     | `CREATE_ALWAYS` (2)     | create the file, or truncate an existing one |
/// | 1     | `CREATE_NEW` (1)        | create the file; fail if it exists         |
/// | 2     | `OPEN_ALWAYS` (4)       | open the file, creating it if missing      |
/// | 3     | `OPEN_EXISTING` (3)     | open the file; fail if it is missing       |
/// | 4     | `TRUNCATE_EXISTING` (5) | open and truncate; fail if it is missing   |
///
/// Any other value, cast from an integer, is passed as disposition 0, which
/// the platform rejects: the writer stays invalid. The underlying type is
/// fixed to `int` so that every `int` is a valid value.
///
/// An opened file is written from its start: `OpenAlways` and `OpenExisting`
/// keep the old bytes and overwrite them in place (seek to the end to append).
///
///     vx::CFileWriter out("report.bin", vx::EFileCreationDisposition::CreateNew,
///                         vx::EFileShareCharacteristics::ShareNone);
///     if (!out) { /* the file exists already */ }
enum class EFileCreationDisposition : int {
  CreateAlways = 0,
  CreateNew = 1,
  OpenAlways = 2,
  OpenExisting = 3,
  TruncateExisting = 4,
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_EFILECREATIONDISPOSITION_H
