#ifndef VEXLO_CHANNELS_INTERNAL_GROWSTORAGE_H
#define VEXLO_CHANNELS_INTERNAL_GROWSTORAGE_H

/// \file
/// Internal (not installed): the growth step of the memory writers.

#include <cstddef>
#include <cstring>

namespace vx {
namespace detail {

/// The growth step that `CMemWriter` and `PXIpcStreamBuf` share: moves the
/// first `used` bytes of `storage` (null when `used` is 0) into new storage
/// of `capacity` bytes from `new Byte[]`, appends the `count` bytes at `data`
/// behind them, and releases the old storage with `delete[]`. `data` may lie
/// in the old storage: it is copied before the release. Should the
/// allocation throw, nothing has changed.
template <class Byte>
void GrowStorage(Byte*& storage, size_t used, size_t capacity, const void* data, size_t count) {
  Byte* const fresh = new Byte[capacity];
  if (used != 0) std::memcpy(fresh, storage, used);
  if (count != 0) std::memcpy(fresh + used, data, count);
  delete[] storage;
  storage = fresh;
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_CHANNELS_INTERNAL_GROWSTORAGE_H
