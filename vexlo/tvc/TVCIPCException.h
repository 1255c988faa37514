#ifndef VEXLO_TVC_TVCIPCEXCEPTION_H
#define VEXLO_TVC_TVCIPCEXCEPTION_H

#include "vexlo/tvc/TVCException.h"

namespace tvc {

/// A failure of a data exchange (IPC or streaming). Holds no data; `what()`
/// is the fixed text "TVCIPCException".
class VX_API TVCIPCException : public TVCException {
 public:
  TVCIPCException() noexcept = default;                        ///< Carries no data.
  TVCIPCException(const TVCIPCException&) noexcept = default;  ///< Copies report the same text.
  TVCIPCException& operator=(const TVCIPCException&) noexcept = default;  ///< Nothing to assign.
  /// The fixed text of this class.
  const char* what() const noexcept override { return "TVCIPCException"; }
};

}  // namespace tvc

#endif  // VEXLO_TVC_TVCIPCEXCEPTION_H
