#ifndef VEXLO_CHANNELS_ESEEKSTART_H
#define VEXLO_CHANNELS_ESEEKSTART_H

namespace vx {

/// The origin from which the file channels' `Seek` moves the file position.
///
/// | Value | Windows move method | Distance counted from       |
/// |-------|---------------------|-----------------------------|
/// | 0     | `FILE_BEGIN` (0)    | the start of the file       |
/// | 1     | `FILE_CURRENT` (1)  | the current position        |
/// | 2     | `FILE_END` (2)      | the end of the file         |
///
/// Any other value, cast from an integer, acts as 0 (from the start). The
/// underlying type is fixed to `int` so that every `int` is a valid value.
///
///     const unsigned long size = file.Seek(0, vx::ESeekStart::End);
enum class ESeekStart : int {
  Begin = 0,
  Current = 1,
  End = 2,
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_ESEEKSTART_H
