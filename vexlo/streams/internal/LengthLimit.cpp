#include "vexlo/streams/internal/LengthLimit.h"

#include <cstdio>

#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"

namespace vx {
namespace detail {

namespace {

// The limit lives in the two concrete streams: the typed input interface has
// no room for it, and its order of operations is fixed.
size_t LengthLimitOf(tvc::ITVCInStream& stream) {
  if (const auto* binary = dynamic_cast<const CBinaryInputStream*>(&stream)) {
    return binary->GetLengthLimit();
  }
  if (const auto* portable = dynamic_cast<const CPortableInputStream*>(&stream)) {
    return portable->GetLengthLimit();
  }
  return SIZE_MAX;
}

}  // namespace

void CheckLengthLimit(tvc::ITVCInStream& stream, std::uint64_t bytes, const char* who) {
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
