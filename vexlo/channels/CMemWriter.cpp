#include "vexlo/channels/CMemWriter.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "vexlo/channels/internal/GrowStorage.h"
#include "vexlo/channels/internal/MemWriterAccess.h"

namespace vx {

namespace {

// The largest buffer: what a byte vector's max_size() reports, and what an
// array of bytes can span.
constexpr size_t kLargestBuffer = static_cast<size_t>(std::numeric_limits<std::ptrdiff_t>::max());

size_t Grown(size_t capacity, size_t needed) {
  const size_t half = capacity / 2;
  if (capacity > kLargestBuffer - half) return needed;
  return capacity + half > needed ? capacity + half : needed;
}

// The storage is managed here rather than by std::vector, whose growth
// (doubling in libstdc++) would override the rule above.
unsigned char* Allocate(size_t capacity) { return new unsigned char[capacity]; }

[[noreturn]] void ThrowTooLarge() { throw std::length_error("vx::CMemWriter: buffer too large"); }

// The storage for `size` bytes and the terminator.
size_t WithTerminator(size_t size) {
  if (size >= kLargestBuffer) ThrowTooLarge();
  return size + 1;
}

}  // namespace

CMemWriter::CMemWriter() : buffer_(Allocate(1)), size_(0), capacity_(1) { buffer_[0] = 0; }

CMemWriter::CMemWriter(size_t initialSize)
    : buffer_(Allocate(WithTerminator(initialSize))), size_(0), capacity_(initialSize + 1) {
  buffer_[0] = 0;
}

CMemWriter::CMemWriter(const void* data, size_t size) : CMemWriter(size) { Write(data, size); }

CMemWriter::CMemWriter(const CMemWriter& other)
    : buffer_(Allocate(other.size_ + 1)), size_(other.size_), capacity_(other.size_ + 1) {
  std::memcpy(buffer_, other.buffer_, size_ + 1);
}

CMemWriter& CMemWriter::operator=(const CMemWriter& other) {
  if (this == &other) return *this;
  if (capacity_ < other.size_ + 1) {
    unsigned char* fresh = Allocate(other.size_ + 1);
    delete[] buffer_;
    buffer_ = fresh;
    capacity_ = other.size_ + 1;
  }
  std::memcpy(buffer_, other.buffer_, other.size_ + 1);
  size_ = other.size_;
  return *this;
}

CMemWriter::~CMemWriter() { delete[] buffer_; }

namespace {

// The capacity for `count` more bytes behind `size` of them: two steps
// decide it, the content (size + count bytes) must fit, then the terminator
// behind it.
size_t CapacityFor(size_t size, size_t capacity, size_t count) {
  if (count >= kLargestBuffer - size) ThrowTooLarge();
  const size_t filled = size + count;
  if (filled > capacity) capacity = Grown(capacity, filled);
  if (filled == capacity) capacity = Grown(capacity, filled + 1);
  return capacity;
}

}  // namespace

// The growth is worked out first and made with a single allocation, so that
// a failure leaves the writer untouched. The common case comes first: the
// content and the terminator fit as the buffer stands (then the size cannot
// be too large either). Otherwise the buffer always grows: the content, or
// the terminator behind it, reaches the capacity.
void CMemWriter::Write(const void* data, size_t count) {
  if (count == 0) return;
  if (count < capacity_ - size_) {
    std::memmove(buffer_ + size_, data, count);
  } else {
    GrowAndAppend(CapacityFor(size_, capacity_, count), data, count);
  }
  size_ += count;
  buffer_[size_] = 0;
}

void CMemWriter::GrowAndAppend(size_t capacity, const void* data, size_t count) {
  detail::GrowStorage(buffer_, size_, capacity, data, count);
  capacity_ = capacity;
}

// As Write grows, without the copy of the new bytes, which the caller writes
// into the room instead.
unsigned char* detail::MemWriterAccess::Grow(CMemWriter& writer, size_t count) {
  const size_t capacity = CapacityFor(writer.size_, writer.capacity_, count);
  detail::GrowStorage(writer.buffer_, writer.size_, capacity, nullptr, 0);
  writer.capacity_ = capacity;
  return writer.buffer_ + writer.size_;
}

}  // namespace vx
