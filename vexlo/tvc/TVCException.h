#ifndef VEXLO_TVC_TVCEXCEPTION_H
#define VEXLO_TVC_TVCEXCEPTION_H

#include <exception>

#include "vexlo/Export.h"

namespace tvc {

/// Root of the channel exception family. Holds no data; `what()` is the
/// fixed text "TVCException" however the object was made or copied.
///
///     try { reader.Read(buf, n); }
///     catch (const tvc::TVCException& e) { std::puts(e.what()); }
class VX_API TVCException : public std::exception {
 public:
  TVCException() noexcept = default;                     ///< Carries no data.
  TVCException(const TVCException&) noexcept = default;  ///< Copies report the same text.
  TVCException& operator=(const TVCException&) noexcept = default;  ///< Nothing to assign.
  /// The fixed text of this class.
  const char* what() const noexcept override { return "TVCException"; }
};

}  // namespace tvc

#endif  // VEXLO_TVC_TVCEXCEPTION_H
