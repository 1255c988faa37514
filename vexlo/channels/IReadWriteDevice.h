#ifndef VEXLO_CHANNELS_IREADWRITEDEVICE_H
#define VEXLO_CHANNELS_IREADWRITEDEVICE_H

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {

/// An object that hands out a byte reader and a byte writer that it owns.
///
/// - `GetReader()` / `GetWriter()` return the same pointer on every call; it
///   stays valid until the device is destroyed and is never deleted by the
///   caller. Either may be null when the device offers only one direction.
/// - Typed streams constructed from a device call one of them once, in their
///   constructor; such streams must not outlive the device.
/// - Devices may be destroyed through this interface.
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
  // Devices are made and copied through their concrete type.
  IReadWriteDevice() = default;                                    ///< Implementations only.
  IReadWriteDevice(const IReadWriteDevice&) = default;             ///< Implementations only.
  IReadWriteDevice& operator=(const IReadWriteDevice&) = default;  ///< Implementations only.
};

}  // namespace vx

#endif  // VEXLO_CHANNELS_IREADWRITEDEVICE_H
