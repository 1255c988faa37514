#include "vexlo/streams/CBitVector.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/internal/LengthLimit.h"

namespace vx {

CBitVector::CBitVector() noexcept : bytes_(nullptr), bitCount_(0) {}

CBitVector::CBitVector(unsigned char* bytes, size_t bitCount) noexcept
    : bytes_(bytes), bitCount_(bitCount) {}

CBitVector::CBitVector(size_t count, bool value)
    : bytes_(Allocate(ByteCountFor(count))), bitCount_(count) {
  if (bytes_ != nullptr) std::memset(bytes_, value ? 0xFF : 0x00, ByteCountFor(count));
  ClearPadding();
}

CBitVector::CBitVector(const CBitVector& other)
    : bytes_(Allocate(ByteCountFor(other.bitCount_))), bitCount_(other.bitCount_) {
  if (bytes_ != nullptr) std::memcpy(bytes_, other.bytes_, ByteCountFor(bitCount_));
}

CBitVector::CBitVector(CBitVector&& other) noexcept
    : bytes_(other.bytes_), bitCount_(other.bitCount_) {
  other.bytes_ = nullptr;
  other.bitCount_ = 0;
}

CBitVector& CBitVector::operator=(const CBitVector& other) {
  CBitVector copy(other);
  Swap(copy);
  return *this;
}

CBitVector& CBitVector::operator=(CBitVector&& other) noexcept {
  CBitVector taken(std::move(other));
  Swap(taken);
  return *this;
}

CBitVector::~CBitVector() { delete[] bytes_; }

size_t CBitVector::ByteCountFor(size_t count) noexcept { return count / 8 + (count % 8 != 0); }

// Sizes beyond PTRDIFF_MAX are refused here: such a request can only come
// from a corrupt or hostile bit count, and some allocators abort on it
// instead of failing.
unsigned char* CBitVector::Allocate(size_t byteCount) {
  if (byteCount == 0) return nullptr;
  if (byteCount > static_cast<size_t>(PTRDIFF_MAX)) throw std::bad_array_new_length();
  return new unsigned char[byteCount];
}

void CBitVector::ClearPadding() noexcept {
  if (bitCount_ % 8 != 0)
    bytes_[bitCount_ / 8] &= static_cast<unsigned char>((1u << (bitCount_ % 8)) - 1);
}

void CBitVector::WriteTo(tvc::ITVCOutStream& stream) const {
  const std::uint64_t count = bitCount_;
  stream.PutUint64(count);
  stream.PutN(bytes_, ByteCountFor(bitCount_));
}

// Everything is read into a vector of its own, which replaces this one only
// when it is complete and valid.
void CBitVector::ReadFrom(tvc::ITVCInStream& stream) {
  std::uint64_t count = 0;
  stream.GetUint64(count);
  char who[64];
  std::snprintf(who, sizeof who, "CBitVector of %llu bits", static_cast<unsigned long long>(count));
  detail::CheckLengthLimit(stream, count / 8 + (count % 8 != 0), who);
  if (count > SIZE_MAX) throw std::bad_array_new_length();
  CBitVector incoming(Allocate(ByteCountFor(static_cast<size_t>(count))),
                      static_cast<size_t>(count));
  const size_t byteCount = ByteCountFor(incoming.bitCount_);
  stream.GetN(incoming.bytes_, byteCount);
  const unsigned used = static_cast<unsigned>(incoming.bitCount_ % 8);
  if (used != 0 && (incoming.bytes_[byteCount - 1] >> used) != 0) {
    char message[CStreamFormatException::MaxMessageLength + 1];
    std::snprintf(message, sizeof message,
                  "CBitVector: unused high bits set in the last byte (0x%02X) of a %zu-bit vector",
                  static_cast<unsigned>(incoming.bytes_[byteCount - 1]), incoming.bitCount_);
    throw CStreamFormatException(message);
  }
  Swap(incoming);
}

bool CBitVector::Test(size_t index) const {
  assert(index < bitCount_);
  return (bytes_[index / 8] >> (index % 8)) & 1u;
}

void CBitVector::Set(size_t index, bool value) {
  assert(index < bitCount_);
  const unsigned char mask = static_cast<unsigned char>(1u << (index % 8));
  if (value) {
    bytes_[index / 8] |= mask;
  } else {
    bytes_[index / 8] &= static_cast<unsigned char>(~mask);
  }
}

void CBitVector::Reset(size_t index) { Set(index, false); }

size_t CBitVector::Count() const noexcept {
  size_t set = 0;
  const size_t byteCount = ByteCountFor(bitCount_);
  for (size_t i = 0; i < byteCount; ++i) {
    for (unsigned b = bytes_[i]; b != 0; b &= b - 1) ++set;
  }
  return set;
}

void CBitVector::Resize(size_t newBitCount, bool value) {
  CBitVector resized(Allocate(ByteCountFor(newBitCount)), newBitCount);
  const size_t newBytes = ByteCountFor(newBitCount);
  if (newBytes != 0) std::memset(resized.bytes_, value ? 0xFF : 0x00, newBytes);
  const size_t kept = bitCount_ < newBitCount ? bitCount_ : newBitCount;
  if (kept != 0) {
    // Whole bytes are copied; the bits of a last, partial byte one by one,
    // so that added bits keep the value they were filled with.
    std::memcpy(resized.bytes_, bytes_, kept / 8);
    for (size_t i = kept / 8 * 8; i < kept; ++i) resized.Set(i, Test(i));
  }
  resized.ClearPadding();
  Swap(resized);
}

void CBitVector::Swap(CBitVector& other) noexcept {
  std::swap(bytes_, other.bytes_);
  std::swap(bitCount_, other.bitCount_);
}

bool operator==(const CBitVector& a, const CBitVector& b) noexcept {
  return a.bitCount_ == b.bitCount_ &&
         (a.bitCount_ == 0 ||
          std::memcmp(a.bytes_, b.bytes_, CBitVector::ByteCountFor(a.bitCount_)) == 0);
}

bool operator!=(const CBitVector& a, const CBitVector& b) noexcept { return !(a == b); }

}  // namespace vx
