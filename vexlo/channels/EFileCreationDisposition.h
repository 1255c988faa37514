#ifndef VEXLO_CHANNELS_EFILECREATIONDISPOSITION_H
#define VEXLO_CHANNELS_EFILECREATIONDISPOSITION_H

namespace vx {

/// How `CFileWriter` opens or creates its file (the Windows dispositions of
/// the same names):
/// - `CreateAlways`: create the file, or truncate an existing one;
/// - `CreateNew`: create the file; fail if it exists;
/// - `OpenAlways`: open the file, creating it if missing;
/// - `OpenExisting`: open the file; fail if it is missing;
/// - `TruncateExisting`: open and truncate; fail if it is missing.
///
/// Any other value, cast from an `int`, leaves the writer invalid. An opened
/// file is written from its start: `OpenAlways` and `OpenExisting` keep the
/// old bytes and overwrite them in place (seek to the end to append).
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
