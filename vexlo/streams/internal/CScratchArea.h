#ifndef VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H
#define VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H

/// \file
/// Internal: the working area of the streams' large values.

#include <boost/smart_ptr/shared_array.hpp>

#include <cstddef>
#include <cstdint>
#include <new>

namespace vx {
namespace detail {

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
  explicit CScratchArea(size_t size) : area_(local_) {
    if (size <= StackSize) return;
    if (size > static_cast<size_t>(PTRDIFF_MAX) / sizeof(T)) throw std::bad_array_new_length();
    // shared_array frees the array itself if it cannot allocate its count.
    holder_.reset(new T[size]);
    area_ = holder_.get();
  }

  CScratchArea(const CScratchArea&) = delete;
  CScratchArea& operator=(const CScratchArea&) = delete;

  /// The first of the `size` elements; valid while the object lives.
  T* get() { return area_; }

 private:
  T local_[StackSize];
  boost::shared_array<T> holder_;
  T* area_;
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_CSCRATCHAREA_H
