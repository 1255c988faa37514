#ifndef VEXLO_TVC_TVCIPCEXCEPTION_H
#define VEXLO_TVC_TVCIPCEXCEPTION_H

#include "vexlo/tvc/TVCException.h"

namespace tvc {

/// A failure of a data exchange (IPC or streaming). Holds no data; `what()`
/// is the fixed text "TVCIPCException".
class VX_API TVCIPCException : public TVCException {
 public:
  TVCIPCException() noexcept = default;
  TVCIPCException(const TVCIPCException&) noexcept = default;
  TVCIPCException& operator=(const TVCIPCException&) noexcept = default;
  const char* what() const noexcept override { return "TVCIPCException"; }
};

}  // namespace tvc

#endif  // VEXLO_TVC_TVCIPCEXCEPTION_H
