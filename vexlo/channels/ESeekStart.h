#ifndef VEXLO_CHANNELS_ESEEKSTART_H
#define VEXLO_CHANNELS_ESEEKSTART_H

namespace vx {

/// The origin from which the file channels' `Seek` moves the file position:
/// the start of the file (`Begin`, and any other value cast from an `int`),
/// the current position or the end of the file.
///
///     const unsigned long size = file.Seek(0, vx::ESeekStart::End);
enum class ESeekStart : int {
  Begin = 0,
  Current = 1,
  End = 2,
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_ESEEKSTART_H
