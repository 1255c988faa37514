#include "vexlo/streams/internal/LengthLimit.h"

#include <cstdio>
#include <typeinfo>

#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CStreamFormatException.h"

namespace vx {
namespace detail {

namespace {

// The limit lives in the two concrete streams: the typed input interface has
// no room for it, and its order of operations is fixed. The exact type is
// asked first, which costs a comparison where a dynamic_cast walks the
// hierarchy; classes derived from the two streams take the longer way.
size_t LengthLimitOf(tvc::ITVCInStream& stream) {
  const std::type_info& type = typeid(stream);
  if (type == typeid(CBinaryInputStream)) {
    return static_cast<const CBinaryInputStream&>(stream).GetLengthLimit();
  }
  if (type == typeid(CPortableInputStream)) {
    return static_cast<const CPortableInputStream&>(stream).GetLengthLimit();
  }
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
