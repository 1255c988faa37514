#include "vexlo/channels/PXIpcStreamBuf.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "vexlo/channels/internal/GrowStorage.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vx {

namespace {

constexpr size_t kLargestBuffer = static_cast<size_t>(std::numeric_limits<std::ptrdiff_t>::max());

// What `new` throws for an array size it cannot serve.
[[noreturn]] void ThrowTooLarge() { throw std::bad_array_new_length(); }

// The capacity that a Write of `count` bytes needs, or the current one when
// the bytes fit. Overflow anywhere in the rule means a buffer that cannot
// exist.
size_t CapacityFor(bool allocated, size_t capacity, size_t used, size_t count) {
  size_t wanted = capacity;
  if (!allocated) {
    if (count < 8) return 16;
    if (count > kLargestBuffer / 2) ThrowTooLarge();
    wanted = 2 * count;
  } else if (count > capacity - used) {
    if (count > kLargestBuffer - capacity) ThrowTooLarge();
    const size_t sum = capacity + count;  // 3 * sum / 2 == sum + sum / 2
    if (sum / 2 > kLargestBuffer - sum) ThrowTooLarge();
    wanted = sum + sum / 2;
  }
  return wanted;
}

}  // namespace

PXIpcStreamBuf::PXIpcStreamBuf() noexcept
    : buffer_(nullptr), writePosition_(0), capacity_(0), readPosition_(0) {}

PXIpcStreamBuf::PXIpcStreamBuf(char* data, int size) noexcept
    : buffer_(data),
      writePosition_(static_cast<size_t>(size)),
      capacity_(static_cast<size_t>(size)),
      readPosition_(0) {}

PXIpcStreamBuf::PXIpcStreamBuf(const PXIpcStreamBuf& other)
    : ITVCBinaryReader(other),
      ITVCBinaryWriter(other),
      buffer_(other.buffer_ != nullptr ? new char[other.capacity_] : nullptr),
      writePosition_(other.writePosition_),
      capacity_(other.capacity_),
      readPosition_(other.readPosition_) {
  if (writePosition_ != 0) std::memcpy(buffer_, other.buffer_, writePosition_);
}

PXIpcStreamBuf& PXIpcStreamBuf::operator=(const PXIpcStreamBuf& other) {
  if (this == &other) return *this;
  if (buffer_ == nullptr || other.buffer_ == nullptr || capacity_ != other.capacity_) {
    char* fresh = other.buffer_ != nullptr ? new char[other.capacity_] : nullptr;
    delete[] buffer_;
    buffer_ = fresh;
    capacity_ = other.capacity_;
  }
  if (other.writePosition_ != 0) std::memcpy(buffer_, other.buffer_, other.writePosition_);
  writePosition_ = other.writePosition_;
  readPosition_ = other.readPosition_;
  return *this;
}

PXIpcStreamBuf::~PXIpcStreamBuf() { delete[] buffer_; }

void PXIpcStreamBuf::Read(void* buffer, size_t count) {
  if (count > writePosition_ - readPosition_) throw tvc::TVCBufferUnderrunException();
  if (count != 0) std::memcpy(buffer, buffer_ + readPosition_, count);
  readPosition_ += count;
}

void PXIpcStreamBuf::Write(const void* data, size_t count) {
  const size_t capacity = CapacityFor(buffer_ != nullptr, capacity_, writePosition_, count);
  if (buffer_ == nullptr || capacity != capacity_) {
    detail::GrowStorage(buffer_, writePosition_, capacity, data, count);
    capacity_ = capacity;
  } else if (count != 0) {
    std::memmove(buffer_ + writePosition_, data, count);
  }
  writePosition_ += count;
}

size_t PXIpcStreamBuf::out_waiting() { return writePosition_ - readPosition_; }

const char* PXIpcStreamBuf::str() { return buffer_; }

void PXIpcStreamBuf::forward() { readPosition_ = 0; }

}  // namespace vx
