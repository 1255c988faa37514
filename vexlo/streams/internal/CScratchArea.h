#ifndef VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H
#define VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H

/// \file
/// Internal to the library's streams; not part of its interface.

#include <boost/smart_ptr/shared_array.hpp>

#include <cstddef>
#include <cstdint>
#include <new>

namespace vx {

/// The working area of one stream operation: `StackSize` elements inside the
/// object itself (so on the stack of the call that declares it) for requests
/// of up to that size, and otherwise one heap array of exactly the size asked
/// for, held by a `boost::shared_array` that frees it on every exit, normal
/// or by exception.
///
///     CScratchArea<unsigned char> scratch(2 * n);  // may throw std::bad_alloc
///     reader->Read(scratch.get(), 2 * n);
///
/// A size that no array can have (more than `PTRDIFF_MAX` bytes) is refused
/// with `std::bad_array_new_length`, a `std::bad_alloc`, before the allocator
/// is asked.
template <class T, size_t StackSize = 4096>
class CScratchArea {
 public:
  /// Provides room for `size` elements; may throw `std::bad_alloc`.
  explicit CScratchArea(size_t size) : area(local) {
    if (size <= StackSize) return;
    if (size > static_cast<size_t>(PTRDIFF_MAX) / sizeof(T)) throw std::bad_array_new_length();
    // shared_array frees the array itself if it cannot allocate its count.
    holder.reset(new T[size]);
    area = holder.get();
  }

  CScratchArea(const CScratchArea&) = delete;
  CScratchArea& operator=(const CScratchArea&) = delete;

  /// The first of the `size` elements; valid while the object lives.
  T* get() { return area; }
  /// Whether the room is the heap array.
  bool onHeap() const { return area != local; }

 private:
  T local[StackSize];
  boost::shared_array<T> holder;
  T* area;
};

/// The largest block whose encoding as two characters per byte still has a
/// size that `size_t` can express; larger blocks are refused by the portable
/// streams with `std::bad_array_new_length` before anything else happens.
constexpr size_t MaxHexBlockSize = SIZE_MAX / 2;

}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H
