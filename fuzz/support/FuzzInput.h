#ifndef VEXLO_FUZZ_SUPPORT_FUZZINPUT_H
#define VEXLO_FUZZ_SUPPORT_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vxfuzz {

/// The bytes of one fuzz input, taken from the front as the harness needs
/// them. Once the input is used up every request answers zeros (or empty
/// texts), so a harness never has to test for the end between two requests;
/// it tests `empty()` where it loops.
///
///     FuzzInput in(data, size);
///     while (!in.empty()) {
///       switch (in.Byte() % 4) { ... in.Below(100) ... in.Text(32) ... }
///     }
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  /// True when every byte has been taken.
  bool empty() const { return size_ == 0; }
  /// The number of bytes not yet taken.
  std::size_t remaining() const { return size_; }

  /// The next byte, or 0 at the end.
  std::uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }

  /// The next `sizeof(T)` bytes as an integer, least significant first;
  /// missing bytes count as zeros.
  template <typename T>
  T Integer() {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= std::uint64_t{Byte()} << (8 * i);
    return static_cast<T>(v);
  }

  /// A number in [0, bound) taken from as few bytes as the bound needs;
  /// 0 when `bound` is 0.
  std::size_t Below(std::size_t bound) {
    if (bound <= 1) return 0;
    std::uint64_t v = Byte();
    if (bound > 0x100) v |= std::uint64_t{Byte()} << 8;
    if (bound > 0x10000) v |= std::uint64_t{Integer<std::uint16_t>()} << 16;
    return static_cast<std::size_t>(v % bound);
  }

  bool Bool() { return (Byte() & 1) != 0; }

  /// Up to `count` bytes, fewer at the end of the input.
  std::string Bytes(std::size_t count) {
    const std::size_t n = count < size_ ? count : size_;
    std::string out(reinterpret_cast<const char*>(data_), n);
    data_ += n;
    size_ -= n;
    return out;
  }

  /// A text of a length in [0, maxLength] that the input picks; it may hold
  /// NUL bytes.
  std::string Text(std::size_t maxLength) { return Bytes(Below(maxLength + 1)); }

  /// Everything not yet taken.
  std::string Rest() { return Bytes(size_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace vxfuzz

#endif  // VEXLO_FUZZ_SUPPORT_FUZZINPUT_H
