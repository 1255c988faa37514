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
  TVCException() noexcept = default;
  TVCException(const TVCException&) noexcept = default;
  TVCException& operator=(const TVCException&) noexcept = default;
  const char* what() const noexcept override { return "TVCException"; }
};

}  // namespace tvc

#endif  // VEXLO_TVC_TVCEXCEPTION_H
