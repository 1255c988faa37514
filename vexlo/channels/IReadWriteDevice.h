#ifndef VEXLO_CHANNELS_IREADWRITEDEVICE_H
#define VEXLO_CHANNELS_IREADWRITEDEVICE_H

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

/// An object that hands out a byte reader and a byte writer that it owns.
/// `GetReader()` and `GetWriter()` return the same pointer on every call,
/// valid until the device is destroyed and never deleted by the caller;
/// either may be null when the device offers one direction only. A typed
/// stream made from a device asks it once, in its constructor (what that
/// throws passes to the caller), and must not outlive it; made from a device
/// without that direction, it must not be used.
///
///     vx::CMemStreamBuf buffer;                 // a write device
///     vx::CPortableOutputStream out(buffer);    // calls GetWriter() once
class VX_API IReadWriteDevice {
 public:
  /// The device's reader, or null when it offers no reading.
  virtual tvc::ITVCBinaryReader* GetReader() = 0;
  /// The device's writer, or null when it offers no writing.
  virtual tvc::ITVCBinaryWriter* GetWriter() = 0;
  /// Devices may be destroyed through this interface.
  virtual ~IReadWriteDevice() = default;

 protected:
  IReadWriteDevice() = default;                                    ///< Implementations only.
  IReadWriteDevice(const IReadWriteDevice&) = default;             ///< Implementations only.
  IReadWriteDevice& operator=(const IReadWriteDevice&) = default;  ///< Implementations only.
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_IREADWRITEDEVICE_H
