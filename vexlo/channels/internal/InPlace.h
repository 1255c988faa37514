#ifndef VEXLO_CHANNELS_INTERNAL_INPLACE_H
#define VEXLO_CHANNELS_INTERNAL_INPLACE_H

/// \file
/// Internal (not installed): what the streams' in-place doors into the
/// memory channels (MemReaderAccess.h, MemWriterAccess.h) both ask.

#include <cstddef>
#include <functional>
#include <typeinfo>

namespace vx {
namespace detail {

/// `object` as a `T` when that is its exact type (the memory channels are
/// final classes), else null. The type information is compared by address,
/// one comparison; should a module hold a second copy of it, its channels
/// merely take the copying way.
template <class T, class Interface>
T* ExactlyA(Interface* object) noexcept {
  return &typeid(*object) == &typeid(T) ? static_cast<T*>(object) : nullptr;
}

/// Whether the `n` bytes at `p` lie apart from the `size` bytes at `storage`,
/// so that growing or reading the storage cannot touch them.
inline bool Apart(const void* p, size_t n, const unsigned char* storage, size_t size) noexcept {
  const auto* const bytes = static_cast<const unsigned char*>(p);
  const std::less<const unsigned char*> before;
  return !before(bytes, storage + size) || !before(storage, bytes + n);
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_INPLACE_H
