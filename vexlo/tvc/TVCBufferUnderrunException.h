#ifndef VEXLO_TVC_TVCBUFFERUNDERRUNEXCEPTION_H
#define VEXLO_TVC_TVCBUFFERUNDERRUNEXCEPTION_H

#include "vexlo/tvc/TVCIPCException.h"

namespace tvc {

/// Thrown by every reader of the library when it cannot deliver all the
/// bytes asked for. Thrown by value, constructed without arguments; `what()`
/// is "Buffer underrun error during IPC/streaming" through any base.
///
///     try { in.GetInt(value); }
///     catch (const tvc::TVCBufferUnderrunException&) { /* value unchanged */ }
class VX_API TVCBufferUnderrunException : public TVCIPCException {
 public:
  TVCBufferUnderrunException() noexcept = default;  ///< Carries no data.
  TVCBufferUnderrunException(const TVCBufferUnderrunException&) noexcept =
      default;  ///< Copies report the same text.
  TVCBufferUnderrunException& operator=(const TVCBufferUnderrunException&) noexcept =
      default;  ///< Nothing to assign.
  /// The fixed text of this class.
  const char* what() const noexcept override {
    return "Buffer underrun error during IPC/streaming";
  }
};

}  // namespace tvc

#endif  // VEXLO_TVC_TVCBUFFERUNDERRUNEXCEPTION_H
