#ifndef VEXLO_TVC_ITVCBINARYWRITER_H
#define VEXLO_TVC_ITVCBINARYWRITER_H

#include <cstddef>

#include "vexlo/Export.h"

namespace tvc {

/// A byte channel seen from the writing side. What a failure looks like is
/// each writer's own: the memory writers throw when they cannot grow, the
/// file writer reports nothing.
///
///     void WriteMagic(tvc::ITVCBinaryWriter& out) { out.Write("VXL1", 4); }
class VX_API ITVCBinaryWriter {
 public:
  /// Appends the `count` bytes at `data`; 0 bytes append nothing, and `data`
  /// is then not read.
  virtual void Write(const void* data, size_t count) = 0;

 protected:
  ITVCBinaryWriter() = default;                                    ///< Implementations only.
  ITVCBinaryWriter(const ITVCBinaryWriter&) = default;             ///< Implementations only.
  ITVCBinaryWriter& operator=(const ITVCBinaryWriter&) = default;  ///< Implementations only.
  ~ITVCBinaryWriter() = default;                                   ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCBINARYWRITER_H
