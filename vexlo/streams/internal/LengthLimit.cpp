#include "vexlo/streams/internal/LengthLimit.h"

#include <cstdio>

#include "vexlo/streams/CStreamFormatException.h"

namespace vx {
namespace detail {

void CheckLengthLimit(const tvc::ITVCInStream& stream, std::uint64_t bytes, const char* who) {
  const size_t limit = LengthLimitOf(stream);
  if (bytes <= limit) return;
  char message[CStreamFormatException::MaxMessageLength + 1];
  std::snprintf(message, sizeof message,
                "%s: a length of %llu bytes is over the stream's length limit of %zu bytes", who,
                static_cast<unsigned long long>(bytes), limit);
  throw CStreamFormatException(message);
}

}  // namespace detail
}  // namespace vx
