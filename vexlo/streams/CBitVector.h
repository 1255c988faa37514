#ifndef VEXLO_STREAMS_CBITVECTOR_H
#define VEXLO_STREAMS_CBITVECTOR_H

#include <cstddef>

#include "vexlo/Export.h"
#include "vexlo/tvc/ITVCInStream.h"
#include "vexlo/tvc/ITVCOutStream.h"

namespace vx {

/// A sequence of bits of a size chosen at run time, that writes itself to
/// any typed output stream and reads itself back from any typed input
/// stream.
///
///     vx::CBitVector flags(10);      // ten bits, all clear
///     flags.Set(0);
///     flags.Set(2);
///     flags.Set(9);
///     out << flags;                  // flags.WriteTo(out), StreamOperators.h
///     vx::CBitVector copy;
///     in >> copy;                    // copy.ReadFrom(in); copy == flags
///
/// Serialised form: the number of bits n with `PutUint64`, then the bits
/// packed into (n + 7) / 8 bytes with `PutN`, bit i being bit (i mod 8) of
/// byte i / 8, and the unused high bits of the last byte 0. The ten bits
/// above (0, 2 and 9 set) are the bytes 05 02:
///
///     binary stream:   0A 00 00 00 00 00 00 00 | 05 02
///     portable stream: "0A00000000000000" then "0502"
///
/// - `Test`, `Set` and `Reset` require `index < Size()` and do not check it
///   (debug builds assert).
/// - What allocates (`CBitVector(n)`, copying, `Resize`, `ReadFrom`) throws
///   `std::bad_alloc` when memory runs out, `std::bad_array_new_length` for a
///   size no array can have, and leaves the vector as it was.
/// - `ReadFrom` replaces the content only once the whole vector has been
///   read and found valid: what the stream throws passes unchanged (the
///   length limit applies: Conventions, vexlo.h), and a last byte with unused
///   bits set, which `WriteTo` never writes, is refused with
///   `CStreamFormatException`.
/// - `WriteTo` and `ReadFrom` are the first two virtual operations, in that
///   order, followed by the virtual destructor; a derived class may change
///   the serialised form by overriding them.
class VX_API CBitVector {
 public:
  /// An empty vector; allocates nothing.
  CBitVector() noexcept;
  /// `bitCount` bits, all equal to `value`.
  explicit CBitVector(size_t bitCount, bool value = false);
  /// A vector of its own with `other`'s bits.
  CBitVector(const CBitVector& other);
  /// Takes `other`'s bits, leaving it empty.
  CBitVector(CBitVector&& other) noexcept;
  /// Strong guarantee: on failure the target is unchanged.
  CBitVector& operator=(const CBitVector& other);
  /// Takes `other`'s bits, leaving it empty.
  CBitVector& operator=(CBitVector&& other) noexcept;

  /// Puts the vector on `stream` in the serialised form above.
  virtual void WriteTo(tvc::ITVCOutStream& stream) const;
  /// Replaces the vector by one read from `stream` in the serialised form
  /// above, or leaves it unchanged and lets the failure pass.
  virtual void ReadFrom(tvc::ITVCInStream& stream);
  virtual ~CBitVector();

  /// The number of bits.
  size_t Size() const noexcept { return bitCount_; }
  /// Whether there are no bits.
  bool Empty() const noexcept { return bitCount_ == 0; }
  /// Whether bit `index` is set.
  bool Test(size_t index) const;
  /// Sets bit `index` to `value`.
  void Set(size_t index, bool value = true);
  /// Clears bit `index`.
  void Reset(size_t index);
  /// The number of bits that are set.
  size_t Count() const noexcept;
  /// Changes the size to `newBitCount`: the first bits keep their values,
  /// added bits take `value`. Strong guarantee.
  void Resize(size_t newBitCount, bool value = false);
  /// Exchanges the contents of the two vectors.
  void Swap(CBitVector& other) noexcept;

  /// Same size and the same bits.
  friend VX_API bool operator==(const CBitVector& a, const CBitVector& b) noexcept;
  /// Different size or different bits.
  friend VX_API bool operator!=(const CBitVector& a, const CBitVector& b) noexcept;

 private:
  CBitVector(unsigned char* bytes, size_t bitCount) noexcept;
  static size_t ByteCountFor(size_t bitCount) noexcept;
  static unsigned char* Allocate(size_t byteCount);
  void ClearPadding() noexcept;

  /// ByteCountFor(bitCount_) bytes, null when there are none; the bits past
  /// `bitCount_` in the last byte are always 0.
  unsigned char* bytes_;
  size_t bitCount_;
};

}  // namespace vx

#endif  // VEXLO_STREAMS_CBITVECTOR_H
