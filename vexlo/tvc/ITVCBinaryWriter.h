#ifndef VEXLO_TVC_ITVCBINARYWRITER_H
#define VEXLO_TVC_ITVCBINARYWRITER_H

#include <cstddef>

#include "vexlo/Export.h"

namespace tvc {

/// A byte channel seen from the writing side: one operation, write n bytes.
///
/// `Write(data, count)` appends the `count` bytes at `data` to the channel.
/// What a failure looks like is the channel's own: the memory writers throw
/// `std::bad_alloc` when they cannot grow (`std::length_error` for a size
/// they cannot represent), the file writer reports nothing.
/// A `Write` of 0 bytes is valid and writes nothing.
///
/// The interface has no virtual destructor: owners destroy writers through
/// their concrete type.
///
///     void WriteMagic(tvc::ITVCBinaryWriter& out) { out.Write("VXL1", 4); }
class VX_API ITVCBinaryWriter {
 public:
  /// Appends the `count` bytes at `data`; `data` must address `count`
  /// readable bytes (it is not read when `count` is 0).
  virtual void Write(const void* data, size_t count) = 0;

 protected:
  // Writers are made, copied and destroyed through their concrete type.
  ITVCBinaryWriter() = default;                                    ///< Implementations only.
  ITVCBinaryWriter(const ITVCBinaryWriter&) = default;             ///< Implementations only.
  ITVCBinaryWriter& operator=(const ITVCBinaryWriter&) = default;  ///< Implementations only.
  ~ITVCBinaryWriter() = default;                                   ///< Implementations only.
};

}  // namespace tvc

#endif  // VEXLO_TVC_ITVCBINARYWRITER_H
