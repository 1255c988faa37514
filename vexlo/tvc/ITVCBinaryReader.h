#ifndef VEXLO_TVC_ITVCBINARYREADER_H
#define VEXLO_TVC_ITVCBINARYREADER_H

#include <cstddef>

#include "vexlo/Export.h"

namespace tvc {

/// A byte channel seen from the reading side. `Read` never returns having
/// delivered fewer bytes than asked for; a `Read` of 0 bytes does nothing,
/// except on a channel that cannot read at all, which throws. What the
/// buffer holds after a throw, and how far the channel advanced, is each
/// reader's own rule.
///
///     void ReadHeader(tvc::ITVCBinaryReader& in) {
///       unsigned char magic[4];
///       in.Read(magic, sizeof magic);  // throws if fewer than 4 bytes remain
///     }
class VX_API ITVCBinaryReader {
 public:
  /// Copies exactly `count` bytes into `buffer`, which holds that many, and
  /// advances past them; or throws `TVCBufferUnderrunException`.
  virtual void Read(void* buffer, size_t count) = 0;

 protected:
  ITVCBinaryReader() = default;                                    ///< Implementations only.
  ITVCBinaryReader(const ITVCBinaryReader&) = default;             ///< Implementations only.
  ITVCBinaryReader& operator=(const ITVCBinaryReader&) = default;  ///< Implementations only.
  ~ITVCBinaryReader() = default;                                   ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCBINARYREADER_H
