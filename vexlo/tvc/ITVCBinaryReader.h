#ifndef VEXLO_TVC_ITVCBINARYREADER_H
#define VEXLO_TVC_ITVCBINARYREADER_H

#include <cstddef>

#include "vexlo/Export.h"

namespace tvc {

/// A byte channel seen from the reading side: one operation, read n bytes.
///
/// Every reader of the library keeps this contract:
/// - `Read(buffer, count)` either copies exactly `count` bytes into `buffer`
///   and advances past them, or throws `TVCBufferUnderrunException`. It never
///   returns having delivered fewer bytes than asked for.
/// - A `Read` of 0 bytes does nothing, except on a channel that cannot read
///   at all (an invalid file reader), where it throws.
/// - What the buffer holds after a throw, and how far the channel advanced,
///   is the channel's own rule (see each reader).
///
/// The interface has no virtual destructor: owners destroy readers through
/// their concrete type.
///
///     void ReadHeader(tvc::ITVCBinaryReader& in) {
///       unsigned char magic[4];
///       in.Read(magic, sizeof magic);  // throws if fewer than 4 bytes remain
///     }
class VX_API ITVCBinaryReader {
 public:
  /// Copies exactly `count` bytes into `buffer`, or throws
  /// `TVCBufferUnderrunException`. `buffer` must hold `count` bytes.
  virtual void Read(void* buffer, size_t count) = 0;

 protected:
  // Readers are made, copied and destroyed through their concrete type.
  ITVCBinaryReader() = default;                                    ///< Implementations only.
  ITVCBinaryReader(const ITVCBinaryReader&) = default;             ///< Implementations only.
  ITVCBinaryReader& operator=(const ITVCBinaryReader&) = default;  ///< Implementations only.
  ~ITVCBinaryReader() = default;                                   ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCBINARYREADER_H
